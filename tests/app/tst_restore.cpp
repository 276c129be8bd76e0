// Restore copies: taken, kept, listed and restored; the start-up check of a
// damaged database.

#include "tests/app/appfixture.h"

#include "app/restoredialog.h"
#include "app/settingsdialog.h"
#include "app/helpers/core/restorecopies.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtEndian>
#include <QtTest>
#include <QCheckBox>

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

// A copy as an earlier run left it: the database file and its record,
// written here by hand.
QString plantCopy(const QString &source, const QString &database, quint32 identity, qint64 serial,
                  const QDateTime &taken, const char *cause, bool sound)
{
    const QString folder = RestoreCopyFolder();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("Zentavo-%1-%2-%3.sqb")
                                                   .arg(taken.toString(QStringLiteral("yyyyMMdd-HHmmss")))
                                                   .arg(serial)
                                                   .arg(QLatin1String(cause)));
    QFile::remove(path);
    if (!QFile::copy(source, path))
        return {};
    QFile record(path + QStringLiteral(".ini"));
    if (!record.open(QIODevice::WriteOnly))
        return {};
    record.write("database=" + database.toUtf8() + "\nidentity=" + QByteArray::number(identity) + "\nserial="
                 + QByteArray::number(serial) + "\ntaken=" + taken.toUTC().toString(Qt::ISODate).toUtf8()
                 + "\ncause=" + cause + "\nsound=" + (sound ? "1" : "0") + "\nfindings=ok\n");
    return path;
}

int countOf(const QList<RestoreCopy> &copies, bool daily, int sound = -1)
{
    return int(std::count_if(copies.cbegin(), copies.cend(), [&](const RestoreCopy &c) {
        return (c.cause == CopyCause::Daily) == daily && (sound < 0 || c.sound == bool(sound));
    }));
}

// The identity in a file's header, read here without the program's code.
quint32 headerIdentity(const QString &path)
{
    const QByteArray h = testenv::fileBytes(path).left(100);
    return h.size() < 100 ? 0 : qFromBigEndian<quint32>(h.constData() + 68);
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
        QCOMPARE(headerIdentity(f.dbPath()), 0u);
        const QString copy = MakeRestoreCopy(&db, CopyCause::Import);
        QCOMPARE(QFileInfo(copy).absolutePath(), QDir(f.path(QStringLiteral("Backup"))).absolutePath());
        QVERIFY(QFileInfo(copy).fileName().endsWith(QStringLiteral("-import.sqb")));
        QCOMPARE(storedNote(copy), QStringLiteral("első"));
        QVERIFY(!QFile::exists(copy + QStringLiteral(".part")));
        // The database got its identity once, and the copy carries it.
        const quint32 identity = headerIdentity(f.dbPath());
        QVERIFY(identity != 0);
        QCOMPARE(headerIdentity(copy), identity);
        QCOMPARE(RestoreCopies().first().identity, identity);
        QVERIFY(RestoreCopies().first().sound);
        MakeRestoreCopy(&db, CopyCause::Sql);
        QCOMPARE(headerIdentity(f.dbPath()), identity);

        // The newest ten event copies stay; daily copies are counted apart.
        for (int i = 0; i < 10; ++i)
            MakeRestoreCopy(&db, i % 2 ? CopyCause::Sql : CopyCause::Restore);
        MakeDailyCopy(&db);
        MakeDailyCopy(&db);   // one a day
        QList<RestoreCopy> copies = RestoreCopies();
        QCOMPARE(copies.size(), 11);
        QCOMPARE(countOf(copies, true), 1);
        QVERIFY(!QFile::exists(copy));   // the oldest event copy went ...
        QVERIFY(!QFile::exists(copy + QStringLiteral(".ini")));   // ... with its record
        for (int i = 1; i < copies.size(); ++i)
            QVERIFY(copies[i - 1].serial > copies[i].serial);

        // Daily copies: the newest seven, and one a week (the week's newest)
        // for the last nine weeks.
        const QDate today = QDate::currentDate();
        for (int day = 1; day <= 70; ++day)
            QVERIFY(!plantCopy(f.dbPath(), f.dbPath(), identity, -day,
                               QDateTime(today.addDays(-day), QTime(12, 0)), "napi", true).isEmpty());
        MakeDailyCopy(&db);   // today's copy is there: only the old ones go
        QSet<int> kept;
        for (const RestoreCopy &c : RestoreCopies())
            if (c.cause == CopyCause::Daily)
                kept.insert(int(c.taken.date().daysTo(today)));
        QSet<int> expected;
        for (int day = 0; day <= 70; ++day)
            if (day <= 6 || (day <= 63 && today.addDays(-day).dayOfWeek() == Qt::Sunday))
                expected.insert(day);
        QCOMPARE(kept, expected);
        db.close();
    }

    void clockGoingBackPrunesTheOldCopies()
    {
        // Copies are ordered as they were taken, whatever their time says:
        // ten copies "from the future" are older than the one taken now.
        AppFixture f;
        f.makeDb();
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        const QString first = MakeRestoreCopy(&db, CopyCause::Import);
        const quint32 identity = headerIdentity(f.dbPath());
        QStringList future;
        for (int i = 0; i < 10; ++i)
            future << plantCopy(f.dbPath(), f.dbPath(), identity, 10 + i,
                                QDateTime::currentDateTime().addSecs(3600 * (i + 1)), "sql", true);
        QFile::remove(first);
        QFile::remove(first + QStringLiteral(".ini"));
        const QString now = MakeRestoreCopy(&db, CopyCause::Import);
        QVERIFY(QFile::exists(now));
        QCOMPARE(RestoreCopies().first().path, QFileInfo(now).absoluteFilePath());
        QVERIFY(!QFile::exists(future.first()));
        db.close();
    }

    void damagedCopiesNeverPushSoundOnesOut()
    {
        AppFixture f;
        QString values;
        for (int i = 1; i <= 400; ++i)
            values += QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid, szoveg) VALUES (%1, 'jegyzet %1', '%2');")
                          .arg(i).arg(QString(300, QLatin1Char('x')));
        f.makeDb(values);
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        QStringList sound;
        for (int i = 0; i < 10; ++i)
            sound << MakeRestoreCopy(&db, CopyCause::Import);
        const quint32 identity = headerIdentity(f.dbPath());
        const QDate today = QDate::currentDate();
        for (int day = 1; day <= 7; ++day)
            sound << plantCopy(f.dbPath(), f.dbPath(), identity, 100 + 7 - day,
                               QDateTime(today.addDays(-day), QTime(12, 0)), "napi", true);
        db.close();

        // The database is damaged during a session: every copy of it now is.
        damage(f.dbPath());
        db.open();
        for (int i = 0; i < 12; ++i)
            MakeRestoreCopy(&db, CopyCause::Sql);
        MakeDailyCopy(&db);
        const QList<RestoreCopy> copies = RestoreCopies();
        QCOMPARE(countOf(copies, false, 0), 10);   // the newest ten damaged ones
        QCOMPARE(countOf(copies, true, 0), 1);
        for (const QString &path : std::as_const(sound))
            QVERIFY2(QFile::exists(path), qPrintable(path));
        QCOMPARE(countOf(copies, false, 1), 10);
        QCOMPARE(countOf(copies, true, 1), 7);
        db.close();
    }

    void restoringTheOldestKeptCopy()
    {
        // The copy of the state before the restore prunes the event copies
        // to ten: the chosen one, the oldest, is not among those it removes.
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'legrégebbi');"));
        QVERIFY(f.start());
        MakeRestoreCopy(Db1(), CopyCause::Import);
        for (int i = 2; i <= 10; ++i) {
            Db1()->executeDirect(QStringLiteral("UPDATE jegyzet SET rovid = 'állapot %1';").arg(i));
            MakeRestoreCopy(Db1(), CopyCause::Sql);
        }
        const QString oldest = RestoreCopies().last().path;
        testhooks::onNextDialog([](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Visszaallit *>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->list()->topLevelItemCount(), 10);
            dialog->list()->setCurrentItem(dialog->list()->topLevelItem(9));
            testhooks::setNextAnswer(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btVisszaallit"))->click();
            dialog->reject();
        });
        f.main->aVisszaallit->trigger();
        QCOMPARE(testhooks::shownMessages().last().text, QStringLiteral("Az adatbázis visszaállítva."));
        QCOMPARE(storedNote(f.dbPath()), QStringLiteral("legrégebbi"));
        QVERIFY(QFile::exists(oldest));
        // The program works on with the restored file.
        zdb::Query q(Db1(), QStringLiteral("SELECT rovid FROM jegyzet"));
        q.open();
        QCOMPARE(q.text(QStringLiteral("rovid")), QStringLiteral("legrégebbi"));
    }

    void copiesOfAnotherDatabase()
    {
        // Two databases share the folder of copies: neither's work prunes
        // the other's copies, the window lists its own (others on request,
        // marked), and the start never offers the other's.
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'egyik');"));
        const QString other = f.path(QStringLiteral("Masik.sqb"));
        testenv::makeDatabase(other);
        testenv::execSql(other, QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'másik');"));
        zdb::Connection b;
        b.setPath(other);
        b.open();
        for (int i = 0; i < 3; ++i)
            MakeRestoreCopy(&b, CopyCause::Import);
        b.close();
        zdb::Connection a;
        a.setPath(f.dbPath());
        a.open();
        for (int i = 0; i < 12; ++i)
            MakeRestoreCopy(&a, CopyCause::Sql);
        const DatabaseKey key = KeyOfDatabase(&a);
        a.close();
        QCOMPARE(RestoreCopies().size(), 13);
        QCOMPARE(RestoreCopiesOf(KeyOfFile(other)).size(), 3);

        Tfrm_Visszaallit window(key, [](const QString &) {});
        QCOMPARE(window.list()->topLevelItemCount(), 10);
        window.othersBox()->setChecked(true);
        QCOMPARE(window.list()->topLevelItemCount(), 13);
        int marked = 0;
        for (int i = 0; i < 13; ++i)
            marked += window.list()->topLevelItem(i)->text(5).startsWith(QStringLiteral("MÁS: "));
        QCOMPARE(marked, 3);

        // Another database put at the very path of this one is told apart
        // by its identity: this one's copies are not offered for it.
        QFile::remove(f.dbPath());
        testenv::makeDatabase(f.dbPath());
        testenv::execSql(f.dbPath(), QStringLiteral("PRAGMA application_id = 4242;"));
        damage(f.dbPath());
        const QByteArray damaged = testenv::fileBytes(f.dbPath());
        QVERIFY(!CheckDatabaseAtStart(f.dbPath(), nullptr));
        QVERIFY(testhooks::shownMessages().last().text.contains(QStringLiteral("Nincs ép mentett másolat ennek az adatbázisnak")));
        QCOMPARE(testenv::fileBytes(f.dbPath()), damaged);
    }

    void restoreReplacesTheDatabaseFile()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'első');"));
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        const QString copy = MakeRestoreCopy(&db, CopyCause::Sql);
        // The database goes on in WAL mode: its log must not outlive it.
        db.executeDirect(QStringLiteral("PRAGMA journal_mode=WAL; UPDATE jegyzet SET rovid='később'; DELETE FROM ugyfel;"));
        QVERIFY(QFileInfo(f.dbPath() + QStringLiteral("-wal")).size() > 0);
        // A side file left by a program that died with the database open.
        QVERIFY(QFile::copy(f.dbPath() + QStringLiteral("-wal"), f.path(QStringLiteral("regi-wal"))));
        db.close();
        QVERIFY(QFile::copy(f.path(QStringLiteral("regi-wal")), f.dbPath() + QStringLiteral("-wal")));
        zdb::ReplaceDatabaseFile(copy, f.dbPath());
        QVERIFY(!QFile::exists(f.dbPath() + QStringLiteral("-wal")));
        QCOMPARE(storedNote(f.dbPath()), QStringLiteral("első"));
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QVERIFY(QDir(f.path({})).entryList({QStringLiteral("*.visszaallitas*")}).isEmpty());
        // A copy that is missing or damaged is never put in place.
        const QByteArray before = testenv::fileBytes(f.dbPath());
        QVERIFY_THROWS_EXCEPTION(zdb::Error, zdb::ReplaceDatabaseFile(f.path(QStringLiteral("nincs.sqb")), f.dbPath()));
        damage(copy);
        QVERIFY_THROWS_EXCEPTION(zdb::Error, zdb::ReplaceDatabaseFile(copy, f.dbPath()));
        QCOMPARE(testenv::fileBytes(f.dbPath()), before);
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
        const QString made = f.path(QStringLiteral("mentett.sqb"));
        testenv::makeDatabase(made);
        testenv::execSql(made, QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'mentett');"));
        plantCopy(made, f.dbPath(), 0, 1, QDateTime(QDate(2026, 1, 1), QTime(9, 0)), "napi", true);
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

        // A file whose header is no database header is damaged too; declined,
        // it stays as it was.
        QFile junk(f.dbPath());
        QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
        junk.write(QByteArray(8192, 'j'));
        junk.close();
        testhooks::clearMessages();
        QVERIFY(!CheckDatabaseAtStart(f.dbPath(), nullptr));
        QVERIFY(testhooks::shownMessages().first().text.contains(QStringLiteral("Visszaállítsam a legutóbbi ép másolatot")));
        QCOMPARE(testenv::fileBytes(f.dbPath()), QByteArray(8192, 'j'));
    }

    void restoreWindowAtStart()
    {
        // The newest sound copy declined, the copies' window opens before the
        // database does, and any copy can be chosen there.
        AppFixture f;
        QString values;
        for (int i = 1; i <= 400; ++i)
            values += QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid, szoveg) VALUES (%1, 'jegyzet %1', '%2');")
                          .arg(i).arg(QString(300, QLatin1Char('x')));
        f.makeDb(values + QStringLiteral("INSERT INTO beallit (beallit, vanbelep) VALUES (1, 'N');"));
        zdb::Connection db;
        db.setPath(f.dbPath());
        db.open();
        db.executeDirect(QStringLiteral("UPDATE jegyzet SET rovid = 'régebbi' WHERE jegyzet = 1;"));
        MakeRestoreCopy(&db, CopyCause::Import);
        db.executeDirect(QStringLiteral("UPDATE jegyzet SET rovid = 'újabb' WHERE jegyzet = 1;"));
        MakeRestoreCopy(&db, CopyCause::Sql);
        db.close();
        damage(f.dbPath());
        const QByteArray damaged = testenv::fileBytes(f.dbPath());

        testhooks::setNextAnswer(false);   // not the newest
        testhooks::setNextAnswer(true);    // the window
        testhooks::onNextDialog([](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Visszaallit *>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->list()->topLevelItemCount(), 2);
            dialog->list()->setCurrentItem(dialog->list()->topLevelItem(1));
            testhooks::setNextAnswer(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btVisszaallit"))->click();
        });
        QVERIFY(f.start());
        QCOMPARE(storedNote(f.dbPath()), QStringLiteral("régebbi"));
        const QStringList aside = QDir(f.path({})).entryList({QStringLiteral("Zentavo.sqb.serult-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(testenv::fileBytes(f.path(aside.first())), damaged);
    }

    void anotherFolderForCopies()
    {
        // "Beállítások" names the folder (another disk); the ini keeps it.
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        const QString elsewhere = f.path(QStringLiteral("Masik lemez/Mentesek"));
        testhooks::onNextDialog([&](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Beallit *>(d);
            QVERIFY(dialog);
            QVERIFY(dialog->backupEdit()->text().isEmpty());
            testhooks::setNextFolder(elsewhere);
            dialog->backupButton()->click();
            dialog->accept();
        });
        f.main->aBeallit->trigger();
        QCOMPARE(QFileInfo(MakeRestoreCopy(Db1(), CopyCause::Import)).absolutePath(), QDir(elsewhere).absolutePath());
        f.closeMain();
        f.main.reset();
        QCOMPARE(QDir(elsewhere).entryList({QStringLiteral("*.sqb")}).size(), 2);   // and the day's copy
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("Backup"))));
        QCOMPARE(QDir::fromNativeSeparators(f.ini().value(QStringLiteral("Database/BackupPath")).toString()), elsewhere);
        SetRestoreCopyFolder({});
        QVERIFY(f.start());
        QCOMPARE(RestoreCopyFolder(), QDir::toNativeSeparators(elsewhere));
        SetRestoreCopyFolder({});
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

    // A server database's copies are file databases with its rows; a
    // restore puts a copy's rows back into the server, and a copy the
    // server cannot take leaves it as it was.
    void serverDatabaseCopiesAndRestores()
    {
        AppFixture f;
        const QString address = f.makeServerDb(QStringLiteral("zt_app_restore"),
                                               QStringLiteral("INSERT INTO jegyzet (jegyzet, rovid) VALUES (1, 'első');"));
        if (address.isEmpty())
            QSKIP("no test server: run through ctest or scripts/pgserver run");
        zdb::Connection other;   // another desk
        other.setPath(address);
        auto serverNote = [&] {
            zdb::Query q(&other, QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet = 1"));
            q.open();
            return q.text(QStringLiteral("rovid"));
        };
        QVERIFY(f.start());
        const QString copy = MakeRestoreCopy(Db1(), CopyCause::Import);
        QCOMPARE(storedNote(copy), QStringLiteral("első"));   // a file database, read by SQLite itself
        QVERIFY(zdb::QuickCheck(copy).sound);
        QCOMPARE(QDir(RestoreCopyFolder()).entryList(QDir::Files).size(), 2);   // the copy and its record, nothing half made
        const QList<RestoreCopy> mine = RestoreCopiesOf(KeyOfDatabase(Db1()));
        QCOMPARE(mine.size(), 1);
        QVERIFY(mine.first().sound);
        QVERIFY(QFileInfo(copy).fileName().startsWith(QStringLiteral("zt_app_restore-")));

        other.executeDirect(QStringLiteral("UPDATE jegyzet SET rovid = 'rossz import'"));
        testhooks::onNextDialog([](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Visszaallit *>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->list()->topLevelItemCount(), 1);
            testhooks::setNextAnswer(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btVisszaallit"))->click();
            QCOMPARE(dialog->list()->topLevelItemCount(), 2);   // the state before the restore is kept
            dialog->reject();
        });
        f.main->aVisszaallit->trigger();
        QCOMPARE(serverNote(), QStringLiteral("első"));
        QCOMPARE(RestoreCopies().first().cause, CopyCause::Restore);
        QCOMPARE(storedNote(RestoreCopies().first().path), QStringLiteral("rossz import"));
        QCOMPARE(testhooks::shownMessages().last().text, QStringLiteral("Az adatbázis visszaállítva."));

        // A text in an integer column: the server refuses it and keeps its rows.
        other.executeDirect(QStringLiteral("UPDATE jegyzet SET rovid = 'mostani'"));
        testenv::execSql(copy, QStringLiteral("UPDATE jegyzet SET jegyzet = 'egy';"));
        testhooks::onNextDialog([](QDialog *d) {
            auto *dialog = qobject_cast<Tfrm_Visszaallit *>(d);
            QVERIFY(dialog);
            for (int i = 0; i < dialog->list()->topLevelItemCount(); ++i)
                if (dialog->list()->topLevelItem(i)->text(2) == u"CSV betöltés előtt")
                    dialog->list()->setCurrentItem(dialog->list()->topLevelItem(i));
            testhooks::setNextAnswer(true);
            dialog->findChild<QPushButton *>(QStringLiteral("btVisszaallit"))->click();
            dialog->reject();
        });
        f.main->aVisszaallit->trigger();
        QVERIFY2(testhooks::shownMessages().last().text.contains(QStringLiteral("jegyzet oszlop")),
                 qPrintable(testhooks::shownMessages().last().text));
        QCOMPARE(serverNote(), QStringLiteral("mostani"));

        // Closing the program leaves the day's copy of the server database.
        f.closeMain();
        QCOMPARE(RestoreCopies().first().cause, CopyCause::Daily);
        QCOMPARE(RestoreCopiesOf(KeyOfFile(address)).first().cause, CopyCause::Daily);
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
