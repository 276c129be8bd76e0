// The date prompt and the period prompt: what they show, what they return
// on OK, on a double-click and on Mégsem.

#include "tests/scheduling/editorfixture.h"
#include "scheduling/entries.h"
#include "scheduling/prompts.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QTableView>

using namespace editortest;

namespace {

// The cell showing `day` in the calendar's grid (row and column 0 are the
// headers); pick a day that the neighbouring months do not show.
QModelIndex dayCell(QTableView *view, int day)
{
    QAbstractItemModel *model = view->model();
    for (int r = 1; r < model->rowCount(); ++r)
        for (int c = 1; c < model->columnCount(); ++c) {
            const QModelIndex index = model->index(r, c);
            if (model->data(index).toString() == QString::number(day))
                return index;
        }
    return {};
}

} // namespace

class TestPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        testhooks::setAutomatic(true);
    }
    void cleanup() { testhooks::reset(); }

    void dateStartsOnTheGivenDayAndOkReturnsTheChoice()
    {
        QDate date(2007, 12, 5);
        testhooks::onNextDialog([](QDialog *d) {
            auto *prompt = qobject_cast<Tfrm_Datum *>(d);
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QStringLiteral("Dátum megadása"));
            QVERIFY(prompt->windowFlags() & Qt::FramelessWindowHint);
            QCalendarWidget *calendar = prompt->calendar();
            QCOMPARE(calendar->selectedDate(), QDate(2007, 12, 5));
            QCOMPARE(calendar->monthShown(), 12);
            QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);
            QCOMPARE(calendar->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
            calendar->setSelectedDate(QDate(2008, 1, 2));
            clickOk(prompt);
        });
        QVERIFY(AskDate(date));
        QCOMPARE(date, QDate(2008, 1, 2));
    }

    void doubleClickOnADayConfirmsIt()
    {
        QDate date(2007, 12, 5);
        testhooks::onNextDialog([](QDialog *d) {
            auto *prompt = qobject_cast<Tfrm_Datum *>(d);
            QVERIFY(prompt);
            prompt->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(prompt));
            auto *view = prompt->calendar()->findChild<QTableView *>();
            QVERIFY(view);
            const QModelIndex cell = dayCell(view, 19);
            QVERIFY(cell.isValid());
            // A double-click arrives as a click followed by the double-click
            // event; the single click alone only selects.
            const QPoint at = view->visualRect(cell).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QVERIFY(prompt->isVisible());
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QVERIFY(!prompt->isVisible());
        });
        QVERIFY(AskDate(date));
        QCOMPARE(date, QDate(2007, 12, 19));
    }

    void cancelLeavesTheDateAlone()
    {
        QDate date(2007, 12, 5);
        testhooks::onNextDialog([](QDialog *d) {
            qobject_cast<Tfrm_Datum *>(d)->calendar()->setSelectedDate(QDate(2001, 1, 1));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!AskDate(date));
        QCOMPARE(date, QDate(2007, 12, 5));
    }

    void periodReturnsTheDatesAsEntered_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("in order") << QDate(2024, 1, 1) << QDate(2024, 1, 31);
        QTest::newRow("start after end") << QDate(2024, 3, 10) << QDate(2024, 2, 1);
        QTest::newRow("one day") << QDate(2024, 2, 29) << QDate(2024, 2, 29);
    }
    void periodReturnsTheDatesAsEntered()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QDate start = QDate::currentDate();
        QDate end = QDate::currentDate();
        testhooks::onNextDialog([&](QDialog *d) {
            auto *prompt = qobject_cast<Tfrm_Idoszak *>(d);
            QVERIFY(prompt);
            QCOMPARE(prompt->windowTitle(), QStringLiteral("Időszak megadása"));
            QCOMPARE(prompt->minimumSize(), prompt->maximumSize());   // fixed size
            auto *fromField = child<QDateEdit>(prompt, "edKezdet");
            auto *toField = child<QDateEdit>(prompt, "edVege");
            QCOMPARE(fromField->date(), QDate::currentDate());
            QCOMPARE(toField->date(), QDate::currentDate());
            QVERIFY(fromField->y() < toField->y());
            QCOMPARE(fromField->displayFormat(), QStringLiteral("yyyy.MM.dd."));
            fromField->setDate(from);
            toField->setDate(to);
            clickOk(prompt);
        });
        QVERIFY(AskPeriod(start, end));
        QCOMPARE(start, from);
        QCOMPARE(end, to);
    }

    void periodCancelLeavesBothDates()
    {
        QDate start(2024, 5, 1);
        QDate end(2024, 5, 31);
        testhooks::onNextDialog([](QDialog *d) {
            QCOMPARE(child<QDateEdit>(d, "edKezdet")->date(), QDate(2024, 5, 1));
            QCOMPARE(child<QDateEdit>(d, "edVege")->date(), QDate(2024, 5, 31));
            child<QDateEdit>(d, "edKezdet")->setDate(QDate(2020, 1, 1));
            clickCancel(d);
        });
        QVERIFY(!AskPeriod(start, end));
        QCOMPARE(start, QDate(2024, 5, 1));
        QCOMPARE(end, QDate(2024, 5, 31));
    }

    void periodEnterWalksStartEndOk()
    {
        QDate start(2024, 5, 1);
        QDate end(2024, 5, 31);
        testhooks::onNextDialog([](QDialog *d) {
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            auto *fromField = child<QDateEdit>(d, "edKezdet");
            QCOMPARE(QApplication::focusWidget(), fromField);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), child<QDateEdit>(d, "edVege"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), child<QPushButton>(d, "btOK"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QVERIFY(AskPeriod(start, end));
        QCOMPARE(start, QDate(2024, 5, 1));
    }
};

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
