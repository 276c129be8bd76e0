// The calendar entry editor through EditCalendarEntry: the day of a new
// entry, its day key, the hour, the file button, cancelling and rows written
// by other programs.

#include "scheduling/calendareditor.h"
#include "tests/scheduling/editorfixture.h"
#include "scheduling/entries.h"
#include "scheduling/records.h"

#include "db/recordset.h"

#include <QCheckBox>

using namespace editortest;

namespace {

const char *const kColumns = "dolog1, datum, datumstr, ora, rovid, leiras, ugyfel, ugyfel_nev, termek, termek_nev, "
                             "projekt, projekt_nev, fontos, fileban, dat_kesz, kesz, rovids, ugyfel_nevs, termek_nevs, "
                             "projekt_nevs";

QVariantList entryRow(const AppFixture &f, int id)
{
    const QList<QVariantList> rows = dbRows(
        f.dbPath(), QStringLiteral("select %1 from dolog1 where dolog1 = %2").arg(QString::fromLatin1(kColumns)).arg(id));
    return rows.isEmpty() ? QVariantList() : rows.first();
}

QVariant entryField(const AppFixture &f, int id, const char *field)
{
    return dbValue(f.dbPath(), QStringLiteral("select %1 from dolog1 where dolog1 = %2").arg(QString::fromLatin1(field)).arg(id));
}

void openEntriesAt(int id)
{
    zdb::Table *tbl = Shared().TblNaptar;
    tbl->open();
    QVERIFY(tbl->locate(QStringLiteral("dolog1"), id));
}

const char *const kEntry = R"(
insert into dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, ugyfel, ugyfel_nev, fontos, fileban, kesz,
  rovids, ugyfel_nevs, termek_nevs, projekt_nevs)
values (4, '2007-12-05', '20071205', 14, 'Megbeszélés', 'jegyzet', 1, 'Alfa Kft.', 1, '/régi/út.txt', 'N',
  'MEGBESZELES', 'ALFA KFT.', '', '');
)";

} // namespace

class TestCalendarEditor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void cleanup() { testhooks::reset(); }

    void newEntryIsFiledUnderTheCalendarDay()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        Beall().CalendarDay = QDate(2007, 12, 5);
        answerEditor([&](EntryEditor *e) {
            QCOMPARE(e->objectName(), QStringLiteral("frm_Naptar_Szerkeszt"));
            QCOMPARE(e->windowTitle(), QStringLiteral("Bejegyzés szerkesztés"));
            auto *pages = child<QTabWidget>(e, "PageControl1");
            QCOMPARE(pages->tabText(0), QStringLiteral("Feledat"));
            QCOMPARE(pages->tabText(1), QStringLiteral("Leírás"));
            QCOMPARE(child<DateField>(e, "edDatum")->date(), QDate(2007, 12, 5));
            QVERIFY(child<QLineEdit>(e, "edOra")->text().isEmpty());
            QCOMPARE(child<QLineEdit>(e, "edUgyfel")->text(), QStringLiteral("Béta Zrt."));
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("Ebéd"));
            clickOk(e);
        });
        EditCalendarEntry(true, LinkCustomer, 2, QStringLiteral("Béta Zrt."));

        const QVariantList row = entryRow(f, 1);
        QVERIFY(!row.isEmpty());
        QCOMPARE(row.at(1).toString(), QStringLiteral("2007-12-05"));
        QCOMPARE(row.at(2).toString(), QStringLiteral("20071205"));
        QVERIFY(!row.at(3).isValid());                      // no hour
        QCOMPARE(row.at(4).toString(), QStringLiteral("Ebéd"));
        QCOMPARE(row.at(6), QVariant(2));
        QCOMPARE(row.at(7).toString(), QStringLiteral("Béta Zrt."));
        QCOMPARE(row.at(12), QVariant(0));
        QCOMPARE(row.at(15).toString(), QStringLiteral("N"));
        QCOMPARE(row.at(17).toString(), QStringLiteral("BETA ZRT."));
        QVERIFY(!Shared().TblNaptar->isOpen());
        QVERIFY(f.ini().contains(QStringLiteral("frm_Naptar_Szerkeszt/Top")));
    }

    void hourIsAWholeNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("nine") << QStringLiteral("9") << QStringLiteral("9") << QVariant(9);
        QTest::newRow("letters are not taken") << QStringLiteral("1x0") << QStringLiteral("10") << QVariant(10);
        QTest::newRow("a time") << QStringLiteral("10:00") << QStringLiteral("10:00") << QVariant(10);
        QTest::newRow("a time with a dot") << QStringLiteral("7.00") << QStringLiteral("7.00") << QVariant(7);
        QTest::newRow("midnight") << QStringLiteral("0") << QStringLiteral("0") << QVariant(0);
        QTest::newRow("last hour") << QStringLiteral("23") << QStringLiteral("23") << QVariant(23);
        QTest::newRow("emptied") << QString() << QString() << QVariant();
    }
    void hourIsAWholeNumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QVariant, stored);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kEntry));
        QVERIFY(f.start());
        openEntriesAt(4);
        answerEditor([&](EntryEditor *e) {
            auto *hour = child<QLineEdit>(e, "edOra");
            QCOMPARE(hour->text(), QStringLiteral("14"));
            retype(hour, typed);
            QCOMPARE(hour->text(), shown);
            clickOk(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryField(f, 4, "ora"), stored);
        const QString text = CalendarGeneratedText(*Shared().TblNaptar, Shared().TblNaptar->currentRow());
        QVERIFY(text.contains(QStringLiteral("ora       : ") + (stored.isValid() ? QStringLiteral("%1").arg(stored.toInt(), 2, 10, QLatin1Char('0')) : QStringLiteral("00"))));
    }

    // What is no hour of the day is refused with a word and the dialog stays;
    // the stored hour changes only with a good one.
    void hourOutsideTheDayIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        for (const char *t : {"24", "-3", "1000", "10:30", "-", "10:", ":00", "1 0"})
            QTest::newRow(t) << QString::fromLatin1(t);
    }
    void hourOutsideTheDayIsRefused()
    {
        QFETCH(QString, typed);
        AppFixture f;
        f.makeDb(QString::fromUtf8(kEntry));
        QVERIFY(f.start());
        openEntriesAt(4);
        answerEditor([&](EntryEditor *e) {
            retype(child<QLineEdit>(e, "edOra"), typed);
            clickOk(e);
            QVERIFY(e->isVisible());
            QCOMPARE(testhooks::lastMessage().text,
                     QStringLiteral("Az óra 0 és 23 közötti egész szám lehet (például 10 vagy 10:00)."));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(child<QLineEdit>(e, "edOra")));
            retype(child<QLineEdit>(e, "edOra"), QStringLiteral("8"));
            clickOk(e);
            QVERIFY(!e->isVisible());
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryField(f, 4, "ora"), QVariant(8));
    }

    void fileButtonStoresThePathAndCancelUndoesIt()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kEntry));
        QVERIFY(f.start());
        openEntriesAt(4);
        const QString chosen = f.path(QStringLiteral("szerződés.pdf"));

        // Cancel: rovid, hour and the file are back as they were.
        const QVariantList before = entryRow(f, 4);
        testhooks::setNextFileName(chosen);
        answerEditor([&](EntryEditor *e) {
            child<QToolButton>(e, "btFileban")->click();
            QCOMPARE(child<QLineEdit>(e, "edFileban")->text(), QDir::toNativeSeparators(chosen));
            retype(child<QLineEdit>(e, "edOra"), QStringLiteral("20"));
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("más"));
            clickCancel(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryRow(f, 4), before);
        QCOMPARE(Shared().TblNaptar->text(QStringLiteral("fileban")), QStringLiteral("/régi/út.txt"));

        // A cancelled file dialog changes nothing; a chosen file is stored on OK.
        testhooks::setNextFileName(QString());
        testhooks::setNextFileName(chosen);
        answerEditor([&](EntryEditor *e) {
            child<QToolButton>(e, "btFileban")->click();
            QCOMPARE(child<QLineEdit>(e, "edFileban")->text(), QStringLiteral("/régi/út.txt"));
            child<QToolButton>(e, "btFileban")->click();
            clickOk(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryField(f, 4, "fileban").toString(), QDir::toNativeSeparators(chosen));
    }

    void cancellingANewEntryLeavesNoRow()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kEntry));
        QVERIFY(f.start());
        Shared().TblNaptar->open();
        answerEditor([&](EntryEditor *e) {
            retype(child<QLineEdit>(e, "edRovid"), QStringLiteral("nem kell"));
            clickCancel(e);
        });
        EditCalendarEntry(true, LinkProject, 3, QStringLiteral("Híd"));
        QCOMPARE(Shared().TblNaptar->recordCount(), 1);
        QCOMPARE(dbCount(f.dbPath(), QStringLiteral("dolog1")), 1);
        QVERIFY(Shared().TblNaptar->isOpen());
    }

    void foreignRowsOpenAndKeepTheirValues_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<int>("shownPriority");
        QTest::addColumn<bool>("shownDone");
        QTest::addColumn<QString>("shownHour");
        // datum, datumstr, ora, fontos, kesz
        QTest::newRow("hour 25, no priority") << QStringLiteral("'2024-06-01', '20240601', 25, null, 'N'") << -1 << false << QStringLiteral("25");
        QTest::newRow("empty flag, priority 9") << QStringLiteral("'2024-06-01', '20240601', null, 9, ''") << -1 << true << QString();
        QTest::newRow("no done flag, priority 3") << QStringLiteral("'2024-06-01', '20240601', 7, 3, null") << 3 << true << QStringLiteral("7");
    }
    void foreignRowsOpenAndKeepTheirValues()
    {
        QFETCH(QString, values);
        QFETCH(int, shownPriority);
        QFETCH(bool, shownDone);
        QFETCH(QString, shownHour);
        AppFixture f;
        f.makeDb(QStringLiteral("insert into dolog1 (dolog1, datum, datumstr, ora, fontos, kesz, rovid, rovids, "
                                "ugyfel_nevs, termek_nevs, projekt_nevs) values (6, %1, 'x', 'X', '', '', '');")
                     .arg(values));
        QVERIFY(f.start());
        openEntriesAt(6);
        const QVariantList before = entryRow(f, 6);
        answerEditor([&](EntryEditor *e) {
            QCOMPARE(child<QLineEdit>(e, "edOra")->text(), shownHour);
            QCOMPARE(child<PriorityChooser>(e, "cbFontos")->value(), shownPriority);
            QCOMPARE(child<QCheckBox>(e, "cbKesz")->isChecked(), shownDone);
            clickOk(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryRow(f, 6), before);
    }

    void anEntryWithoutADayAsksForOne()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("insert into dolog1 (dolog1, rovid, kesz) values (6, 'napja nincs', 'N');"));
        QVERIFY(f.start());
        openEntriesAt(6);
        answerEditor([&](EntryEditor *e) {
            auto *day = child<DateField>(e, "edDatum");
            QVERIFY(day->isBlank());
            child<QTabWidget>(e, "PageControl1")->setCurrentIndex(1);
            clickOk(e);
            QVERIFY(e->isVisible());
            QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Figyelmeztetés"));
            QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Add meg a bejegyzés dátumát!"));
            QCOMPARE(child<QTabWidget>(e, "PageControl1")->currentIndex(), 0);
            day->setDate(QDate(2008, 2, 29));
            clickOk(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryField(f, 6, "datum").toString(), QStringLiteral("2008-02-29"));
        QCOMPARE(entryField(f, 6, "datumstr").toString(), QStringLiteral("20080229"));
    }

    void descriptionAndPriorityAreCopiedOut()
    {
        AppFixture f;
        f.makeDb(QString::fromUtf8(kEntry));
        QVERIFY(f.start());
        openEntriesAt(4);
        answerEditor([&](EntryEditor *e) {
            auto *editor = child<DescriptionEditor>(e, "edLeiras");
            QCOMPARE(editor->text(), QStringLiteral("jegyzet"));
            editor->setCursorPosition(0, 7);
            editor->insert(QStringLiteral("\nmásodik sor"));
            child<PriorityChooser>(e, "cbFontos")->setValue(3);
            child<DateField>(e, "edDatum")->setDate(QDate(2007, 12, 6));
            clickOk(e);
        });
        EditCalendarEntry(false, -1, -1, QString());
        QCOMPARE(entryField(f, 4, "leiras").toString(), QStringLiteral("jegyzet\r\nmásodik sor"));
        QCOMPARE(entryField(f, 4, "fontos"), QVariant(3));
        QCOMPARE(entryField(f, 4, "datumstr").toString(), QStringLiteral("20071206"));
        QCOMPARE(entryField(f, 4, "ora"), QVariant(14));
    }
};

QTEST_MAIN(TestCalendarEditor)
#include "tst_calendareditor.moc"
