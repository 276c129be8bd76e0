// The quick list: its two pages over the shared record sets, its commands,
// the day it shares with the calendar window, its bounds and its share in
// opening and closing the record sets.

#include "tests/app/appfixture.h"

#include "app/helpers/datagrid.h"
#include "scheduling/entries.h"
#include "app/helpers/listwindow.h"
#include "scheduling/prompts.h"
#include "scheduling/quicklist.h"
#include "scheduling/records.h"
#include "scheduling/schedulingevents.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

const QDate Today = QDate::currentDate();

QString sqlDate(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

// Three tasks (two open, with deadlines yesterday and tomorrow, one done),
// two entries today at 14 and 9 o'clock and one tomorrow.
QString demoSql()
{
    const QString y = sqlDate(Today.addDays(-1)), t = sqlDate(Today), m = sqlDate(Today.addDays(1));
    const QString key = Today.toString(QStringLiteral("yyyyMMdd")), keyM = Today.addDays(1).toString(QStringLiteral("yyyyMMdd"));
    return QStringLiteral(
               "INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, leiras, fontos, kesz, statusz) VALUES "
               "(1, '%1', '%3', 'Holnapi határidő', 'első sor', 2, 'N', 0),"
               "(2, '%1', '%1', 'Tegnapi határidő', '', 3, 'N', 1),"
               "(3, '%1', '%2', 'Régen kész', '', 0, 'I', 2);"
               "INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, kesz) VALUES "
               "(11, '%2', '%4', 14, 'Délutáni megbeszélés', 'N'),"
               "(12, '%2', '%4', 9, 'Reggeli hívás', 'N'),"
               "(13, '%3', '%5', 10, 'Holnapi bejegyzés', 'N');")
        .arg(y, t, m, key, keyM);
}

Tfrm_GyorsLista *findQuickList()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frm_GyorsLista"))
            return qobject_cast<Tfrm_GyorsLista *>(w);
    return nullptr;
}

int quickListCount()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frm_GyorsLista"))
            ++n;
    return n;
}

Tfrm_GyorsLista *openQuickList(AppFixture &f)
{
    actionOf(f.main, QStringLiteral("aGyorsLista"))->trigger();
    Tfrm_GyorsLista *q = findQuickList();
    // Shortcuts reach the window only while it is the active one.
    if (q && !QTest::qWaitForWindowActive(q))
        qWarning("quick list not active");
    return q;
}

void closeQuickList(Tfrm_GyorsLista *q)
{
    QPointer<Tfrm_GyorsLista> guard(q);
    q->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
}

QStringList column(DataGrid *grid, const QString &field)
{
    QStringList out;
    const int c = grid->columnOfField(field);
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out << grid->model()->index(r, c).data().toString();
    return out;
}

// One value read straight from the database file.
QVariant dbValue(const QString &sql)
{
    zdb::Query q(Db1(), sql);
    q.open();
    const QVariant v = q.isEmpty() ? QVariant() : q.value(0);
    q.close();
    return v;
}

void press(Tfrm_GyorsLista *q, const QKeySequence &key)
{
    // A closed dialog may leave no window active here; a desktop gives the
    // activation back to the window the dialog belonged to.
    if (QApplication::activeWindow() != q) {
        q->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(q));
    }
    QWidget *target = q->shownPage() == Tfrm_GyorsLista::CalendarPage ? q->calendarGrid() : q->taskGrid();
    QTest::keySequence(target, key);
}

} // namespace

class TestQuickList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterSchedulingWindows();
    }

    void opensOnTodaysEntriesAndOpenTasks()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        QVERIFY2(q, qPrintable(testhooks::lastMessage().text));
        QVERIFY(q->isWindow());
        QVERIFY(!q->parentWidget());   // its own window, not one of the main window's children
        QCOMPARE(q->windowTitle(), QStringLiteral("Zentavo"));
        QVERIFY(Beall().QuickListOpen);

        QCOMPARE(q->shownPage(), Tfrm_GyorsLista::CalendarPage);
        QCOMPARE(q->dateStrip()->text(), CalendarHeaderText(Today));
        QCOMPARE(column(q->calendarGrid(), QStringLiteral("rovid")),
                 QStringList({QStringLiteral("Reggeli hívás"), QStringLiteral("Délutáni megbeszélés")}));
        QVERIFY(q->calendarText()->toPlainText().startsWith(QStringLiteral("Reggeli hívás\ndátum     : ")));
        QVERIFY(q->calendarText()->toPlainText().contains(QStringLiteral("ora       : 09")));

        // Open tasks only, earliest deadline first.
        QCOMPARE(column(q->taskGrid(), QStringLiteral("rovid")),
                 QStringList({QStringLiteral("Tegnapi határidő"), QStringLiteral("Holnapi határidő")}));
        QVERIFY(q->taskText()->toPlainText().contains(QStringLiteral("azonosító : 00002")));
        // The text under the grid follows the current row.
        Shared().TblFeladat->next();
        QVERIFY(q->taskText()->toPlainText().contains(QStringLiteral("azonosító : 00001")));
        QVERIFY(q->taskText()->toPlainText().endsWith(QStringLiteral("első sor\n")));

        // A second "Gyorslista" brings the same window forward.
        actionOf(f.main, QStringLiteral("aGyorsLista"))->trigger();
        QCOMPARE(quickListCount(), 1);
        QCOMPARE(findQuickList(), q);
        closeQuickList(q);
    }

    void trayCommandLeavesTheMainWindowHidden()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        f.main->hide();
        actionOf(f.main, QStringLiteral("aTrGyorslista"))->trigger();
        Tfrm_GyorsLista *q = findQuickList();
        QVERIFY(q && q->isVisible());
        QVERIFY(!f.main->isVisible());
        closeQuickList(q);
    }

    void doneGivesStatusThreeOnTasksAndTogglesEntries()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        zdb::Table *tasks = Shared().TblFeladat;
        zdb::Table *cal = Shared().TblNaptar;

        q->showPage(Tfrm_GyorsLista::TaskPage);
        QCOMPARE(tasks->value(QStringLiteral("dolog3")).toInt(), 2);
        press(q, QKeySequence(Qt::Key_F7));
        QCOMPARE(dbValue(QStringLiteral("SELECT statusz FROM dolog3 WHERE dolog3=2")).toInt(), 3);
        QCOMPARE(dbValue(QStringLiteral("SELECT kesz FROM dolog3 WHERE dolog3=2")).toString(), QStringLiteral("I"));
        QCOMPARE(dbValue(QStringLiteral("SELECT dat_kesz FROM dolog3 WHERE dolog3=2")).toString(), sqlDate(Today));
        // The open-tasks filter drops it from the list.
        QCOMPARE(column(q->taskGrid(), QStringLiteral("rovid")), QStringList({QStringLiteral("Holnapi határidő")}));
        // The calendar page was not touched.
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog1 WHERE kesz='I'")).toInt(), 0);

        // On the calendar page the entry is marked done and stays current.
        q->showPage(Tfrm_GyorsLista::CalendarPage);
        QVERIFY(cal->locate(QStringLiteral("dolog1"), 11));
        press(q, QKeySequence(Qt::Key_F7));
        QVERIFY2(testhooks::shownMessages().isEmpty(), qPrintable(testhooks::lastMessage().text));
        QCOMPARE(dbValue(QStringLiteral("SELECT kesz FROM dolog1 WHERE dolog1=11")).toString(), QStringLiteral("I"));
        QCOMPARE(cal->value(QStringLiteral("dolog1")).toInt(), 11);
        QVERIFY(q->calendarText()->toPlainText().contains(QStringLiteral("elkészült : Igen")));
        press(q, QKeySequence(Qt::Key_F7));
        QCOMPARE(dbValue(QStringLiteral("SELECT kesz FROM dolog1 WHERE dolog1=11")).toString(), QStringLiteral("N"));
        QVERIFY(!dbValue(QStringLiteral("SELECT dat_kesz FROM dolog1 WHERE dolog1=11")).isValid());
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE statusz=3")).toInt(), 1);
        closeQuickList(q);
    }

    void statusCommands_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("kesz");
        QTest::newRow("Beérkezett") << QStringLiteral("aBeerkezett") << 0 << QStringLiteral("N");
        QTest::newRow("Folyamatban") << QStringLiteral("aFolyamatban") << 1 << QStringLiteral("N");
        QTest::newRow("Kész") << QStringLiteral("aKeszvan") << 2 << QStringLiteral("I");
        QTest::newRow("Visszautasítva") << QStringLiteral("aVisszautasit") << 3 << QStringLiteral("I");
    }
    void statusCommands()
    {
        QFETCH(QString, action);
        QFETCH(int, status);
        QFETCH(QString, kesz);
        AppFixture f;
        f.makeDb(demoSql() + QStringLiteral("UPDATE dolog3 SET statusz=1, dat_kesz='2001-02-03' WHERE dolog3=2;"));
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);

        // Not on the calendar page.
        actionOf(q, action)->trigger();
        QCOMPARE(dbValue(QStringLiteral("SELECT statusz FROM dolog3 WHERE dolog3=2")).toInt(), 1);

        q->showPage(Tfrm_GyorsLista::TaskPage);
        actionOf(q, action)->trigger();
        QCOMPARE(dbValue(QStringLiteral("SELECT statusz FROM dolog3 WHERE dolog3=2")).toInt(), status);
        QCOMPARE(dbValue(QStringLiteral("SELECT kesz FROM dolog3 WHERE dolog3=2")).toString(), kesz);
        QCOMPARE(dbValue(QStringLiteral("SELECT dat_kesz FROM dolog3 WHERE dolog3=2")).toString(), QStringLiteral("2001-02-03"));
        // The row keeps its place until the next reload.
        QCOMPARE(q->taskGrid()->model()->rowCount(), 2);
        closeQuickList(q);
    }

    void dayCommandsActOnTheCalendarPageOnly()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);

        q->showPage(Tfrm_GyorsLista::TaskPage);
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Right));
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Left));
        QCOMPARE(Beall().CalendarDay, Today);

        q->showPage(Tfrm_GyorsLista::CalendarPage);
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Right));
        QCOMPARE(Beall().CalendarDay, Today.addDays(1));
        QCOMPARE(q->dateStrip()->text(), CalendarHeaderText(Today.addDays(1)));
        QCOMPARE(column(q->calendarGrid(), QStringLiteral("rovid")), QStringList({QStringLiteral("Holnapi bejegyzés")}));
        QCOMPARE(zdb::ShowBound({Shared().TblNaptar->filter(), Shared().TblNaptar->filterParams(), {}}),
                 QStringLiteral("datumstr='%1'").arg(Today.addDays(1).toString(QStringLiteral("yyyyMMdd"))));
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Left));
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Left));
        QCOMPARE(Beall().CalendarDay, Today.addDays(-1));
        QCOMPARE(q->calendarGrid()->model()->rowCount(), 0);

        // "Dátumra" cancelled keeps the day; confirmed, it shows the chosen one.
        testhooks::onNextDialog([](QDialog *d) { d->reject(); });
        press(q, QKeySequence(Qt::CTRL | Qt::Key_D));
        QCOMPARE(Beall().CalendarDay, Today.addDays(-1));
        QDate offered;
        testhooks::onNextDialog([&offered](QDialog *d) {
            auto *prompt = qobject_cast<Tfrm_Datum *>(d);
            QVERIFY(prompt);
            offered = prompt->date();
            prompt->calendar()->setSelectedDate(Today.addDays(1));
            prompt->accept();
        });
        press(q, QKeySequence(Qt::CTRL | Qt::Key_D));
        QCOMPARE(offered, Today.addDays(-1));
        QCOMPARE(Beall().CalendarDay, Today.addDays(1));
        QCOMPARE(column(q->calendarGrid(), QStringLiteral("rovid")), QStringList({QStringLiteral("Holnapi bejegyzés")}));
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Left));
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Left));
        closeQuickList(q);

        // The day outlives the window: the next quick list opens on it.
        q = openQuickList(f);
        QCOMPARE(q->dateStrip()->text(), CalendarHeaderText(Today.addDays(-1)));
        closeQuickList(q);
    }

    void followsTheCalendarWindowsDay()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        QWidget *calendarWindow = nullptr;
        if (ListWindowFactoryOf(KindCalendar)) {
            calendarWindow = f.main->openListWindow(KindCalendar);
            QVERIFY(Beall().CalendarWindowOpen);
            QAction *tomorrow = calendarWindow->findChild<QAction *>(QStringLiteral("aHolnap"));
            QVERIFY(tomorrow);
            tomorrow->trigger();
        } else {
            ShowCalendarDay(Today.addDays(1));   // what the calendar window does on a day change
        }
        QCOMPARE(q->dateStrip()->text(), CalendarHeaderText(Today.addDays(1)));
        QCOMPARE(column(q->calendarGrid(), QStringLiteral("rovid")), QStringList({QStringLiteral("Holnapi bejegyzés")}));

        // And the other way round: the quick list's day change is announced.
        QSignalSpy spy(SchedulingEvents::instance(), &SchedulingEvents::calendarDayChanged);
        q->ShowDay(Today);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toDate(), Today);
        closeQuickList(q);
    }

    void deleteAsksFirst()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        q->showPage(Tfrm_GyorsLista::TaskPage);

        testhooks::clearMessages();
        testhooks::setNextAnswer(false);
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Megerősítés"));
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Valóban töröljem a bejegyzést"));
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog3")).toInt(), 3);

        testhooks::setNextAnswer(true);
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog3 WHERE dolog3=2")).toInt(), 0);
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog1")).toInt(), 3);

        q->showPage(Tfrm_GyorsLista::CalendarPage);
        testhooks::setNextAnswer(true);
        press(q, QKeySequence(Qt::CTRL | Qt::Key_Delete));
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog1 WHERE dolog1=12")).toInt(), 0);
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog3")).toInt(), 2);
        closeQuickList(q);
    }

    void editorsOpenForTheShownPage()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        QStringList shown;
        auto record = [&shown](QDialog *d) {
            shown << d->objectName();
            d->reject();
        };
        testhooks::onNextDialog(record);
        press(q, QKeySequence(Qt::Key_F2));
        q->showPage(Tfrm_GyorsLista::TaskPage);
        testhooks::onNextDialog(record);
        press(q, QKeySequence(Qt::Key_Insert));
        testhooks::onNextDialog(record);
        Q_EMIT q->taskGrid()->activated();   // double-click
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown.at(0) != shown.at(1));
        QCOMPARE(shown.at(1), shown.at(2));
        // Cancelled editors change nothing.
        QCOMPARE(dbValue(QStringLiteral("SELECT COUNT(*) FROM dolog3")).toInt(), 3);
        QCOMPARE(q->taskGrid()->model()->rowCount(), 2);
        closeQuickList(q);
    }

    void emptyListsAreHarmless()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        testhooks::clearMessages();
        for (auto page : {Tfrm_GyorsLista::CalendarPage, Tfrm_GyorsLista::TaskPage}) {
            q->showPage(page);
            for (const QKeySequence &key : {QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_F7), QKeySequence(Qt::CTRL | Qt::Key_Delete)})
                press(q, key);
            for (const char *name : {"aBeerkezett", "aKeszvan", "aSzerkeszt", "aKesz", "aTorol"})
                actionOf(q, QString::fromLatin1(name))->trigger();
            QVERIFY(actionOf(q, QStringLiteral("aUj"))->isEnabled());
        }
        QVERIFY(testhooks::shownMessages().isEmpty());
        QCOMPARE(q->taskText()->toPlainText(), QString());
        QCOMPARE(q->calendarText()->toPlainText(), QString());
        closeQuickList(q);
    }

    void boundsAreRememberedAndRestored()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        // Nothing stored: 10, 10 and the design size.
        QCOMPARE(q->pos(), QPoint(10, 10));
        QCOMPARE(q->size(), QSize(325, 479));

        q->resize(300, 420);
        q->move(120, 90);
        closeQuickList(q);
        QSettings ini = f.ini();
        ini.beginGroup(QStringLiteral("frm_GyorsLista"));
        QCOMPARE(ini.value(QStringLiteral("Left")).toInt(), 120);
        QCOMPARE(ini.value(QStringLiteral("Top")).toInt(), 90);
        QCOMPARE(ini.value(QStringLiteral("Width")).toInt(), 300);
        QCOMPARE(ini.value(QStringLiteral("Height")).toInt(), 420);

        q = openQuickList(f);
        QCOMPARE(q->pos(), QPoint(120, 90));
        QCOMPARE(q->size(), QSize(300, 420));
        closeQuickList(q);
    }

    void snapsToTheScreenEdges_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("expected");
        // Work area 0,0 800x600.
        QTest::newRow("near left and top") << QRect(12, 9, 100, 100) << QPoint(0, 0);
        QTest::newRow("off the left edge") << QRect(-8, 200, 100, 100) << QPoint(0, 200);
        QTest::newRow("near right") << QRect(690, 200, 100, 100) << QPoint(700, 200);
        QTest::newRow("near bottom") << QRect(300, 514, 100, 80) << QPoint(300, 520);
        QTest::newRow("free") << QRect(16, 16, 100, 100) << QPoint(16, 16);
        QTest::newRow("middle") << QRect(300, 200, 100, 100) << QPoint(300, 200);
    }
    void snapsToTheScreenEdges()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, expected);
        QCOMPARE(Tfrm_GyorsLista::SnapToEdges(frame, QRect(0, 0, 800, 600), 15), expected);
    }

    void movedWindowSticksToTheEdge()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Tfrm_GyorsLista *q = openQuickList(f);
        const QRect area = q->screen()->availableGeometry();
        q->move(area.left() + 200, area.top() + 100);
        QCOMPARE(q->pos(), QPoint(area.left() + 200, area.top() + 100));
        q->move(area.left() + 7, area.top() + 100);
        QCOMPARE(q->pos(), QPoint(area.left(), area.top() + 100));
        closeQuickList(q);
    }

    void closesTheRecordSetsOnlyWhenNoOtherWindowNeedsThem()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        zdb::Table *tasks = Shared().TblFeladat;
        zdb::Table *cal = Shared().TblNaptar;

        // Alone: opens both, closes both.
        Tfrm_GyorsLista *q = openQuickList(f);
        QVERIFY(tasks->isOpen() && cal->isOpen());
        // Overdue tasks first, then by deadline.
        QCOMPARE(tasks->order(), QuickListTaskOrder());
        QCOMPARE(cal->order(), QStringLiteral("ora"));
        closeQuickList(q);
        QVERIFY(!Beall().QuickListOpen);
        QVERIFY(!tasks->isOpen() && !cal->isOpen());

        // With the task list: the task record set stays for it.
        auto *list = dynamic_cast<ListWindow *>(f.main->openListWindow(KindTasks));
        QVERIFY(list);
        // Sorted by another column than the quick list's deadline order.
        Q_EMIT list->listGrid()->titleClicked(list->listGrid()->columnOfField(QStringLiteral("rovid")));
        QVERIFY(Beall().TaskWindowOpen);
        const QString taskOrder = tasks->order();
        QVERIFY(taskOrder != QLatin1String("dat_hatid"));
        q = openQuickList(f);
        QCOMPARE(tasks->order(), taskOrder);   // the task list's order is kept
        closeQuickList(q);
        QVERIFY(tasks->isOpen());
        QVERIFY(!cal->isOpen());
        f.main->mdiArea()->closeAllSubWindows();
        QVERIFY(!Beall().TaskWindowOpen);
        QVERIFY(!tasks->isOpen());
    }

    void endsWithTheMainWindow()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        QPointer<Tfrm_GyorsLista> q = openQuickList(f);
        q->move(150, 60);
        f.main.reset();
        QVERIFY(q.isNull());
    }

    // Closing the main window closes the quick list the way its own close
    // does: record sets released, bounds stored.
    void closesWithTheMainWindow()
    {
        AppFixture f;
        f.makeDb(demoSql());
        QVERIFY(f.start());
        QPointer<Tfrm_GyorsLista> q = openQuickList(f);
        q->move(150, 60);
        f.closeMain();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(q.isNull());
        QVERIFY(!Beall().QuickListOpen);
        QVERIFY(!Shared().TblFeladat->isOpen() && !Shared().TblNaptar->isOpen());
        QSettings ini = f.ini();
        QCOMPARE(ini.value(QStringLiteral("frm_GyorsLista/Left")).toInt(), 150);
        QCOMPARE(ini.value(QStringLiteral("frm_GyorsLista/Top")).toInt(), 60);
    }
};

QTEST_MAIN(TestQuickList)
#include "tst_quicklist.moc"
