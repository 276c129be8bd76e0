// The SQL console: what runs as a query and what as a command, the messages,
// the result grid and its export switch, the ".sql" files, several statements
// in one text, and a transaction left open when the window closes.

#include "tests/app/appfixture.h"

#include "app/helpers/core/restorecopies.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/descriptioneditor.h"
#include "app/sqlconsole.h"

#include "db/catalog.h"
#include "db/codec.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QTest>
#include <QToolBar>


namespace {

const char *const kData = R"(
INSERT INTO jegyzet (jegyzet, datum, kategoria, rovid, szoveg) VALUES
 (1, '2026-01-05', 'Munka', 'Első jegyzet', 'árvíztűrő'),
 (2, '2026-01-06', 'Otthon', 'Második', NULL);
)";

const QString kDone = QStringLiteral("SQL futtatás kész.");

QStringList captionsOf(const QList<QAction *> &actions)
{
    QStringList out;
    for (const QAction *a : actions)
        out.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QStringList split(const char *captions)
{
    return QString::fromUtf8(captions).split(QLatin1Char('|'));
}

QString rovidOf(const QString &dbPath, int id)
{
    return testenv::storedValue(dbPath, QStringLiteral("select rovid from jegyzet where jegyzet=%1").arg(id)).toString();
}

} // namespace

class TestSqlConsole : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> f;
    std::unique_ptr<Tfrm_Sql> console;

    // Runs `text` (the whole editor text) and returns the messages it showed.
    QList<testhooks::ShownMessage> run(const QString &text)
    {
        testhooks::clearMessages();
        console->editor()->setText(text);
        console->aFuttat->trigger();
        return testhooks::shownMessages();
    }
    QString db() const { return f->dbPath(); }

private Q_SLOTS:
    void initTestCase() { initAppTests(); }
    void init()
    {
        f = std::make_unique<AppFixture>();
        f->makeDb(QString::fromUtf8(kData));
        QVERIFY(f->start());
        console = std::make_unique<Tfrm_Sql>(f->main.get());
    }
    void cleanup()
    {
        console.reset();
        f.reset();
    }

    void opensFromTheMainWindowWithItsCommands()
    {
        console.reset();
        QAction *open = f->main->aSql;
        QVERIFY(open->isEnabled());
        bool seen = false;
        testhooks::onNextDialog([&](QDialog *d) {
            auto *c = qobject_cast<Tfrm_Sql *>(d);
            QVERIFY(c);
            seen = true;
            QCOMPARE(c->objectName(), QStringLiteral("frm_Sql"));
            QCOMPARE(c->windowTitle(), QStringLiteral("SQL lekérdezés"));
            QCOMPARE(c->pages()->tabText(0), QStringLiteral("SQL"));
            QCOMPARE(c->pages()->tabText(1), QStringLiteral("Eredmény"));
            QCOMPARE(c->pages()->currentWidget(), c->editor());

            const struct { QAction *action; const char *name, *caption, *key; } commands[] = {
                {c->aUj, "aUj", "Új SQL", "Ctrl+N"},
                {c->aMegnyit, "aMegnyit", "SQL megnyitása", "Ctrl+O"},
                {c->aMent, "aMent", "SQL mentése", "Ctrl+S"},
                {c->aExport, "aExport", "Export", "Ctrl+E"},
                {c->aFuttat, "aFuttat", "SQL lekérdezés", "F5"},
                {c->aLeallit, "aLeallit", "Leállítás", ""},
                {c->aKivag, "aKivag", "Kivág", "Ctrl+X"},
                {c->aMasol, "aMasol", "Másol", "Ctrl+C"},
                {c->aBeilleszt, "aBeilleszt", "Beilleszt", "Ctrl+V"},
                {c->aMindet, "aMindet", "Mindet kijelöl", "Ctrl+A"},
                {c->aBezar, "aBezar", "Bezár", ""},
            };
            for (const auto &cmd : commands) {
                QCOMPARE(cmd.action->objectName(), QString::fromLatin1(cmd.name));
                QCOMPARE(cmd.action->text(), QString::fromUtf8(cmd.caption));
                QCOMPARE(cmd.action->shortcut(), QKeySequence(QString::fromLatin1(cmd.key)));
                QVERIFY(!cmd.action->statusTip().isEmpty());
            }
            QVERIFY(!c->aExport->isEnabled());
            QVERIFY(!c->aLeallit->isEnabled());   // nothing runs yet

            const QList<QAction *> menus = c->findChild<QMenuBar *>()->actions();
            QCOMPARE(captionsOf(menus), split("Fájl|Szerkesztés|SQL"));
            QCOMPARE(captionsOf(menus[0]->menu()->actions()), split("Új SQL|SQL megnyitása|SQL mentése|-|Export|-|Bezár"));
            QCOMPARE(captionsOf(menus[1]->menu()->actions()), split("Kivág|Másol|Beilleszt|-|Mindet kijelöl"));
            QCOMPARE(captionsOf(menus[2]->menu()->actions()), split("SQL lekérdezés|Leállítás"));
            QCOMPARE(captionsOf(c->toolBar()->actions()),
                     split("Új SQL|SQL megnyitása|SQL mentése|-|Export|-|SQL lekérdezés|Leállítás|-|Kivág|Másol|Beilleszt|-|Bezár"));
            QCOMPARE(captionsOf(c->editorPopup()->actions()),
                     split("SQL lekérdezés|-|Új SQL|SQL megnyitása|SQL mentése|-|Kivág|Másol|Beilleszt|Mindet kijelöl"));
            std::unique_ptr<QMenu> gridMenu(c->grid()->createPopupMenu());
            QCOMPARE(captionsOf(gridMenu->actions()), split("Másol|-|Export"));

            // Line numbers, the cursor's line and SQL colouring.
            QVERIFY(c->editor()->marginWidth(0) > 0);
            QVERIFY(qobject_cast<QsciLexerSQL *>(c->editor()->lexer()));
            QVERIFY(!c->grid()->horizontalHeader()->sectionsClickable());

            c->aBezar->trigger();
        });
        open->trigger();
        QVERIFY(seen);
        QCOMPARE(testhooks::pendingDialogCallbacks(), 0);
        // Its place is remembered for the next time.
        QVERIFY(f->ini().childGroups().contains(QStringLiteral("frm_Sql")));
    }

    void queriesShowTheirRowsInTheGrid()
    {
        QVERIFY(run(QStringLiteral("\r\n\r\n   select jegyzet, rovid, szoveg from jegyzet order by jegyzet")).isEmpty());
        QVERIFY(console->onResultPage());
        QVERIFY(console->aExport->isEnabled());
        zdb::Query *q = console->query();
        QCOMPARE(q->recordCount(), 2);
        QCOMPARE(q->textAt(0, 1), QStringLiteral("Első jegyzet"));
        QCOMPARE(q->textAt(0, 2), QStringLiteral("árvíztűrő"));
        const QList<GridColumn> columns = console->grid()->columns();
        QCOMPARE(columns.size(), 3);
        for (const GridColumn &c : columns)
            QCOMPARE(c.width, 64);
        QCOMPARE(console->grid()->model()->rowCount(), 2);

        // "Export" hands the result to the delimited export.
        QString exportDialog;
        testhooks::onNextDialog([&](QDialog *d) { exportDialog = d->objectName(); });
        console->aExport->trigger();
        QCOMPARE(exportDialog, QStringLiteral("frm_Excelbe"));

        // A colon and a name is a parameter the console leaves empty: NULL.
        QVERIFY(run(QStringLiteral("select * from jegyzet where rovid = :mit")).isEmpty());
        QCOMPARE(console->query()->recordCount(), 0);
        QVERIFY(console->aExport->isEnabled());
    }

    void commandsAndTheirMessages_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");   // the one message shown
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("rovid1");    // jegyzet 1's rovid afterwards

        const QString first = QStringLiteral("Első jegyzet");
        QTest::newRow("update") << "update jegyzet set rovid='Új' where jegyzet=1" << kDone + "\nMódosított sorok száma: 1"
                                << "information" << "Új";
        QTest::newRow("comment first") << "-- a sorok\nselect * from jegyzet" << kDone << "information" << first;
        QTest::newRow("with") << "WITH x AS (select 1) select * from x" << kDone << "information" << first;
        QTest::newRow("pragma") << "pragma user_version" << kDone << "information" << first;
        QTest::newRow("explain") << "explain select * from jegyzet" << kDone << "information" << first;
        QTest::newRow("missing table") << "select * from nincsilyen" << "SQL hiba:\nno such table: nincsilyen" << "error"
                                       << first;
        QTest::newRow("syntax") << "update jegyzet sett rovid='x'" << "SQL hiba:\nnear \"sett\": syntax error" << "error"
                                << first;
        QTest::newRow("empty") << "  \r\n" << "SQL hiba:\nno query specified" << "error" << first;
    }
    void commandsAndTheirMessages()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        QFETCH(QString, icon);
        QFETCH(QString, rovid1);
        // A result from before is closed by any run.
        run(QStringLiteral("select * from jegyzet"));
        QVERIFY(console->aExport->isEnabled());

        const auto shown = run(sql);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].icon, icon);
        QCOMPARE(shown[0].caption, icon == QLatin1String("error") ? QStringLiteral("Hiba") : QStringLiteral("Üzenet"));
        QVERIFY(!console->aExport->isEnabled());
        QVERIFY(!console->query()->isOpen());
        QCOMPARE(console->grid()->model()->rowCount(), 0);
        QCOMPARE(console->grid()->model()->columnCount(), 0);
        QCOMPARE(console->editor()->text(), sql);   // the statement stays
        QCOMPARE(rovidOf(db(), 1), rovid1);
    }

    void theSelectionAloneRuns()
    {
        console->editor()->setText(QStringLiteral("delete from jegyzet;\nupdate jegyzet set rovid='B' where jegyzet=2;"));
        console->editor()->setSelection(1, 0, 1, console->editor()->lineLength(1));
        testhooks::clearMessages();
        console->aFuttat->trigger();
        QCOMPARE(testhooks::lastMessage().text, kDone + QStringLiteral("\nMódosított sorok száma: 1"));
        QCOMPARE(rovidOf(db(), 1), QStringLiteral("Első jegyzet"));
        QCOMPARE(rovidOf(db(), 2), QStringLiteral("B"));
    }

    // Text typed over a selection replaces it: what runs is the text as it
    // now stands, not an empty remnant of the old selection.
    void typingOverASelectionRunsWhatWasTyped()
    {
        console->show();
        console->editor()->setText(QStringLiteral("delete from jegyzet"));
        console->aMindet->trigger();
        QTest::keyClicks(console->editor(), QStringLiteral("select 7"));
        QCOMPARE(console->editor()->text(), QStringLiteral("select 7"));
        testhooks::clearMessages();
        console->aFuttat->trigger();
        QCOMPARE(testhooks::shownMessages().size(), 0);
        QCOMPARE(console->query()->recordCount(), 1);
        QCOMPARE(console->query()->textAt(0, 0), QStringLiteral("7"));
        QCOMPARE(rovidOf(db(), 1), QStringLiteral("Első jegyzet"));
    }

    void theFirstWritingStatementLeavesARestoreCopy()
    {
        run(QStringLiteral("select * from jegyzet"));
        QVERIFY(RestoreCopies().isEmpty());
        testhooks::setNextAnswer(true);   // no WHERE: asked first
        run(QStringLiteral("update jegyzet set rovid='X'"));
        QCOMPARE(RestoreCopies().size(), 1);
        QCOMPARE(RestoreCopies().first().cause, CopyCause::Sql);
        QCOMPARE(rovidOf(RestoreCopies().first().path, 1), QStringLiteral("Első jegyzet"));
        testhooks::setNextAnswer(true);
        run(QStringLiteral("delete from jegyzet"));
        QCOMPARE(RestoreCopies().size(), 1);   // one a session
    }

    void onlyTheFirstOfSeveralStatementsRunsAndTheConsoleSaysSo()
    {
        // A command: done, and the rest named as not run, in one box.
        auto shown = run(QStringLiteral("update jegyzet set rovid='A' where jegyzet=1;\n"
                                        "update jegyzet set rovid='B' where jegyzet=2;"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("warning"));
        QVERIFY(shown[0].text.startsWith(kDone));
        QVERIFY(shown[0].text.contains(QStringLiteral("csak az első futott le")));
        QCOMPARE(rovidOf(db(), 1), QStringLiteral("A"));
        QCOMPARE(rovidOf(db(), 2), QStringLiteral("Második"));

        // A query: its rows, then the warning; the delete after it never runs.
        shown = run(QStringLiteral("select * from jegyzet; delete from jegyzet"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("warning"));
        QCOMPARE(console->query()->recordCount(), 2);
        QVERIFY(testenv::storedValue(db(), QStringLiteral("select count(*) from jegyzet")).toInt() == 2);

        // The rest may name what the first statement makes.
        shown = run(QStringLiteral("create table uj (a integer); insert into uj values (1)"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("warning"));
        QCOMPARE(testenv::storedValue(db(), QStringLiteral("select count(*) from uj")).toInt(), 0);

        // Semicolons, blanks and comments after the statement are nothing more.
        shown = run(QStringLiteral("select * from jegyzet;\r\n-- vége\r\n;; /* tényleg */ "));
        QVERIFY(shown.isEmpty());
        shown = run(QStringLiteral("update jegyzet set rovid='x;y' where jegyzet=2; -- ';' a szövegben"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, kDone + QStringLiteral("\nMódosított sorok száma: 1"));
        QCOMPARE(rovidOf(db(), 2), QStringLiteral("x;y"));
    }

    void copyWorksOnTheShownPage()
    {
        run(QStringLiteral("select jegyzet, rovid, szoveg from jegyzet order by jegyzet desc"));
        QVERIFY(console->onResultPage());
        QVERIFY(!console->aKivag->isEnabled());
        QVERIFY(!console->aBeilleszt->isEnabled());
        QVERIFY(!console->aMindet->isEnabled());
        QVERIFY(console->aMasol->isEnabled());
        console->aMasol->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("2\tMásodik\t"));

        console->pages()->setCurrentWidget(console->editor());
        QVERIFY(console->aKivag->isEnabled());
        console->editor()->setText(QStringLiteral("select 1"));
        console->aMindet->trigger();
        console->aKivag->trigger();
        QCOMPARE(console->editor()->text(), QString());
        console->aBeilleszt->trigger();
        QCOMPARE(console->editor()->text(), QStringLiteral("select 1"));
    }

    void filesAreReadAndWrittenWhole()
    {
        QDir(f->dir.path()).mkdir(QStringLiteral("SQL"));
        QCOMPARE(Tfrm_Sql::sqlFolder(), f->path(QStringLiteral("SQL")));
        const QString path = f->path(QStringLiteral("SQL/lista"));

        // Saved in Windows-1250 with CR LF, the ".sql" extension added.
        console->editor()->setText(QStringLiteral("select 'árvíztűrő'\nfrom jegyzet"));
        testhooks::setNextFileName(path);
        console->aMent->trigger();
        QCOMPARE(testenv::fileBytes(path + QStringLiteral(".sql")),
                 QByteArray("select '\xe1rv\xedzt\xfbr\xf5'\r\nfrom jegyzet"));
        QCOMPARE(console->fileName(), QDir::toNativeSeparators(path + QStringLiteral(".sql")));
        // The same name again: the dialog saw "lista", not "lista.sql", so
        // replacing that file is asked first; a "no" keeps it.
        testhooks::clearMessages();
        console->editor()->setText(QStringLiteral("select 2"));
        testhooks::setNextFileName(path);
        testhooks::setNextAnswer(false);
        console->aMent->trigger();
        QCOMPARE(testenv::fileBytes(path + QStringLiteral(".sql")),
                 QByteArray("select '\xe1rv\xedzt\xfbr\xf5'\r\nfrom jegyzet"));
        QCOMPARE(testhooks::shownMessages().size(), 1);
        QCOMPARE(testhooks::shownMessages().at(0).icon, QStringLiteral("question"));
        QVERIFY(testhooks::shownMessages().at(0).text.contains(QStringLiteral("lista.sql")));

        // "Új SQL" empties the text and keeps the name for the next save.
        console->aUj->trigger();
        QCOMPARE(console->editor()->text(), QString());
        QCOMPARE(console->fileName(), QDir::toNativeSeparators(path + QStringLiteral(".sql")));

        // Read back: Windows-1250, UTF-8 with and without its mark.
        const struct { const char *name; QByteArray bytes; } files[] = {
            {"cp.sql", QByteArray("select '\xe1rv\xedzt\xfbr\xf5'\r\n")},
            {"bom.sql", QByteArray("\xef\xbb\xbfselect '\xc3\xa1rv\xc3\xadzt\xc5\xb1r\xc5\x91'\r\n")},
            {"utf8.sql", QByteArray("select '\xc3\xa1rv\xc3\xadzt\xc5\xb1r\xc5\x91'\r\n")},
            {"utf16.sql", QByteArray("\xff\xfes\0e\0l\0e\0c\0t\0 \0'\0\xe1\0r\0v\0\xed\0z\0t\0\x71\x01r\0\x51\x01'\0\r\0\n\0", 42)},
        };
        for (const auto &file : files) {
            QFile out(f->path(QStringLiteral("SQL/") + QString::fromLatin1(file.name)));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file.bytes);
            out.close();
            testhooks::setNextFileName(out.fileName());
            console->aMegnyit->trigger();
            QCOMPARE(console->editor()->text(), QStringLiteral("select 'árvíztűrő'\r\n"));
            QCOMPARE(console->fileName(), QDir::toNativeSeparators(out.fileName()));
        }

        // Failures are reported and change nothing.
        testhooks::clearMessages();
        const QString before = console->fileName();
        QVERIFY(!console->loadFile(f->path(QStringLiteral("SQL/nincs.sql"))));
        QVERIFY(!console->saveFile(f->path(QStringLiteral("nincs/mappa/x.sql"))));
        const auto shown = testhooks::shownMessages();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].text.contains(QStringLiteral("nincs.sql")));
        QCOMPARE(shown[1].icon, QStringLiteral("error"));
        QVERIFY(shown[1].text.contains(QStringLiteral("x.sql")));
        QCOMPARE(console->fileName(), before);
        QCOMPARE(console->editor()->text(), QStringLiteral("select 'árvíztűrő'\r\n"));
    }

    void aResultTooLargeForMemoryStopsWithAMessage()
    {
        console->query()->setLoadLimit(200000);
        const auto shown = run(QStringLiteral("select * from (with recursive c(x) as (select 1 union all select x+1 from c) "
                                              "select x, 'egy hosszabb szöveg' as s from c)"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("error"));
        QCOMPARE(shown[0].text, zdb::RecordSet::tooLargeMessage());
        QVERIFY(!console->query()->isOpen());
        QCOMPARE(console->grid()->model()->rowCount(), 0);
        // Under the limit the same kind of result shows.
        run(QStringLiteral("select * from (with recursive c(x) as (select 1 union all select x+1 from c limit 100) "
                           "select x from c)"));
        QCOMPARE(console->query()->recordCount(), 100);
    }

    // Every write is announced by the tables it wrote, however the statement
    // starts, so open lists reload; a rolled-back transaction is announced again.
    void writesAnnounceTheirTables()
    {
        QStringList changed;
        QObject listener;
        QObject::connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, &listener,
                         [&changed](const QString &table, const QObject *) { changed << table; });
        run(QStringLiteral("select * from jegyzet"));
        run(QStringLiteral("-- javítás\nupdate jegyzet set rovid='X' where jegyzet=1"));
        QCOMPARE(changed, QStringList{QStringLiteral("jegyzet")});
        changed.clear();
        run(QStringLiteral("with k(id) as (select 2) delete from jegyzet where jegyzet in (select id from k)"));
        QCOMPARE(changed, QStringList{QStringLiteral("jegyzet")});
        changed.clear();
        run(QStringLiteral("begin"));
        run(QStringLiteral("insert into jegyzet (jegyzet, rovid) values (9, 'új')"));
        QCOMPARE(changed, QStringList{QStringLiteral("jegyzet")});
        run(QStringLiteral("rollback"));
        QCOMPARE(changed, (QStringList{QStringLiteral("jegyzet"), QStringLiteral("jegyzet")}));
        changed.clear();
        run(QStringLiteral("pragma user_version"));
        QVERIFY(changed.isEmpty());

        // The shared task record set reloads, so a stale row of it cannot be
        // posted back over the console's change.
        testenv::execSql(db(), QStringLiteral("INSERT INTO dolog3 (dolog3, ugyfel, ugyfel_nev, kesz) VALUES (1, 5, 'Régi', 'N');"));
        zdb::Table *tasks = Shared().TblFeladat;
        tasks->setFiltered(false);
        tasks->open();
        QCOMPARE(tasks->text(QStringLiteral("ugyfel_nev")), QStringLiteral("Régi"));
        testhooks::setNextAnswer(true);
        run(QStringLiteral("/* névcsere */ update dolog3 set ugyfel_nev='Új név'"));
        QCOMPARE(tasks->text(QStringLiteral("ugyfel_nev")), QStringLiteral("Új név"));
        tasks->close();
    }

    // The program keeps the statements it runs again compiled: the
    // console's schema changes neither stop on them nor leave them stale.
    void schemaChangesAfterSaves()
    {
        zdb::Table notes(Shared().Db1);
        zdb::UseCatalogue(notes, QStringLiteral("jegyzet"));
        notes.setOrder(QStringLiteral("jegyzet"));
        const auto save = [&](int row, const QString &text) {
            notes.setCurrentRow(row);
            notes.edit();
            notes.setValue(QStringLiteral("rovid"), text);
            notes.post();
        };
        notes.open();
        save(0, QStringLiteral("egy"));
        save(1, QStringLiteral("kettő"));

        QVERIFY(run(QStringLiteral("alter table jegyzet add column hely varchar(20)")).value(0).text.startsWith(kDone));
        save(0, QStringLiteral("három"));
        QCOMPARE(rovidOf(db(), 1), QStringLiteral("három"));
        zdb::Query all(Shared().Db1, QStringLiteral("select * from jegyzet where jegyzet >= :id"));
        all.setParam(QStringLiteral("id"), 1);
        all.open();
        QVERIFY(all.fieldIndex(QStringLiteral("hely")) >= 0);
        all.close();

        // Dropped and made anew under the open record set: saving fails, and
        // works again on the new table once the list is read again.
        QCOMPARE(run(QStringLiteral("drop table jegyzet")).value(0).text, kDone);
        bool refused = false;
        try {
            save(1, QStringLiteral("nincs hova"));
        } catch (const zdb::Error &) {
            refused = true;
        }
        QVERIFY(refused);
        notes.cancel();
        run(QStringLiteral("create table jegyzet (jegyzet integer, datum date, kategoria varchar(25), rovid varchar(50), "
                           "szoveg varchar(4096))"));
        run(QStringLiteral("insert into jegyzet (jegyzet, rovid) values (7, 'új')"));
        notes.close();
        notes.open();
        save(0, QStringLiteral("megvan"));
        QCOMPARE(rovidOf(db(), 7), QStringLiteral("megvan"));
        all.open();
        QCOMPARE(all.recordCount(), 1);
        QVERIFY(all.fieldIndex(QStringLiteral("hely")) < 0);
    }

    // A long statement is stopped from the window, by the command or by Esc,
    // while it runs, on a file and on a server (which is sent a cancel
    // request): nothing of it stays, the window stays open and usable.
    void aRunningStatementCanBeStopped_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("byEsc");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("before");   // run first, one at a time
        const QString stopped = QStringLiteral("Az utasítás leállítva, nem futott le.");
        // Long enough that a statement that cannot be stopped fails the test
        // by finishing; bounded so that such a fault does not hang the run.
        const QString rows = QStringLiteral("with recursive c(x) as (select 1 union all select x+1 from c where x < 30000000) ");
        QTest::newRow("query, command")
            << "file" << QStringLiteral("select count(*) from (") + rows + QStringLiteral("select x from c)") << false << stopped << QStringList();
        QTest::newRow("write, Esc")
            << "file" << QStringLiteral("update jegyzet set rovid = (") + rows + QStringLiteral("select count(*) from c)") << true << stopped << QStringList();
        QTest::newRow("server query, command") << "server" << QStringLiteral("select pg_sleep(30)") << false << stopped << QStringList();
        // The first row is written before the second one's wait.
        QTest::newRow("server write, Esc")
            << "server"
            << QStringLiteral("update jegyzet set rovid = (select 'x' from pg_sleep(case when jegyzet = 2 then 30 else 0 end)) where jegyzet > 0")
            << true << stopped << QStringList();
        QTest::newRow("server write in a transaction")
            << "server"
            << QStringLiteral("update jegyzet set rovid = (select 'y' from pg_sleep(30)) where jegyzet = 2")
            << false << stopped + QStringLiteral("\nA nyitott tranzakciót az adatbázis visszavonta.")
            << QStringList{QStringLiteral("begin"), QStringLiteral("update jegyzet set rovid = 'x' where jegyzet = 1")};
    }
    void aRunningStatementCanBeStopped()
    {
        QFETCH(QString, engine);
        QFETCH(QString, sql);
        QFETCH(bool, byEsc);
        QFETCH(QString, message);
        QFETCH(QStringList, before);
        zdb::Connection other;   // reads the rows from outside the program
        if (engine == u"server") {
            console.reset();
            f = std::make_unique<AppFixture>();
            const QString address = f->makeServerDb(QStringLiteral("zt_console_stop"), QString::fromUtf8(kData));
            if (address.isEmpty())
                QSKIP("no test server: run through ctest or scripts/pgserver run");
            other.setPath(address);
            QVERIFY(f->start());
            console = std::make_unique<Tfrm_Sql>(f->main.get());
        }
        auto firstNote = [&] {
            if (engine == u"file")
                return rovidOf(db(), 1);
            zdb::Query q(&other, QStringLiteral("select rovid from jegyzet where jegyzet = 1"));
            q.open();
            return q.text(QStringLiteral("rovid"));
        };
        console->show();
        for (const QString &statement : before)
            run(statement);
        QVERIFY(!console->aLeallit->isEnabled());
        bool enabledWhileRunning = false;
        QTimer::singleShot(300, console.get(), [&] {
            enabledWhileRunning = console->aLeallit->isEnabled() && !console->aFuttat->isEnabled();
            if (byEsc)
                QTest::keyClick(console.get(), Qt::Key_Escape);
            else
                console->aLeallit->trigger();
        });
        const auto shown = run(sql);
        QVERIFY2(enabledWhileRunning, qPrintable(shown.value(0).text));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("warning"));
        QCOMPARE(shown[0].text, message);
        QVERIFY(console->isVisible());
        QVERIFY(!console->query()->isOpen());
        QCOMPARE(firstNote(), QStringLiteral("Első jegyzet"));
        QVERIFY(!console->aLeallit->isEnabled());
        QVERIFY(!Db1()->inTransaction());
        // The connection is free again.
        run(QStringLiteral("select count(*) from jegyzet"));
        QCOMPARE(console->query()->textAt(0, 0), QStringLiteral("2"));
    }

    // On a server as on a file: of several statements the first runs and
    // the rest is said not to, and a write says how many rows it changed,
    // inside an open transaction too, which stays usable.
    void serverRunsTheFirstStatementAndCountsRows()
    {
        console.reset();
        f = std::make_unique<AppFixture>();
        const QString address = f->makeServerDb(QStringLiteral("zt_console_first"), QString::fromUtf8(kData));
        if (address.isEmpty())
            QSKIP("no test server: run through ctest or scripts/pgserver run");
        QVERIFY(f->start());
        console = std::make_unique<Tfrm_Sql>(f->main.get());
        run(QStringLiteral("begin"));
        const auto shown = run(QStringLiteral("update jegyzet set rovid = 'Y' where jegyzet in (1, 2); delete from jegyzet"));
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(kDone + QStringLiteral("\nMódosított sorok száma: 2\n\n")), qPrintable(shown[0].text));
        QVERIFY(Db1()->inTransaction());
        run(QStringLiteral("commit"));
        run(QStringLiteral("select count(*) from jegyzet where rovid = 'Y'"));
        QCOMPARE(console->query()->textAt(0, 0), QStringLiteral("2"));
    }

    // A statement that changes rows says how many; an UPDATE or DELETE
    // without WHERE runs only after a "Nem"-by-default question.
    void rowCountsAndStatementsWithoutWhere_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("answer");       // -1: no question expected; 0 no, 1 yes
        QTest::addColumn<QString>("message");  // the message after the run; empty: none
        QTest::addColumn<int>("notesLeft");
        const QString rows = kDone + QStringLiteral("\nMódosított sorok száma: %1");
        QTest::newRow("update two") << "update jegyzet set rovid='Y' where jegyzet in (1, 2)" << -1 << rows.arg(2) << 2;
        QTest::newRow("delete none") << "delete from jegyzet where jegyzet=99" << -1 << rows.arg(0) << 2;
        QTest::newRow("insert two") << "insert into jegyzet (jegyzet, rovid) values (7, 'a'), (8, 'b')" << -1 << rows.arg(2) << 4;
        QTest::newRow("no rows to count") << "create table x (a integer)" << -1 << kDone << 2;
        QTest::newRow("where in a text only") << "update jegyzet set rovid='where'" << 0 << QString() << 2;
        QTest::newRow("where in a comment only") << "delete from jegyzet -- where jegyzet=1" << 0 << QString() << 2;
        QTest::newRow("where in brackets only") << "DELETE FROM [jegyzet] /* where */" << 0 << QString() << 2;
        QTest::newRow("yes: all rows") << "DELETE FROM jegyzet" << 1 << rows.arg(2) << 0;
    }
    void rowCountsAndStatementsWithoutWhere()
    {
        QFETCH(QString, sql);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(int, notesLeft);
        if (answer >= 0)
            testhooks::setNextAnswer(answer == 1);
        const auto shown = run(sql);
        QStringList expected;
        if (answer >= 0)
            expected << QStringLiteral("Az utasításban nincs WHERE feltétel: a tábla minden sorára hat.\nBiztosan futtassam?");
        if (!message.isEmpty())
            expected << message;
        QStringList texts;
        for (const auto &m : shown)
            texts << m.text;
        QCOMPARE(texts, expected);
        QCOMPARE(testenv::storedValue(db(), QStringLiteral("select count(*) from jegyzet")).toInt(), notesLeft);
        if (answer == 0)
            QCOMPARE(rovidOf(db(), 1), QStringLiteral("Első jegyzet"));
    }

    void anOpenTransactionIsSettledOnClose_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("commit") << true;
        QTest::newRow("rollback") << false;
    }
    void anOpenTransactionIsSettledOnClose()
    {
        QFETCH(bool, commit);
        run(QStringLiteral("begin"));
        run(QStringLiteral("update jegyzet set rovid='T' where jegyzet=1"));
        QVERIFY(Db1()->inTransaction());
        testhooks::clearMessages();
        testhooks::setNextAnswer(commit);
        console->reject();
        const auto shown = testhooks::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QStringLiteral("question"));
        QCOMPARE(shown[0].caption, QStringLiteral("Megerősítés"));
        QVERIFY(!Db1()->inTransaction());
        QCOMPARE(rovidOf(db(), 1), commit ? QStringLiteral("T") : QStringLiteral("Első jegyzet"));

        // Without a transaction of its own the console closes without asking.
        console = std::make_unique<Tfrm_Sql>(f->main.get());
        run(QStringLiteral("update jegyzet set rovid='U' where jegyzet=2"));
        testhooks::clearMessages();
        console->reject();
        QVERIFY(testhooks::shownMessages().isEmpty());
        QCOMPARE(rovidOf(db(), 2), QStringLiteral("U"));
    }
};

QTEST_MAIN(TestSqlConsole)
#include "tst_sqlconsole.moc"
