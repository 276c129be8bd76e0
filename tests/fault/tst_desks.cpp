// Several desks on one database file: the other desk is a real process (the
// fault child) writing through the program's own code, this desk the whole
// program with its main window.

#include "tests/app/appfixture.h"
#include "tests/fault/faultharness.h"

#include "app/modules.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/datawatch.h"
#include "db/dberror.h"
#include "db/pgsession.h"
#include "db/recordset.h"
#include "masterdata/customerlist.h"
#include "scheduling/calendarwindow.h"
#include "scheduling/quicklist.h"
#include "scheduling/schedulingevents.h"
#include "app/helpers/datagrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

#include <sqlite3.h>

namespace {

const char *const kCustomers = R"(
INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, telefon, vanmegj, ugyfel_nevs) VALUES
 (1, 1, 'Kovács Bt.', '111', 'N', 'KOVACS BT.'),
 (2, 2, 'Ásvány Kft.', '222', 'N', 'ASVANY KFT.'),
 (3, 3, 'Bodnár Zrt.', '333', 'N', 'BODNAR ZRT.'),
 (4, 4, 'Zöld Kert', '444', 'N', 'ZOLD KERT');
INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'jegyzet');
)";

const QString kChanged = QStringLiteral("Egy másik felhasználó időközben módosította ezt a rekordot.");
const QString kDeleted = QStringLiteral("Egy másik felhasználó időközben törölte ezt a rekordot.");

// Runs the other desk to its end.
void otherDesk(const QStringList &args)
{
    Child c;
    c.start(args);
    QVERIFY2(c.process.waitForFinished(60000), "the other desk did not finish");
    QVERIFY2(c.process.exitCode() == 0, c.process.readAllStandardError().constData());
}

// Calendar entries on the shown day (tomorrow, at 9, 14 and 16 o'clock) and
// today, and three open tasks.
QString entriesSql(const QDate &day)
{
    const QString shown = day.toString(Qt::ISODate), today = QDate::currentDate().toString(Qt::ISODate);
    const QString key = day.toString(QStringLiteral("yyyyMMdd"));
    const QString todayKey = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    return QStringLiteral("INSERT INTO dolog1 (dolog1, datum, datumstr, ora, rovid, kesz) VALUES "
                          "(21, '%1', '%2', 9, 'Reggeli hívás', 'N'), (22, '%1', '%2', 14, 'Megbeszélés', 'N'),"
                          "(23, '%1', '%2', 16, 'Átadás', 'N'), (24, '%3', '%4', 10, 'Mai', 'N');"
                          "INSERT INTO dolog3 (dolog3, datum, dat_hatid, rovid, kesz, statusz) VALUES "
                          "(31, '%3', '%1', 'Ajánlat', 'N', 0), (32, '%3', '%1', 'Számla', 'N', 0),"
                          "(33, '%3', '%1', 'Szerződés', 'N', 0);")
        .arg(shown, key, today, todayKey);
}

QStringList column(zdb::RecordSet *rs, const QString &field)
{
    QStringList out;
    for (int r = 0; r < rs->recordCount(); ++r)
        out << rs->textAt(r, rs->fieldIndex(field));
    return out;
}

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const zdb::Error &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

QStringList listedNames(zdb::RecordSet *rs)
{
    QStringList names;
    for (int r = 0; r < rs->recordCount(); ++r)
        names << rs->textAt(r, rs->fieldIndex(QStringLiteral("ugyfel_nev")));
    return names;
}

} // namespace

class TestDesks : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppFixture> f;

    QVariant db(const QString &sql) const { return testenv::storedValue(f->dbPath(), sql); }
    Tfrm_Ugyfel *openCustomers() { return openListWindow<Tfrm_Ugyfel>(f->main.get(), "aUgyfel"); }
    QStringList desk(const QStringList &args) const { return QStringList{args.first(), f->dbPath()} + args.mid(1); }

private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterModules();
    }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kCustomers));
        QVERIFY(f->start());
    }
    void cleanup() { f.reset(); }

    // The other desk stores the customer this desk is editing: the save is
    // refused and the other desk's value stays in the file. "Mégsem" goes
    // back to the edits; "Újratöltés" shows the stored row with the typing
    // kept where the other desk left the field alone, and saves then.
    void secondSaveOfOneCustomerIsRefused()
    {
        Tfrm_Ugyfel *w = openCustomers();
        QVERIFY(w && w->table()->locate(QStringLiteral("ugyfel"), 1));
        bool reached = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *name = d->findChild<QLineEdit *>(QStringLiteral("edNev"));
            name->setText(QStringLiteral("Kovács és Társa Bt."));
            otherDesk(desk({QStringLiteral("store"), QStringLiteral("ugyfel"), QStringLiteral("1"),
                            QStringLiteral("telefon"), QStringLiteral("06-1-999")}));
            auto *ok = d->findChild<QPushButton *>(QStringLiteral("btOK"));
            ok->click();   // no answer queued: "Mégsem"
            QVERIFY(d->isVisible());
            QVERIFY(testhooks::lastMessage().text.startsWith(kChanged));
            QCOMPARE(db(QStringLiteral("SELECT ugyfel_nev || '/' || telefon FROM ugyfel WHERE ugyfel=1")).toString(),
                     QStringLiteral("Kovács Bt./06-1-999"));
            QCOMPARE(name->text(), QStringLiteral("Kovács és Társa Bt."));

            testhooks::setNextAnswer(true);   // "Újratöltés"
            ok->click();
            QVERIFY(d->isVisible());
            QCOMPARE(name->text(), QStringLiteral("Kovács és Társa Bt."));
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("edTelefon"))->text(), QStringLiteral("06-1-999"));
            ok->click();
            QVERIFY(!d->isVisible());
            reached = true;
        });
        w->aSzerkeszt->trigger();
        QVERIFY(reached);
        QCOMPARE(db(QStringLiteral("SELECT ugyfel_nev || '/' || telefon FROM ugyfel WHERE ugyfel=1")).toString(),
                 QStringLiteral("Kovács és Társa Bt./06-1-999"));
        QCOMPARE(db(QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toInt(), 4);
    }

    // A customer the other desk deleted while this desk edited it: the save
    // is refused, the editor closes, and nothing is created again.
    void savingARowDeletedElsewhereCreatesNothing()
    {
        Tfrm_Ugyfel *w = openCustomers();
        QVERIFY(w && w->table()->locate(QStringLiteral("ugyfel"), 2));
        bool reached = false;
        testhooks::onNextDialog([&](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("edTelefon"))->setText(QStringLiteral("06-2-000"));
            otherDesk(desk({QStringLiteral("delete"), QStringLiteral("ugyfel"), QStringLiteral("2")}));
            d->findChild<QPushButton *>(QStringLiteral("btOK"))->click();
            QVERIFY(!d->isVisible());
            QVERIFY(testhooks::lastMessage().text.startsWith(kDeleted));
            reached = true;
        });
        w->aSzerkeszt->trigger();
        QVERIFY(reached);
        QCOMPARE(db(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel=2 OR telefon='06-2-000'")).toInt(), 0);
        QVERIFY(!listedNames(w->table()).contains(QStringLiteral("Ásvány Kft.")));
    }

    // Two desks adding tasks and customers (a code proposed when the editor
    // opens) at the same time, many times over.
    void desksAddingAtOnceGetDistinctIdentifiersAndCodes()
    {
        f.reset();   // this desk stays out of it
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kCustomers));
        const QString rounds = QStringLiteral("40");
        Child a, b;
        a.start(desk({QStringLiteral("add"), rounds}));
        b.start(desk({QStringLiteral("add"), rounds}));
        QVERIFY(a.process.waitForFinished(120000));
        QVERIFY(b.process.waitForFinished(120000));
        QVERIFY2(a.process.exitCode() == 0, a.process.readAllStandardError().constData());
        QVERIFY2(b.process.exitCode() == 0, b.process.readAllStandardError().constData());
        QCOMPARE(db(QStringLiteral("SELECT COUNT(*) || '/' || COUNT(DISTINCT dolog3) FROM dolog3")).toString(),
                 QStringLiteral("80/80"));
        QCOMPARE(db(QStringLiteral("SELECT COUNT(*) || '/' || COUNT(DISTINCT ugyfel) || '/' || COUNT(DISTINCT ugyfelkod)"
                                   " FROM ugyfel"))
                     .toString(),
                 QStringLiteral("84/84/84"));
    }

    // A list open on this desk follows what the other desk adds, changes and
    // deletes, its current row kept; under an open editor it waits until
    // the editor closes.
    void openListFollowsTheOtherDesk()
    {
        Tfrm_Ugyfel *w = openCustomers();
        QVERIFY(w);
        zdb::RecordSet *rs = w->table();
        QVERIFY(rs->locate(QStringLiteral("ugyfel"), 3));
        auto current = [rs] { return rs->value(QStringLiteral("ugyfel")).toInt(); };

        otherDesk(desk({QStringLiteral("store"), QStringLiteral("ugyfel"), QStringLiteral("4"),
                        QStringLiteral("ugyfel_nev"), QStringLiteral("Zöld Kert Kft.")}));
        QTRY_VERIFY_WITH_TIMEOUT(listedNames(rs).contains(QStringLiteral("Zöld Kert Kft.")), 5000);
        QCOMPARE(current(), 3);

        otherDesk(desk({QStringLiteral("add"), QStringLiteral("1")}));
        QTRY_COMPARE_WITH_TIMEOUT(rs->recordCount(), 5, 5000);
        QVERIFY(listedNames(rs).contains(QStringLiteral("Ügyfél 1")));
        QCOMPARE(current(), 3);

        otherDesk(desk({QStringLiteral("delete"), QStringLiteral("ugyfel"), QStringLiteral("4")}));
        QTRY_COMPARE_WITH_TIMEOUT(rs->recordCount(), 4, 5000);
        QVERIFY(!listedNames(rs).contains(QStringLiteral("Zöld Kert Kft.")));
        QCOMPARE(current(), 3);

        // An editor open on the list: its row is left alone until it closes.
        bool reached = false;
        testhooks::onNextDialog([&](QDialog *d) {
            otherDesk(desk({QStringLiteral("store"), QStringLiteral("ugyfel"), QStringLiteral("1"),
                            QStringLiteral("ugyfel_nev"), QStringLiteral("Kovács Zrt.")}));
            QTest::qWait(1500);
            QVERIFY(!listedNames(rs).contains(QStringLiteral("Kovács Zrt.")));
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("edNev"))->text(), QStringLiteral("Bodnár Zrt."));
            d->findChild<QPushButton *>(QStringLiteral("btMegsem"))->click();
            reached = true;
        });
        w->aSzerkeszt->trigger();
        QVERIFY(reached);
        QTRY_VERIFY_WITH_TIMEOUT(listedNames(rs).contains(QStringLiteral("Kovács Zrt.")), 5000);
        QCOMPARE(current(), 3);

        // With the watching off nothing comes in. (A server pushes the other
        // desks' commits itself: there is no looking to switch off.)
        if (testenv::onServer())
            return;
        auto *watcher = f->main->findChild<zdb::DataWatcher *>(QStringLiteral("DataWatcher"));
        QVERIFY(watcher);
        watcher->setEnabled(false);
        otherDesk(desk({QStringLiteral("store"), QStringLiteral("ugyfel"), QStringLiteral("3"),
                        QStringLiteral("ugyfel_nev"), QStringLiteral("Bodnár Nyrt.")}));
        QTest::qWait(1500);
        QVERIFY(!listedNames(rs).contains(QStringLiteral("Bodnár Nyrt.")));
    }

    // The quick list and the calendar window follow the other desk's
    // calendar entries (and the quick list its tasks) on the day they show,
    // keeping the day and the current row; under an open editor they wait
    // until it closes.
    void quickListAndCalendarFollowTheOtherDesk_data()
    {
        QTest::addColumn<bool>("quickList");
        QTest::newRow("quick list") << true;
        QTest::newRow("calendar window") << false;
    }
    void quickListAndCalendarFollowTheOtherDesk()
    {
        QFETCH(bool, quickList);
        const QDate day = QDate::currentDate().addDays(1);
        f.reset();
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kCustomers) + entriesSql(day));
        QVERIFY(f->start());
        zdb::Table *entries = Shared().TblNaptar;
        DataGrid *grid = nullptr;
        QAction *edit = nullptr;
        Tfrm_GyorsLista *q = nullptr;
        if (quickList) {
            q = OpenQuickList();
            QVERIFY(q);
            q->ShowDay(day);
            grid = q->calendarGrid();
            edit = q->aSzerkeszt;
        } else {
            Tfrm_Naptar *w = openListWindow<Tfrm_Naptar>(f->main.get(), "aNaptar");
            QVERIFY(w);
            w->showDay(day);
            grid = w->grid();
            edit = w->aSzerkeszt;
        }
        QVERIFY(entries->locate(QStringLiteral("dolog1"), 22));
        const auto texts = [entries] { return column(entries, QStringLiteral("rovid")); };
        const auto current = [entries] { return entries->value(QStringLiteral("dolog1")).toInt(); };
        // The shown day, the current entry, and the grid showing every row.
        const auto state = [&] {
            return QStringLiteral("%1 %2 %3")
                .arg(Beall().CalendarDay.toString(Qt::ISODate))
                .arg(current())
                .arg(grid->model()->rowCount() == entries->recordCount() ? "grid" : "grid behind");
        };
        const QString kept = day.toString(Qt::ISODate) + QStringLiteral(" 22 grid");
        const auto entry = [&](const QDate &d, const char *hour, const char *text) {
            otherDesk(desk({QStringLiteral("insert"), QStringLiteral("dolog1"), QStringLiteral("datum"),
                            d.toString(Qt::ISODate), QStringLiteral("datumstr"), d.toString(QStringLiteral("yyyyMMdd")),
                            QStringLiteral("ora"), QString::fromLatin1(hour), QStringLiteral("rovid"),
                            QString::fromUtf8(text), QStringLiteral("kesz"), QStringLiteral("N")}));
        };

        // Added on the shown day and on today: only the first comes in, in its hour's place.
        entry(QDate::currentDate(), "12", "Máskor");
        entry(day, "12", "Ebéd");
        QTRY_COMPARE_WITH_TIMEOUT(texts(), (QStringList{"Reggeli hívás", "Ebéd", "Megbeszélés", "Átadás"}), 5000);
        QCOMPARE(state(), kept);
        otherDesk(desk({QStringLiteral("store"), QStringLiteral("dolog1"), QStringLiteral("21"), QStringLiteral("rovid"),
                        QStringLiteral("Korai hívás")}));
        QTRY_COMPARE_WITH_TIMEOUT(texts().first(), QStringLiteral("Korai hívás"), 5000);
        QCOMPARE(state(), kept);
        otherDesk(desk({QStringLiteral("delete"), QStringLiteral("dolog1"), QStringLiteral("23")}));
        QTRY_COMPARE_WITH_TIMEOUT(texts(), (QStringList{"Korai hívás", "Ebéd", "Megbeszélés"}), 5000);
        QCOMPARE(state(), kept);
        QCOMPARE(entries->filter(), QStringLiteral("datumstr=?"));
        if (q)
            QCOMPARE(q->dateStrip()->text(), CalendarHeaderText(day));

        // An editor open on the current entry: the rows wait until it closes.
        auto *watcher = f->main->findChild<zdb::DataWatcher *>(QStringLiteral("DataWatcher"));
        QVERIFY(watcher);
        bool reached = false;
        testhooks::onNextDialog([&](QDialog *d) {
            otherDesk(desk({QStringLiteral("store"), QStringLiteral("dolog1"), QStringLiteral("21"),
                            QStringLiteral("rovid"), QStringLiteral("Késői hívás")}));
            watcher->check();   // the change is announced now, under the editor
            QCOMPARE(texts().first(), QStringLiteral("Korai hívás"));
            QCOMPARE(current(), 22);
            d->findChild<QPushButton *>(QStringLiteral("btMegsem"))->click();
            reached = true;
        });
        edit->trigger();
        QVERIFY(reached);
        QTRY_COMPARE_WITH_TIMEOUT(texts().first(), QStringLiteral("Késői hívás"), 5000);
        QCOMPARE(state(), kept);
        if (!q)
            return;

        // The quick list's task page: open tasks added, changed and deleted.
        zdb::Table *tasks = Shared().TblFeladat;
        q->showPage(Tfrm_GyorsLista::TaskPage);
        QVERIFY(tasks->locate(QStringLiteral("dolog3"), 32));
        otherDesk(desk({QStringLiteral("insert"), QStringLiteral("dolog3"), QStringLiteral("rovid"),
                        QStringLiteral("Új feladat"), QStringLiteral("kesz"), QStringLiteral("N")}));
        QTRY_VERIFY_WITH_TIMEOUT(column(tasks, QStringLiteral("rovid")).contains(QStringLiteral("Új feladat")), 5000);
        otherDesk(desk({QStringLiteral("store"), QStringLiteral("dolog3"), QStringLiteral("31"), QStringLiteral("rovid"),
                        QStringLiteral("Árajánlat")}));
        QTRY_VERIFY_WITH_TIMEOUT(column(tasks, QStringLiteral("rovid")).contains(QStringLiteral("Árajánlat")), 5000);
        otherDesk(desk({QStringLiteral("delete"), QStringLiteral("dolog3"), QStringLiteral("33")}));
        QTRY_COMPARE_WITH_TIMEOUT(tasks->recordCount(), 3, 5000);
        QVERIFY(!column(tasks, QStringLiteral("rovid")).contains(QStringLiteral("Szerződés")));
        QCOMPARE(tasks->value(QStringLiteral("dolog3")).toInt(), 32);
        QCOMPARE(q->taskGrid()->model()->rowCount(), 3);
        QCOMPARE(q->taskText()->toPlainText(), tasks->text(QStringLiteral("genszoveg")).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // The other desk holds the write lock past the wait: the user is asked,
    // "Mégsem" writes nothing and keeps the typing, "Újra" once the lock is
    // gone stores the row.
    void lockedByAnotherDeskAsksAndRetries()
    {
        if (testenv::onServer())
            QSKIP("the file's lock: lockedOnTheServerAsksAndRetries is the server's");
        Tfrm_Ugyfel *w = openCustomers();
        QVERIFY(w && w->table()->locate(QStringLiteral("ugyfel"), 1));
        zdb::Connection *conn = Db1();
        conn->timeOut = 200;
        sqlite3_busy_timeout(conn->handle(), conn->timeOut);
        Child other;
        other.start(desk({QStringLiteral("lock")}));
        QVERIFY(other.waitFor(QStringLiteral("locked"), 1));

        zdb::Table *tbl = w->table();
        tbl->edit();
        tbl->setValue(QStringLiteral("telefon"), QStringLiteral("06-1-123"));
        QVERIFY_THROWS_EXCEPTION(zdb::BusyDeclined, tbl->post());   // no answer queued: "Mégsem"
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Foglalt adatbázis"));
        QVERIFY(testhooks::lastMessage().text.contains(QStringLiteral("Újra megpróbálja?")));
        QVERIFY(tbl->isEditing());
        QCOMPARE(tbl->text(QStringLiteral("telefon")), QStringLiteral("06-1-123"));

        // The user waits for the other desk, then answers "Újra".
        const auto appPrompt = conn->busyPrompt;
        int asked = 0;
        conn->busyPrompt = [&](const QString &message) {
            ++asked;
            other.process.write("go\n");
            other.process.waitForBytesWritten(5000);
            if (!other.waitFor(QStringLiteral("released"), 1))
                return false;
            other.process.waitForFinished(10000);
            testhooks::setNextAnswer(true);
            return appPrompt(message);
        };
        tbl->post();
        conn->busyPrompt = appPrompt;
        QCOMPARE(asked, 1);
        QCOMPARE(db(QStringLiteral("SELECT telefon FROM ugyfel WHERE ugyfel=1")).toString(), QStringLiteral("06-1-123"));
        QCOMPARE(db(QStringLiteral("SELECT rovid FROM jegyzet")).toString(), QStringLiteral("másik munkahely"));
    }

    // The same on a server: the other desk's write lock (a new row) or row
    // lock (an edit) held past the lock time-out asks the same question;
    // "Mégsem" writes nothing and leaves no transaction open, "Újra" once the
    // lock is gone stores the new row, or finds the edited row changed.
    void lockedOnTheServerAsksAndRetries_data()
    {
        QTest::addColumn<bool>("insert");
        QTest::newRow("new row") << true;
        QTest::newRow("edit of a locked row") << false;
    }
    void lockedOnTheServerAsksAndRetries()
    {
        QFETCH(bool, insert);
        f = std::make_unique<AppFixture>();
        // Runs in both registrations, perhaps at the same time: a database of its own.
        const QString address = f->makeServerDb(
            QStringLiteral("zt_desks_busy_%1").arg(QCoreApplication::applicationPid()), QString::fromUtf8(kCustomers));
        if (address.isEmpty())
            QSKIP("no test server: run through ctest or scripts/pgserver run");
        QVERIFY(f->start());
        zdb::Connection *conn = Db1();
        {
            zdb::Query wait(conn, QStringLiteral("SHOW lock_timeout"));
            wait.open();
            QCOMPARE(wait.text(wait.field(0).name), QStringLiteral("5s"));   // the file's busy time-out
        }
        conn->server()->setLockTimeout(200);
        zdb::Connection reader;
        reader.setPath(address);
        auto stored = [&](const QString &sql) {
            zdb::Query q(&reader, sql);
            q.open();
            return q.text(q.field(0).name);
        };
        zdb::Table notes(conn);
        zdb::UseCatalogue(notes, QStringLiteral("jegyzet"));
        notes.open();
        Child other;
        other.start({QStringLiteral("lock"), address});
        QVERIFY(other.waitFor(QStringLiteral("locked"), 1));

        if (insert) {
            notes.insert();
        } else {
            QVERIFY(notes.locate(QStringLiteral("jegyzet"), 1));
            notes.edit();
        }
        notes.setValue(QStringLiteral("rovid"), QStringLiteral("itteni"));
        QVERIFY_THROWS_EXCEPTION(zdb::BusyDeclined, notes.post());   // no answer queued: "Mégsem"
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Foglalt adatbázis"));
        QVERIFY(notes.isEditing());
        QVERIFY(!conn->inTransaction());
        QCOMPARE(stored(QStringLiteral("SELECT COUNT(*) FROM jegyzet WHERE rovid = 'itteni'")), QStringLiteral("0"));

        const auto appPrompt = conn->busyPrompt;
        int asked = 0;
        conn->busyPrompt = [&](const QString &message) {
            ++asked;
            other.process.write("go\n");
            other.process.waitForBytesWritten(5000);
            if (!other.waitFor(QStringLiteral("released"), 1))
                return false;
            other.process.waitForFinished(10000);
            testhooks::setNextAnswer(true);
            return appPrompt(message);
        };
        if (insert) {
            notes.post();
        } else {
            const QString message = errorOf([&] { notes.post(); });
            QCOMPARE(message, kChanged);
        }
        conn->busyPrompt = appPrompt;
        QCOMPARE(asked, 1);
        QVERIFY(!conn->inTransaction());
        QCOMPARE(stored(QStringLiteral("SELECT COUNT(*) FROM jegyzet WHERE rovid = 'itteni'")), insert ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet = 1")), QStringLiteral("másik munkahely"));
    }
};

QTEST_MAIN(TestDesks)
#include "tst_desks.moc"
