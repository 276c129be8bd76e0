// The start sequence, the ini file and a database that is missing or bad.

#include "tests/app/appfixture.h"

#include "db/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initAppTests(); }

    void missingDatabaseEndsWithoutCreatingIt()
    {
        AppFixture f;
        QVERIFY(!f.start());
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nem létező adatbázis"));
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Hiba"));
        QVERIFY(!QFileInfo::exists(f.dbPath()));

        // The same for a path named in the ini.
        AppFixture g;
        const QString elsewhere = g.path(QStringLiteral("nincs/Masik.sqb"));
        {
            QSettings ini = g.ini();
            ini.setValue(QStringLiteral("Database/Path"), elsewhere);
        }
        QVERIFY(!g.start());
        QVERIFY(!QFileInfo::exists(elsewhere));
        QVERIFY(!QFileInfo::exists(QFileInfo(elsewhere).path()));

        // A path without an extension names the ".sqb" file the connection
        // opens: an extensionless file of that name does not count, and the
        // ".sqb" file is never created.
        AppFixture h;
        const QString bare = h.path(QStringLiteral("Adat"));
        testenv::makeDatabase(bare);
        {
            QSettings ini = h.ini();
            ini.setValue(QStringLiteral("Database/Path"), bare);
        }
        QVERIFY(!h.start());
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nem létező adatbázis"));
        QVERIFY(!QFileInfo::exists(bare + QStringLiteral(".sqb")));
        h.main.reset();
        QFile::rename(bare, bare + QStringLiteral(".sqb"));
        QFile::remove(bare);
        QVERIFY(h.start());
        QVERIFY(Shared().Db1->isConnected());
    }

    void noIniGivesDefaultsAndCloseWritesEveryKey()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO tulajdonos (tulajdonos) VALUES ('Példa Iroda Kft.');"));
        QVERIFY(f.start());
        QVERIFY(testhooks::shownMessages().isEmpty());
        const TBeall &b = Beall();
        QCOMPARE(b.DatabasePath, QDir::toNativeSeparators(f.dbPath()));
        QCOMPARE(b.HtmlDir, QDir::toNativeSeparators(f.path(QStringLiteral("Html"))));
        QVERIFY(QFileInfo(f.path(QStringLiteral("Html"))).isDir());
        QVERIFY(!b.FullScreen);
        QVERIFY(!b.LoginRequired);
        QCOMPARE(b.CurrentUser, QStringLiteral("rendszergazda"));
        QVERIFY(b.IsAdministrator && b.CanEditMasterData);
        QCOMPARE(b.CalendarDay, QDate::currentDate());
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Zentavo: [Példa Iroda Kft.]"));

        f.main->showMain();
        QCOMPARE(f.main->size(), QSize(777, 550));
        QCOMPARE(f.main->pos(), QPoint(0, 0));
        f.closeMain();

        QSettings ini = f.ini();
        const QStringList keys = ini.allKeys();
        for (const char *key : {"Screen/FullScreen", "Screen/Left", "Screen/Top", "Screen/Width", "Screen/Height",
                                "Database/Path", "Defaults/HtmlPath"})
            QVERIFY2(keys.contains(QString::fromLatin1(key)), key);
        QCOMPARE(ini.value(QStringLiteral("Screen/FullScreen")).toString(), QStringLiteral("0"));
        QCOMPARE(ini.value(QStringLiteral("Screen/Width")).toInt(), 777);
        QCOMPARE(ini.value(QStringLiteral("Screen/Height")).toInt(), 550);
        QCOMPARE(ini.value(QStringLiteral("Database/Path")).toString(), QDir::toNativeSeparators(f.dbPath()));
    }

    void deletedHtmlFolderIsReplaced()
    {
        AppFixture f;
        f.makeDb();
        {
            QSettings ini = f.ini();
            ini.setValue(QStringLiteral("Defaults/HtmlPath"), f.path(QStringLiteral("torolt_mappa")));
            ini.setValue(QStringLiteral("Screen/Width"), 900);
        }
        QVERIFY(f.start());
        QCOMPARE(Beall().HtmlDir, QDir::toNativeSeparators(f.path(QStringLiteral("Html"))));
        f.main->showMain();
        QCOMPARE(f.main->width(), 900);
        f.closeMain();
        QCOMPARE(f.ini().value(QStringLiteral("Defaults/HtmlPath")).toString(), QDir::toNativeSeparators(f.path(QStringLiteral("Html"))));
    }

    void garbageIniValuesKeepDefaults()
    {
        AppFixture f;
        f.makeDb();
        QFile iniFile(IniFilePath());
        QVERIFY(iniFile.open(QIODevice::WriteOnly));
        iniFile.write("[Screen]\nFullScreen=igen\nLeft=abc\nTop=\nWidth=-5\nHeight=zz\n[Database]\nPath=\n\x01\x02 garbage line\n");
        iniFile.close();
        QVERIFY(f.start());
        f.main->showMain();
        QVERIFY(!Beall().FullScreen);
        QCOMPARE(f.main->size(), QSize(777, 550));
        QCOMPARE(Beall().DatabasePath, QDir::toNativeSeparators(f.dbPath()));
    }

    // Paths typed into the file by hand may hold commas: each is one value.
    void iniValuesWithCommasAreOneString()
    {
        AppFixture f;
        const QString dbDir = f.path(QStringLiteral("Kiss, Nagy és társa"));
        const QString htmlDir = f.path(QStringLiteral("web,lapok"));
        QVERIFY(QDir().mkpath(dbDir) && QDir().mkpath(htmlDir));
        testenv::makeDatabase(dbDir + QStringLiteral("/Adat.sqb"));
        QFile iniFile(IniFilePath());
        QVERIFY(iniFile.open(QIODevice::WriteOnly));
        iniFile.write(QStringLiteral("[Database]\nPath=%1/Adat.sqb\n[Defaults]\nHtmlPath=%2\n").arg(dbDir, htmlDir).toUtf8());
        iniFile.close();
        QVERIFY(f.start());
        QCOMPARE(Beall().DatabasePath, dbDir + QStringLiteral("/Adat.sqb"));
        QCOMPARE(Beall().HtmlDir, htmlDir);
        // Written back, they read as one string again.
        f.closeMain();
        f.main.reset();
        Beall() = TBeall{};
        QVERIFY(f.start());
        QCOMPARE(Beall().HtmlDir, htmlDir);
        QCOMPARE(QDir::fromNativeSeparators(Beall().DatabasePath), dbDir + QStringLiteral("/Adat.sqb"));
    }

    void fullScreenTakesTheWorkArea()
    {
        AppFixture f;
        f.makeDb();
        {
            QSettings ini = f.ini();
            ini.setValue(QStringLiteral("Screen/FullScreen"), 1);
        }
        QVERIFY(f.start());
        QVERIFY(Beall().FullScreen);
        f.main->showMain();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // The window with its frame fills the work area.
        QCOMPARE(f.main->frameGeometry().size(), QSize(area.right() + 1, area.bottom() + 1));
        QVERIFY(f.main->size().width() < area.right() + 1);
    }

    void fullScreenFitsTheFrame()
    {
        QCOMPARE(FullScreenClientSize(QRect(0, 0, 1280, 770), QMargins(4, 28, 4, 4)), QSize(1272, 738));
        QCOMPARE(FullScreenClientSize(QRect(0, 30, 1280, 770), QMargins()), QSize(1280, 800));
    }

    void badDatabasesAreReportedAndLeftUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("opens");
        // A file that is no database is damaged: the start ends before it
        // opens it, with no copy to offer.
        QTest::newRow("not a database") << QByteArray("Ez egy sima szövegfájl, nem adatbázis.\n").repeated(200)
                                        << QStringLiteral("Az adatbázis sérült, így nem nyitom meg:")
                                        << false;
        QTest::newRow("missing table") << QByteArray() << QStringLiteral("no such table: beallit.") << true;
    }
    void badDatabasesAreReportedAndLeftUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(bool, opens);
        AppFixture f;
        if (content.isEmpty()) {
            testenv::execSql(f.dbPath(), QStringLiteral("CREATE TABLE tulajdonos (tulajdonos varchar(75));"));
        } else {
            QFile file(f.dbPath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QByteArray before = testenv::fileBytes(f.dbPath());
        // Without a settings table the window opens; the lists will report their own errors.
        QCOMPARE(f.start(), opens);
        QCOMPARE(testhooks::lastMessage().caption, opens ? QStringLiteral("Zentavo") : QStringLiteral("Hiba"));
        if (opens)
            QCOMPARE(testhooks::lastMessage().text, expected);
        else
            QVERIFY2(testhooks::lastMessage().text.startsWith(expected), qPrintable(testhooks::lastMessage().text));
        QCOMPARE(Beall().CurrentUser, opens ? QStringLiteral("rendszergazda") : QString());
        f.closeMain();
        f.main.reset();
        QCOMPARE(testenv::fileBytes(f.dbPath()), before);
    }

    void missingColumnIsNamed()
    {
        AppFixture f;
        testenv::execSql(f.dbPath(), QStringLiteral("CREATE TABLE beallit (beallit integer, vanbelep varchar(1));"
                                                    "CREATE TABLE tulajdonos (tulajdonos varchar(75));"));
        QVERIFY(f.start());
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Field 'sendername' not found."));
    }

    void loginSwitch_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("asks");
        QTest::newRow("I asks") << QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('I');") << true;
        QTest::newRow("N") << QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('N');") << false;
        QTest::newRow("lower i") << QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('i');") << false;
        QTest::newRow("null") << QStringLiteral("INSERT INTO beallit (sendername) VALUES ('x');") << false;
        QTest::newRow("no row") << QString() << false;
    }
    void loginSwitch()
    {
        QFETCH(QString, rows);
        QFETCH(bool, asks);
        AppFixture f;
        f.makeDb(rows);
        bool dialogShown = false;
        testhooks::onNextDialog([&](QDialog *d) {
            dialogShown = d->objectName() == QLatin1String("frm_Login");
            d->reject();
        });
        QCOMPARE(f.start(), !asks); // a cancelled login ends the program
        QCOMPARE(dialogShown, asks);
        QCOMPARE(Beall().LoginRequired, asks);
    }

    // A failing step after the login switch never opens the program without
    // the password.
    void laterFailureStillAsksForThePassword()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('I'); DROP TABLE tulajdonos;"));
        bool dialogShown = false;
        testhooks::onNextDialog([&](QDialog *d) {
            dialogShown = d->objectName() == QLatin1String("frm_Login");
            d->reject();
        });
        QVERIFY(!f.start());
        QVERIFY(dialogShown);
        QCOMPARE(testhooks::shownMessages().first().text, QStringLiteral("no such table: tulajdonos."));
        QVERIFY(Beall().CurrentUser.isEmpty());
        QVERIFY(!Beall().IsAdministrator);
    }

    // Settings locked by another program past the busy wait: the switch
    // cannot be read, so the start ends with the message.
    void lockedSettingsEndTheStart()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (vanbelep) VALUES ('I');"));
        testenv::FileLock lock(f.dbPath());
        QVERIFY(lock.locked());
        bool dialogShown = false;
        testhooks::onNextDialog([&](QDialog *) { dialogShown = true; });
        QVERIFY(!f.start());
        QVERIFY(!dialogShown);
        QCOMPARE(testhooks::lastMessage().caption, QStringLiteral("Zentavo"));
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Az adatbázist most egy másik program használja. Próbálja újra egy kicsit később.\ndatabase is locked."));
        QVERIFY(Beall().CurrentUser.isEmpty());
    }

    void senderDataIsRead()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO beallit (vanbelep, sendername, senderemil) VALUES ('N', 'Kiss Éva', 'eva@pelda.hu');"));
        QVERIFY(f.start());
        QCOMPARE(Beall().SenderName, QStringLiteral("Kiss Éva"));
        QCOMPARE(Beall().SenderEmail, QStringLiteral("eva@pelda.hu"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
