// The task and calendar record rules: generated descriptions, sort keys and
// identifiers before saving, and the status/done coupling.

#include "tests/app/appfixture.h"

#include "scheduling/records.h"

#include "db/recordset.h"

#include <QTest>

namespace {

QString task(const QString &values)
{
    return QStringLiteral("INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, leiras, ugyfel_nev, termek_nev, projekt_nev, "
                          "fontos, kesz, dat_kesz, statusz) VALUES (") + values + QStringLiteral(");");
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

    zdb::Table *openTasks(const QString &rows)
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(rows);
        if (!f->start())
            return nullptr;
        zdb::Table *t = Shared().TblFeladat;
        t->setFiltered(false);
        t->setOrder(QStringLiteral("dolog3"));
        t->open();
        return t;
    }

private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void cleanup() { f.reset(); }

    void taskTextIsBuiltLineByLine()
    {
        zdb::Table *t = openTasks(task(QStringLiteral(
            "7, '2005-01-31', '2005-02-28', 'Árajánlat', 'első sor\r\nmásodik sor', 'Kovács Bt.', "
            "'Nyomtató', 'Iroda', 2, 'N', NULL, 1")));
        QVERIFY(t);
        const QString expected = QStringLiteral(
            "Árajánlat\r\n"
            "\r\n"
            "azonosító : 00007\r\n"
            "beérkezett: 2005.01.31\r\n"
            "határidő  : 2005.02.28\r\n"
            "ügyfél    : Kovács Bt.\r\n"
            "termék    : Nyomtató\r\n"
            "projekt   : Iroda\r\n"
            "státusz   : Folyamatban\r\n"
            "elkészült : Nem\r\n"
            "\r\n"
            "első sor\r\nmásodik sor\r\n");
        QCOMPARE(t->text(QStringLiteral("genszoveg")), expected);
    }

    void taskTextEdgeCases_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("six-digit id") << QStringLiteral("123456, NULL, NULL, 'x', NULL, NULL, NULL, NULL, 0, 'N', NULL, 0") << 2
                                      << QStringLiteral("azonosító : 123456");
        QTest::newRow("empty date") << QStringLiteral("1, NULL, NULL, 'x', NULL, NULL, NULL, NULL, 0, 'N', NULL, 0") << 3
                                    << QStringLiteral("beérkezett: 1899.12.30");
        QTest::newRow("empty kesz is done") << QStringLiteral("1, NULL, NULL, 'x', NULL, NULL, NULL, NULL, 0, '', NULL, 0") << 9
                                            << QStringLiteral("elkészült : Igen");
        QTest::newRow("status 5") << QStringLiteral("1, NULL, NULL, 'x', NULL, NULL, NULL, NULL, 0, 'N', NULL, 5") << 8
                                  << QStringLiteral("státusz   : ");
        QTest::newRow("status 3") << QStringLiteral("1, NULL, NULL, 'x', NULL, NULL, NULL, NULL, 0, 'I', NULL, 3") << 8
                                  << QStringLiteral("státusz   : Visszautasítva");
    }
    void taskTextEdgeCases()
    {
        QFETCH(QString, values);
        QFETCH(int, line);
        QFETCH(QString, expected);
        zdb::Table *t = openTasks(task(values));
        QVERIFY(t);
        const QString text = t->text(QStringLiteral("genszoveg"));
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        QCOMPARE(text.split(QStringLiteral("\r\n")).value(line), expected);
    }

    void calendarTextHasNoEmptySecondLine()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QStringLiteral("INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, leiras, kesz) "
                                 "VALUES (3, '2008-02-29', '20080229', 9, 'Megbeszélés', 'Tárgyaló', 'I');"));
        QVERIFY(f->start());
        zdb::Table *c = Shared().TblNaptar;
        c->open();
        QCOMPARE(c->text(QStringLiteral("genszoveg")),
                 QStringLiteral("Megbeszélés\r\n"
                                "dátum     : 2008.02.29\r\n"
                                "ora       : 09\r\n"
                                "ügyfél    : \r\n"
                                "termék    : \r\n"
                                "projekt   : \r\n"
                                "elkészült : Igen\r\n"
                                "\r\n"
                                "Tárgyaló\r\n"));
    }

    void savingGivesIdentifierAndSortKeys()
    {
        zdb::Table *t = openTasks(task(QStringLiteral("41, NULL, NULL, 'régi', NULL, NULL, NULL, NULL, 0, 'N', NULL, 0")));
        QVERIFY(t);
        t->insert();
        t->setValue(QStringLiteral("rovid"), QStringLiteral("Árvíztűrő tükörfúrógép"));
        t->setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Ásvány Kft."));
        t->setValue(QStringLiteral("kesz"), QStringLiteral("N"));
        t->post();
        QCOMPARE(t->text(QStringLiteral("dolog3")), QStringLiteral("42"));
        QCOMPARE(t->text(QStringLiteral("rovids")), QStringLiteral("ARVIZTURO TUKORFUROG"));
        QCOMPARE(t->text(QStringLiteral("ugyfel_nevs")), QStringLiteral("ASVANY KFT."));
        QCOMPARE(t->text(QStringLiteral("termek_nevs")), QString());

        // A calendar entry without a day is refused and nothing is stored.
        zdb::Table *c = Shared().TblNaptar;
        c->open();
        c->insert();
        c->setValue(QStringLiteral("rovid"), QStringLiteral("nap nélkül"));
        bool failed = false;
        try {
            c->post();
        } catch (const zdb::Error &) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY(c->isEditing());
        c->cancel();
        c->insert();
        c->setValue(QStringLiteral("datum"), QDate(2008, 2, 29));
        c->post();
        QCOMPARE(c->text(QStringLiteral("datumstr")), QStringLiteral("20080229"));
        QCOMPARE(c->text(QStringLiteral("dolog1")), QStringLiteral("1"));
    }

    void statusAndDoneStayCoupled()
    {
        zdb::Table *t = openTasks(task(QStringLiteral("1, '2026-01-01', NULL, 'x', NULL, NULL, NULL, NULL, 0, 'N', NULL, 0")));
        QVERIFY(t);
        struct Step { std::function<void()> run; int statusz; const char *kesz; bool doneDate; };
        const QList<Step> steps = {
            {[&] { SetTaskStatus(t, StatusInProgress); }, 1, "N", false},
            {[&] { SetTaskStatus(t, StatusRejected); }, 3, "I", false},
            {[&] { SetTaskStatus(t, StatusReceived); }, 0, "N", false},
            {[&] { ToggleTaskDone(t, StatusDone); }, 2, "I", true},      // the task list
            {[&] { ToggleTaskDone(t, StatusDone); }, 1, "N", false},     // done again: reopened
            {[&] { ToggleTaskDone(t, StatusRejected); }, 3, "I", true},  // the quick list
        };
        for (const Step &s : steps) {
            s.run();
            QCOMPARE(t->value(QStringLiteral("statusz")).toInt(), s.statusz);
            QCOMPARE(t->text(QStringLiteral("kesz")), QString::fromLatin1(s.kesz));
            QCOMPARE(t->value(QStringLiteral("dat_kesz")).toDate() == QDate::currentDate(), s.doneDate);
        }

        // On an empty list the commands do nothing.
        t->setFiltered(true);
        t->setFilter(QStringLiteral("dolog3 < 0"));
        QVERIFY(t->isEmpty());
        SetTaskStatus(t, StatusDone);
        ToggleTaskDone(t, StatusDone);
        t->setFiltered(false);
        t->refresh();
        QCOMPARE(t->recordCount(), 1);
        QCOMPARE(t->value(QStringLiteral("statusz")).toInt(), 3);
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
