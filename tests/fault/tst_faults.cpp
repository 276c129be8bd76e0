// Faults a desk computer meets: the program killed in the middle of its
// work, a database locked by another program, files that are no database or
// lack a table, a read-only file, a full disk, and two copies of the program
// on one database.

#include "tests/app/appfixture.h"
#include "tests/fault/faultharness.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/core/restorecopies.h"
#include "db/backup.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/serverschema.h"
#include "tests/common/pgtest.h"
#include "db/recordset.h"
#include "masterdata/csvimport.h"
#include "masterdata/entries.h"
#include "app/delimitedexportdialog.h"
#include "output/delimitedexport.h"
#include "output/htmlexport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace {

QString integrity(const QString &db)
{
    return testenv::storedValue(db, QStringLiteral("PRAGMA integrity_check")).toString();
}

void addNotes(const QString &db, int count)
{
    QString sql = QStringLiteral("BEGIN;");
    for (int i = 1; i <= count; ++i)
        sql += QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid, szoveg) VALUES (%1, 'jegyzet %1', '%2');")
                   .arg(i).arg(QString(1500, QLatin1Char('a' + i % 26)));
    testenv::execSql(db, sql + QStringLiteral("COMMIT;"));
}

// Customers 1..count with the codes 1..count, as the import child expects.
void addCustomers(const QString &db, int count)
{
    testenv::execSql(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                        " INSERT INTO ugyfel (ugyfel, ugyfelkod, ugyfel_nev, telefon, vanmegj, ugyfel_nevs)"
                                        " SELECT i, i, 'Régi ügyfél ' || i, 'régi', 'N', 'REGI UGYFEL ' || i FROM n;")
                             .arg(count));
}

qlonglong storedCount(const QString &db, const QString &where)
{
    return testenv::storedValue(db, QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ") + where).toLongLong();
}

// The number after the last line of the child's starting with `word`.
int lastNumber(const QStringList &lines, const QString &word)
{
    int n = 0;
    for (const QString &line : lines)
        if (line.startsWith(word + QLatin1Char(' ')))
            n = line.mid(word.size() + 1).toInt();
    return n;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Overwrites the start of one page, where its header lies.
void damagePage(const QString &path, qint64 page)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray header = f.read(100);
    const qint64 pageSize = (uchar(header[16]) << 8) | uchar(header[17]);
    QVERIFY(f.seek((page - 1) * pageSize));
    f.write(QByteArray(64, '\x5a'));
}

QString storedNote(const QString &db)
{
    return testenv::storedValue(db, QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet = 1")).toString();
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        QVERIFY2(QFileInfo::exists(kChild), qPrintable(kChild));
    }

    void killedWhilePosting()
    {
        AppFixture f;
        f.makeDb();
        Child c;
        c.start({QStringLiteral("post"), f.dbPath()});
        QVERIFY(c.waitFor(QStringLiteral("posted"), 40));
        c.kill();
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
        // Every row the child reported as posted is there.
        qlonglong last = 0;
        for (const QString &line : std::as_const(c.lines))
            if (line.startsWith(QStringLiteral("posted ")))
                last = line.mid(7).toLongLong();
        QVERIFY(last >= 40);
        QVERIFY(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(*) FROM jegyzet")).toLongLong() >= last);
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(*) FROM jegyzet WHERE jegyzet <= %1").arg(last)).toLongLong(), last);
    }

    void killedWhileExporting_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("progress");
        QTest::newRow("delimited") << QStringLiteral("delimited") << QStringLiteral("writing");
        QTest::newRow("html") << QStringLiteral("html") << QStringLiteral("exported");
    }
    void killedWhileExporting()
    {
        QFETCH(QString, mode);
        QFETCH(QString, progress);
        AppFixture f;
        f.makeDb();
        addNotes(f.dbPath(), 3000);
        const QString out = f.path(QStringLiteral("export.out"));

        // The whole file the export writes.
        Child whole;
        whole.start({mode, f.dbPath(), out, QStringLiteral("1")});
        QVERIFY(whole.process.waitForFinished(120000));
        QCOMPARE(whole.process.exitCode(), 0);
        const QByteArray complete = testenv::fileBytes(out);
        QVERIFY(complete.size() > 1000000);

        // Killed at some point of writing it again and again: the file at the
        // path is always the old one or a whole new one, never a part.
        for (int strike = 1; strike <= 3; ++strike) {
            writeFile(out, "régi fájl");
            Child c;
            c.start({mode, f.dbPath(), out});
            QVERIFY(c.waitFor(progress, strike));
            c.kill();
            const QByteArray now = testenv::fileBytes(out);
            QVERIFY2(now == "régi fájl" || now.size() == complete.size(),
                     qPrintable(QStringLiteral("%1 bytes after the kill").arg(now.size())));
            if (mode == u"delimited" && now != "régi fájl")
                QCOMPARE(now, complete);
        }
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
    }

    void killedWhileImporting_data()
    {
        QTest::addColumn<int>("strike");
        // The child says "loading" six times a load: the first and the third load.
        QTest::newRow("first load") << 1;
        QTest::newRow("third load") << 14;
    }
    void killedWhileImporting()
    {
        // A load is one savepoint: a kill leaves the database as it was before
        // a load or after a whole one, never with part of a file in it.
        QFETCH(int, strike);
        constexpr int kStart = 4000, kNewPerLoad = 3000;
        AppFixture f;
        f.makeDb();
        addCustomers(f.dbPath(), kStart);
        Child c;
        c.start({QStringLiteral("csvimport"), f.dbPath(), f.path(QStringLiteral("ugyfel.csv"))});
        QVERIFY(c.waitFor(QStringLiteral("loading"), strike));
        c.kill();
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));

        const int finished = lastNumber(c.lines, QStringLiteral("loaded"));
        QCOMPARE(finished, (strike - 1) / 6);
        // The kill struck while a load ran, or in the moment between its
        // commit and its line.
        QVERIFY2(lastNumber(c.lines, QStringLiteral("loading")) == finished + 1, qPrintable(c.lines.join(u',')));
        const qlonglong added = storedCount(f.dbPath(), QStringLiteral("ugyfelkod > 100000"));
        const qlonglong loads = added / kNewPerLoad;
        QCOMPARE(added % kNewPerLoad, 0);
        QVERIFY(loads == finished || loads == finished + 1);
        // Each whole load added its own codes.
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(DISTINCT ugyfelkod / 100000) FROM ugyfel"
                                                                 " WHERE ugyfelkod > 100000")).toLongLong(), loads);
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel IS NULL")).toLongLong(), 0);

        // Every customer there before is there, its name untouched; the ones
        // the file names carry the telephone of the last whole load.
        QCOMPARE(storedCount(f.dbPath(), QStringLiteral("ugyfelkod <= %1 AND ugyfel_nev = 'Régi ügyfél ' || ugyfelkod").arg(kStart)),
                 kStart);
        const QString phone = loads ? QStringLiteral("06-%1").arg(loads) : QStringLiteral("régi");
        QCOMPARE(storedCount(f.dbPath(), QStringLiteral("ugyfelkod <= %1 AND telefon = '%2'").arg(kNewPerLoad).arg(phone)),
                 kNewPerLoad);
        QCOMPARE(storedCount(f.dbPath(), QStringLiteral("ugyfelkod > %1 AND ugyfelkod <= %2 AND telefon = 'régi'")
                                             .arg(kNewPerLoad).arg(kStart)),
                 kStart - kNewPerLoad);
    }

    void lockedDatabaseGivesAMessageNotAHang()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'a');"));
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.timeOut = 300;
        db.open();
        zdb::Table notes(&db);
        zdb::UseCatalogue(notes, QStringLiteral("jegyzet"));
        notes.open();

        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(f.dbPath()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        QElapsedTimer t;
        t.start();
        // Opening a list, a post and a delete each fail with SQLite's message.
        zdb::Table again(&db);
        zdb::UseCatalogue(again, QStringLiteral("jegyzet"));
        QVERIFY_THROWS_EXCEPTION(zdb::Error, again.open());
        notes.edit();
        notes.setValue(QStringLiteral("rovid"), QStringLiteral("b"));
        QVERIFY_THROWS_EXCEPTION(zdb::Error, notes.post());
        QVERIFY(notes.isEditing());   // nothing typed is lost
        notes.cancel();
        QVERIFY_THROWS_EXCEPTION(zdb::Error, notes.remove());
        QCOMPARE(notes.recordCount(), 1);
        QVERIFY(t.elapsed() < 30000);

        // The program's start says so and does not hang either (the login
        // switch cannot be read, so the start ends there).
        t.restart();
        QVERIFY(!f.start());
        QVERIFY(!testhooks::shownMessages().isEmpty());
        QVERIFY(testhooks::shownMessages().last().text.contains(QStringLiteral("locked")));
        QVERIFY(t.elapsed() < 30000);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        db.close();
    }

    void lockedDatabaseExportsAndImports_data()
    {
        QTest::addColumn<QString>("lock");
        // Another program reading (writing goes, the commit does not), writing
        // (reading goes), or committing (nothing goes).
        QTest::newRow("shared") << QStringLiteral("BEGIN; SELECT COUNT(*) FROM ugyfel;");
        QTest::newRow("reserved") << QStringLiteral("BEGIN IMMEDIATE");
        QTest::newRow("exclusive") << QStringLiteral("BEGIN EXCLUSIVE");
    }
    void lockedDatabaseExportsAndImports()
    {
        // The exports write the rows the list holds and finish; the import
        // (its restore copy, its load, its dialog) says why it stopped. None
        // hangs, and the database stays as it was.
        QFETCH(QString, lock);
        const QString kLocked = QStringLiteral("Az adatbázist most egy másik program használja. Próbálja újra egy "
                                               "kicsit később.\ndatabase is locked");
        AppFixture f;
        f.makeDb();
        addCustomers(f.dbPath(), 3);
        const QString csv = f.path(QStringLiteral("ugyfel.csv"));
        writeFile(csv, "ugyfelkod;ugyfel_nev\r\n1;Uj nev\r\n9;Uj ugyfel\r\n");
        const QByteArray before = testenv::fileBytes(f.dbPath());
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.timeOut = 300;
        db.open();
        zdb::Table customers(&db);
        zdb::UseCatalogue(customers, QStringLiteral("ugyfel"));
        customers.setOrder(QStringLiteral("ugyfel_nevs"));
        customers.open();
        DataGrid grid;
        grid.resize(600, 300);
        GridColumn name;
        name.field = QStringLiteral("ugyfel_nev");
        name.title = QStringLiteral("Ügyfél");
        name.width = 300;
        grid.setRecordSet(&customers, {name});
        const QString delimited = f.path(QStringLiteral("ugyfel.txt"));
        const QString html = f.path(QStringLiteral("ugyfel.htm"));
        writeFile(delimited, "régi fájl");
        writeFile(html, "régi fájl");

        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(f.dbPath()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, lock.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        QElapsedTimer t;
        t.start();

        testhooks::clearMessages();
        {
            Tfrm_Excelbe dialog(&customers);
            dialog.setFileName(delimited);
            dialog.startExport();
        }
        QCOMPARE(testhooks::lastMessage().text, delimited + QStringLiteral(" file kész."));
        const QByteArray text = testenv::fileBytes(delimited);
        QVERIFY(text.contains("R\xe9gi \xfcgyf\xe9l 3"));
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(text.count("\r\n"), 4);
        WriteGridHtml(grid.shape(), QStringLiteral("Ügyfelek"), QString(), html);
        const QByteArray page = testenv::fileBytes(html);
        QVERIFY(page.contains("R\xe9gi \xfcgyf\xe9l 3"));
        QVERIFY(page.trimmed().endsWith("</html>"));

        // The load by itself.
        QString loadError;
        try {
            const csvimport::FileLines lines(testenv::fileBytes(csv));
            const csvimport::Outcome outcome = csvimport::Load(customers, csvimport::CustomerImport(),
                                                               csvimport::ColumnsFromHeader(lines.line(0)), lines);
            QVERIFY(outcome.nothingWritten);
            QCOMPARE(outcome.inserted + outcome.updated, 0);
            loadError = outcome.error;
        } catch (const zdb::Error &e) {
            loadError = e.message();
        }
        // No transaction is left open for the program's next change (it
        // would hold every later post uncommitted, and the lock).
        QVERIFY(sqlite3_get_autocommit(db.handle()));
        QVERIFY2(loadError.contains(kLocked), qPrintable(loadError));

        // The import dialog: one error message naming the lock, from the
        // restore copy when the database cannot even be read.
        testhooks::clearMessages();
        testhooks::onNextDialog([csv](QDialog *d) {
            auto *dlg = qobject_cast<Tfrm_Betolt *>(d);
            QVERIFY(dlg);
            testhooks::setNextFileName(csv);
            dlg->aMegnyit->trigger();
            dlg->aBetolt->trigger();
            QVERIFY(!dlg->loading());
            dlg->aBezar->trigger();
        });
        ImportCustomers(&customers);
        QVERIFY(sqlite3_get_autocommit(db.handle()));
        const QList<testhooks::ShownMessage> shown = testhooks::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("error"));
        QVERIFY2(shown[0].text.contains(kLocked), qPrintable(shown[0].text));
        QVERIFY(t.elapsed() < 30000);

        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(customers.recordCount(), 3);
        db.close();
        QCOMPARE(testenv::fileBytes(f.dbPath()), before);
        // A copy is whole or missing: no part of one is left behind.
        const QStringList left = QDir(RestoreCopyFolder()).entryList(QDir::Files);
        QVERIFY2(left.filter(QStringLiteral(".part")).isEmpty(), qPrintable(left.join(u',')));
        for (const RestoreCopy &copy : RestoreCopies())
            QCOMPARE(integrity(copy.path), QStringLiteral("ok"));
    }

    void filesThatAreNoGoodDatabase()
    {
        // Not a database, a missing table, a missing column: a message, no
        // crash, the file as it was.
        AppFixture f;
        writeFile(f.dbPath(), QByteArray(4096, 'n'));
        f.start();
        QVERIFY(testhooks::shownMessages().last().text.startsWith(QStringLiteral("Az adatbázis sérült")));
        QVERIFY(testhooks::shownMessages().last().text.contains(QStringLiteral("nem adatbázisé")));
        QCOMPARE(testenv::fileBytes(f.dbPath()), QByteArray(4096, 'n'));
        f.main.reset();

        QFile::remove(f.dbPath());
        f.makeDb(QStringLiteral("DROP TABLE dolog3; CREATE TABLE jegyzet2 (x integer); DROP TABLE jegyzet;"
                                "ALTER TABLE jegyzet2 RENAME TO jegyzet;"));
        const QByteArray before = testenv::fileBytes(f.dbPath());
        QVERIFY(f.start());
        zdb::Table notes(Db1());
        zdb::UseCatalogue(notes, QStringLiteral("jegyzet"));
        QVERIFY_THROWS_EXCEPTION(zdb::Error, notes.open());
        zdb::Table tasks(Db1());
        zdb::UseCatalogue(tasks, QStringLiteral("dolog3"));
        QVERIFY_THROWS_EXCEPTION(zdb::Error, tasks.open());
        f.main.reset();
        QCOMPARE(testenv::fileBytes(f.dbPath()), before);
    }

    void readOnlyDatabase()
    {
        // The file may be read, not written: the post fails with a message
        // and the file stays as it was. Root is not stopped by permissions,
        // so the child then runs as an ordinary user.
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'a');"));
        QVERIFY(QFile::setPermissions(f.dbPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(f.path({}), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadOther | QFile::ExeOther));
        const QByteArray before = testenv::fileBytes(f.dbPath());
        Child c;
        if (geteuid() == 0)
            c.process.setChildProcessModifier([] {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(3);
            });
        c.start({QStringLiteral("post"), f.dbPath(), QString(), QStringLiteral("1")});
        QVERIFY(c.process.waitForFinished(60000));
        QCOMPARE(c.process.exitCode(), 1);
        const QByteArray err = c.process.readAllStandardError();
        QVERIFY2(err.contains("readonly") || err.contains("unable to open"), err.constData());
        QCOMPARE(testenv::fileBytes(f.dbPath()), before);
    }

    void fullDisk()
    {
        // A file size limit stands in for a full disk: the post fails with a
        // message and what was stored before stays sound.
        AppFixture f;
        f.makeDb();
        Child c;
        c.process.setChildProcessModifier([] {
            struct rlimit limit {300 * 1024, 300 * 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        });
        c.start({QStringLiteral("post"), f.dbPath()});
        QVERIFY(c.process.waitForFinished(60000));
        QVERIFY(c.process.exitStatus() == QProcess::NormalExit);
        QVERIFY(c.process.exitCode() != 0);
        const QByteArray err = c.process.readAllStandardError();
        QVERIFY2(err.contains("full") || err.contains("I/O"), err.constData());
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
    }

    void twoProgramsOnOneDatabase()
    {
        AppFixture f;
        f.makeDb();
        Child a, b;
        a.start({QStringLiteral("post"), f.dbPath(), QString(), QStringLiteral("100")});
        b.start({QStringLiteral("post"), f.dbPath(), QString(), QStringLiteral("100")});
        QVERIFY(a.process.waitForFinished(120000));
        QVERIFY(b.process.waitForFinished(120000));
        QCOMPARE(a.process.exitCode(), 0);
        QCOMPARE(b.process.exitCode(), 0);
        // Every row of both is there, each with an identifier of its own.
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(*) FROM jegyzet")).toLongLong(), 200);
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(DISTINCT jegyzet) FROM jegyzet")).toLongLong(), 200);
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
    }

    // Two desks on one server database: every row of both is stored, each
    // with an identifier of its own, however their posts interleave.
    void twoDesksOnOneServer()
    {
        if (pgtest::baseAddress().isEmpty())
            QSKIP("no test server: run through ctest or scripts/pgserver run");
        const QString address = pgtest::freshDatabase(QStringLiteral("zt_twodesks"));
        QFile schema(testenv::sourceDir() + QStringLiteral("/db/schema.sql"));
        QVERIFY(schema.open(QIODevice::ReadOnly));
        zdb::Connection db;
        db.setPath(address);
        db.open();
        db.executeDirect(zdb::serverSchema(QString::fromUtf8(schema.readAll())));
        Child a, b;
        a.start({QStringLiteral("post"), address, QString(), QStringLiteral("100")});
        b.start({QStringLiteral("post"), address, QString(), QStringLiteral("100")});
        QVERIFY(a.process.waitForFinished(120000));
        QVERIFY(b.process.waitForFinished(120000));
        QCOMPARE(a.process.exitCode(), 0);
        QCOMPARE(b.process.exitCode(), 0);
        zdb::Query count(&db, QStringLiteral("SELECT COUNT(*) AS n, COUNT(DISTINCT jegyzet) AS ids FROM jegyzet"));
        count.open();
        QCOMPARE(count.value(QStringLiteral("n")).toInt(), 200);
        QCOMPARE(count.value(QStringLiteral("ids")).toInt(), 200);
    }

    void startSeesEveryStateOfTheFile_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("offered");   // the newest sound copy is offered and taken
        QTest::newRow("sound") << "sound" << false;
        QTest::newRow("missing") << "missing" << true;
        QTest::newRow("empty") << "empty" << true;
        QTest::newRow("header overwritten") << "header" << true;
        QTest::newRow("damaged page") << "page" << true;
        QTest::newRow("hot journal") << "journal" << false;
        QTest::newRow("hot journal over a damaged page") << "journal+page" << true;
    }
    void startSeesEveryStateOfTheFile()
    {
        QFETCH(QString, state);
        QFETCH(bool, offered);
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (beallit, vanbelep) VALUES (1, 'N');"));
        addNotes(f.dbPath(), 200);
        addCustomers(f.dbPath(), 3000);
        testenv::execSql(f.dbPath(), QStringLiteral("UPDATE jegyzet SET rovid = 'mentett' WHERE jegyzet = 1;"));
        {
            zdb::Connection db;
            db.setPath(f.dbPath());
            db.open();
            MakeRestoreCopy(&db, CopyCause::Sql);
        }
        testenv::execSql(f.dbPath(), QStringLiteral("UPDATE jegyzet SET rovid = 'később' WHERE jegyzet = 1;"));
        const qint64 notesRoot = testenv::storedValue(f.dbPath(), QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'jegyzet'")).toLongLong();
        QVERIFY(notesRoot > 1);

        if (state == u"missing")
            QFile::remove(f.dbPath());
        if (state == u"empty")
            writeFile(f.dbPath(), QByteArray());
        if (state == u"header") {
            QFile file(f.dbPath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(QByteArray(100, 'x'));
        }
        if (state.startsWith(u"journal")) {
            // A program killed in the middle of a transaction whose pages
            // already reached the file.
            Child c;
            c.start({QStringLiteral("holdjournal"), f.dbPath()});
            QVERIFY(c.waitFor(QStringLiteral("spilled"), 1));
            c.kill();
            QVERIFY(QFileInfo(f.dbPath() + QStringLiteral("-journal")).size() > 0);
        }
        if (state.endsWith(u"page"))
            damagePage(f.dbPath(), notesRoot);
        const QByteArray before = QFileInfo::exists(f.dbPath()) ? testenv::fileBytes(f.dbPath()) : QByteArray();

        testhooks::setNextAnswer(true);
        QVERIFY(f.start());
        QVERIFY(Db1()->isConnected());
        f.main.reset();
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
        const QStringList aside = QDir(f.path({})).entryList({QStringLiteral("Zentavo.sqb.serult-*")});
        if (offered) {
            QVERIFY(testhooks::shownMessages().first().text.contains(QStringLiteral("Visszaállítsam a legutóbbi ép másolatot")));
            QCOMPARE(storedNote(f.dbPath()), QStringLiteral("mentett"));
            // The damaged file stays beside it, as it was found.
            QCOMPARE(aside.size(), state == u"missing" ? 0 : 1);
            if (state != u"missing" && !state.startsWith(u"journal"))
                QCOMPARE(testenv::fileBytes(f.path(aside.first())), before);
        } else {
            QVERIFY2(testhooks::shownMessages().isEmpty(), qPrintable(testhooks::lastMessage().text));
            QCOMPARE(storedNote(f.dbPath()), QStringLiteral("később"));
            QVERIFY(aside.isEmpty());
        }
        // An interrupted transaction is rolled back, never half kept.
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE telefon <> 'régi'")).toLongLong(), 0);
        QVERIFY(!QFileInfo::exists(f.dbPath() + QStringLiteral("-journal")) || QFileInfo(f.dbPath() + QStringLiteral("-journal")).size() == 0);
    }

    void killedWhileTakingRestoreCopies()
    {
        AppFixture f;
        f.makeDb();
        addNotes(f.dbPath(), 3000);
        const QString folder = f.path(QStringLiteral("Mentesek"));
        // Struck a little later each time: while copying, checking, renaming.
        for (int strike = 0; strike < 8; ++strike) {
            Child c;
            c.start({QStringLiteral("copies"), f.dbPath(), folder});
            QVERIFY(c.waitFor(QStringLiteral("copying"), 2));
            QThread::msleep(strike * 12);
            c.kill();
            // Every copy listed is whole and sound; a part of one is not listed.
            SetRestoreCopyFolder(folder);
            const QList<RestoreCopy> copies = RestoreCopies();
            SetRestoreCopyFolder({});
            QVERIFY(copies.size() >= lastNumber(c.lines, QStringLiteral("copied")));
            for (const RestoreCopy &copy : copies) {
                QVERIFY(copy.checked && copy.sound);
                QCOMPARE(integrity(copy.path), QStringLiteral("ok"));
            }
        }
        QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
    }

    void killedWhileRestoring()
    {
        // Two copies put in the place of the database in turn: killed at
        // any moment, the database is one of them, whole.
        AppFixture f;
        const QString a = f.path(QStringLiteral("a.sqb")), b = f.path(QStringLiteral("b.sqb"));
        testenv::makeDatabase(a);
        addNotes(a, 3000);
        testenv::makeDatabase(b);
        addNotes(b, 2000);
        const QByteArray bytesA = testenv::fileBytes(a), bytesB = testenv::fileBytes(b);
        QVERIFY(QFile::copy(a, f.dbPath()));
        for (int strike = 1; strike <= 4; ++strike) {
            Child c;
            c.start({QStringLiteral("restores"), f.dbPath(), a, b});
            QVERIFY(c.waitFor(QStringLiteral("restoring"), strike * 3));
            QThread::msleep(strike * 5);
            c.kill();
            const QByteArray now = testenv::fileBytes(f.dbPath());
            QVERIFY2(now == bytesA || now == bytesB, qPrintable(QStringLiteral("%1 bytes after the kill").arg(now.size())));
            QCOMPARE(integrity(f.dbPath()), QStringLiteral("ok"));
        }
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
