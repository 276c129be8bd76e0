// Restore copies: taken, kept, listed and restored; the start-up check of a
// damaged database.

#include "tests/app/appfixture.h"

#include "app/restoredialog.h"
#include "app/helpers/restorecopies.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <sqlite3.h>

namespace {

QString storedNote(const QString &db)
{
    return testenv::storedValue(db, QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet=1")).toString();
}

// Overwrites bytes inside the second page, where the first table's rows live.
void damage(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray all = f.readAll();
    QVERIFY(all.size() > 8192);
    for (qint64 at = 4096; at < all.size(); at += 4096) {
        f.seek(at);
        f.write(QByteArray(64, '\x5a'));
    }
}

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }

    void copiesAreTakenNamedAndKept()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'első');"));
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        const QString copy = MakeRestoreCopy(&db, CopyCause::Import);
        QCOMPARE(QFileInfo(copy).absolutePath(), QDir(f.path(QStringLiteral("Backup"))).absolutePath());
        QVERIFY(QFileInfo(copy).fileName().endsWith(QStringLiteral("-import.sqb")));
        QCOMPARE(storedNote(copy), QStringLiteral("első"));
        QVERIFY(!QFile::exists(copy + QStringLiteral(".part")));

        // The newest ten event copies stay; daily copies are counted apart.
        for (int i = 0; i < 11; ++i)
            MakeRestoreCopy(&db, i % 2 ? CopyCause::Sql : CopyCause::Restore);
        MakeDailyCopy(&db);
        MakeDailyCopy(&db);   // one a day
        QList<RestoreCopy> copies = RestoreCopies();
        QCOMPARE(copies.size(), 11);
        QCOMPARE(std::count_if(copies.cbegin(), copies.cend(), [](const RestoreCopy &c) { return c.cause == CopyCause::Daily; }), 1);
        QVERIFY(!QFile::exists(copy));   // the oldest event copy went
        for (int i = 1; i < copies.size(); ++i)
            QVERIFY(copies[i - 1].taken >= copies[i].taken);

        // Daily copies of the last seven days stay.
        for (int day = 1; day <= 9; ++day) {
            const QString old = f.path(QStringLiteral("Backup/Zentavo-%1-120000-napi.sqb")
                                           .arg(QDate::currentDate().addDays(-day).toString(QStringLiteral("yyyyMMdd"))));
            QVERIFY(QFile::copy(copies.first().path, old));
        }
        MakeDailyCopy(&db);   // today's copy is there: only the old ones go
        copies = RestoreCopies();
        QCOMPARE(std::count_if(copies.cbegin(), copies.cend(), [](const RestoreCopy &c) { return c.cause == CopyCause::Daily; }), 7);
        db.close();
    }

    void restoreReplacesTheOpenDatabase()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'első');"));
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        const QString copy = MakeRestoreCopy(&db, CopyCause::Sql);
        db.executeDirect(QStringLiteral("UPDATE jegyzet SET rovid='később'; DELETE FROM ugyfel;"));
        zdb::RestoreDatabase(db.handle(), copy);
        zdb::Query q(&db, QStringLiteral("SELECT rovid FROM jegyzet"));
        q.open();
        QCOMPARE(q.text(QStringLiteral("rovid")), QStringLiteral("első"));
        q.close();
        QVERIFY_THROWS_EXCEPTION(zdb::Error, zdb::RestoreDatabase(db.handle(), f.path(QStringLiteral("nincs.sqb"))));
        db.close();
    }

    void damagedDatabaseAtStart()
    {
        AppFixture f;
        QString values;
        for (int i = 1; i <= 400; ++i)
            values += QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid, szoveg) VALUES (%1, 'jegyzet %1', '%2');")
                          .arg(i).arg(QString(300, QLatin1Char('x')));
        f.makeDb(values);
        QVERIFY(CheckDatabaseAtStart(f.dbPath(), nullptr));   // a sound file passes silently
        QVERIFY(testhooks::shownMessages().isEmpty());

        // Without a copy: a clear message, the file untouched, no start.
        damage(f.dbPath());
        QVERIFY(!zdb::QuickCheck(f.dbPath()).sound);
        const QByteArray damaged = testenv::fileBytes(f.dbPath());
        QVERIFY(!CheckDatabaseAtStart(f.dbPath(), nullptr));
        QVERIFY(testhooks::shownMessages().last().text.contains(QStringLiteral("Nincs ép mentett másolat")));
        QCOMPARE(testenv::fileBytes(f.dbPath()), damaged);

        // With a sound copy: declined leaves the file as it was ...
        QDir().mkpath(f.path(QStringLiteral("Backup")));
        const QString good = f.path(QStringLiteral("Backup/Zentavo-20260101-090000-napi.sqb"));
        testenv::makeDatabase(good);
        testenv::execSql(good, QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'mentett');"));
        testhooks::setNextAnswer(false);
        QVERIFY(!CheckDatabaseAtStart(f.dbPath(), nullptr));
        QCOMPARE(testenv::fileBytes(f.dbPath()), damaged);
        // ... taken puts the copy in place and keeps the damaged file beside it.
        testhooks::setNextAnswer(true);
        QVERIFY(CheckDatabaseAtStart(f.dbPath(), nullptr));
        QCOMPARE(storedNote(f.dbPath()), QStringLiteral("mentett"));
        const QStringList aside = QDir(f.path({})).entryList({QStringLiteral("Zentavo.sqb.serult-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(testenv::fileBytes(f.path(aside.first())), damaged);

        // A file that is no database at all is no damage: the start reports
        // it as it reports any other unusable file.
        QFile junk(f.dbPath());
        QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.write(QByteArray(8192, 'j'));
        junk.close();
        QVERIFY(CheckDatabaseAtStart(f.dbPath(), nullptr));
        QCOMPARE(testenv::fileBytes(f.dbPath()), QByteArray(8192, 'j'));
    }

    void restoreFromTheSystemMenu()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'első');"));
        QVERIFY(f.start());
        const QString copy = MakeRestoreCopy(Db1(), CopyCause::Import);
        testenv::execSql(f.dbPath(), QStringLiteral("UPDATE jegyzet SET rovid='rossz import';"));
        testhooks::onNextDialog([](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Visszaallit *>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->list()->topLevelItemCount(), 1);
            QCOMPARE(dialog->list()->topLevelItem(0)->text(2), QStringLiteral("CSV betöltés előtt"));
            testhooks::setNextAnswer(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btVisszaallit"))->click();
            QCOMPARE(dialog->list()->topLevelItemCount(), 2);   // the state before the restore is kept
            dialog->reject();
        });
        f.main->aVisszaallit->trigger();
        QCOMPARE(storedNote(f.dbPath()), QStringLiteral("első"));
        const QList<RestoreCopy> copies = RestoreCopies();
        QCOMPARE(copies.first().cause, CopyCause::Restore);
        QCOMPARE(storedNote(copies.first().path), QStringLiteral("rossz import"));
        QCOMPARE(testhooks::shownMessages().last().text, QStringLiteral("Az adatbázis visszaállítva."));
        Q_UNUSED(copy)

        // Closing the program leaves the day's copy.
        f.closeMain();
        QCOMPARE(RestoreCopies().first().cause, CopyCause::Daily);
    }

    void damagedDatabaseEndsTheStart()
    {
        AppFixture f;
        QString values;
        for (int i = 1; i <= 400; ++i)
            values += QStringLiteral("INSERT INTO jegyzet (jegyzet, szoveg) VALUES (%1, '%2');").arg(i).arg(QString(300, QLatin1Char('y')));
        f.makeDb(values);
        damage(f.dbPath());
        const QByteArray damaged = testenv::fileBytes(f.dbPath());
        QVERIFY(!f.start());
        QCOMPARE(testenv::fileBytes(f.dbPath()), damaged);
        QVERIFY(testhooks::shownMessages().last().text.startsWith(QStringLiteral("Az adatbázis sérült")));
    }

    void lockedDatabaseIsNoVerdict()
    {
        AppFixture f;
        f.makeDb();
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(f.dbPath()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; INSERT INTO jegyzet (jegyzet) VALUES (9);", nullptr, nullptr, nullptr), SQLITE_OK);
        const zdb::IntegrityReport report = zdb::QuickCheck(f.dbPath());
        QVERIFY(!report.checked);
        QVERIFY(CheckDatabaseAtStart(f.dbPath(), nullptr));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
