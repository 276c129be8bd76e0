// Faults a desk computer meets: the program killed in the middle of its
// work, a database locked by another program, files that are no database or
// lack a table, a read-only file, a full disk, and two copies of the program
// on one database.

#include "tests/app/appfixture.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace {

const QString kChild = QStringLiteral(ZENTAVO_FAULTCHILD);

// Starts the child and returns once it has printed `lines` lines starting
// with `word` (then kills it with SIGKILL when `kill`).
struct Child
{
    QProcess process;
    QStringList lines;

    void start(const QStringList &args)
    {
        process.setProgram(kChild);
        process.setArguments(args);
        process.start();
        QVERIFY(process.waitForStarted(10000));
    }
    bool waitFor(const QString &word, int count)
    {
        int seen = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                lines << line;
                if (line.startsWith(word) && ++seen >= count)
                    return true;
            }
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        return false;
    }
    void kill()
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(10000);
        lines << QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
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

    void filesThatAreNoGoodDatabase()
    {
        // Not a database, a missing table, a missing column: a message, no
        // crash, the file as it was.
        AppFixture f;
        writeFile(f.dbPath(), QByteArray(4096, 'n'));
        f.start();
        QCOMPARE(testhooks::shownMessages().last().text,
                 QStringLiteral("A megadott fájl nem adatbázis. Ellenőrizze az adatbázis elérési útját a "
                                "beállításokban.\nfile is not a database."));
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
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
