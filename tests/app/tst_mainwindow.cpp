// The main window's commands, status bar, wheel rule, tray, settings and the
// small windows.

#include "tests/app/appfixture.h"
#include "app/modules.h"
#include "app/listcommands.h"
#include "app/application.h"
#include "app/readmedialog.h"
#include "app/settingsdialog.h"
#include "app/splash.h"

#include "db/connection.h"
#include "db/catalog.h"
#include "db/recordset.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QShortcut>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QStatusTipEvent>
#include <QRegularExpression>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

// A stand-in list window, so the dispatch can be seen without real lists.
class FakeList : public QWidget, public ListWindow
{
public:
    explicit FakeList(int kind, zdb::RecordSet *rows = nullptr) : m_kind(kind), m_rows(rows)
    {
        setWindowTitle(ChildKindTitle(kind));
    }
    int childKind() const override { return m_kind; }
    DataGrid *listGrid() const override { return nullptr; }
    zdb::RecordSet *listRecordSet() const override { return m_rows; }

private:
    int m_kind;
    zdb::RecordSet *m_rows;
};

// Stands for the desktop's handler of a URL scheme.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class KeyCounter : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *e) override { keys << e->key(); }
};

// Captions of a menu's or tool bar's entries, "-" for a separator and the
// object name of a widget placed in a tool bar.
QStringList entriesOf(QWidget *bar)
{
    QStringList list;
    auto *toolBar = qobject_cast<QToolBar *>(bar);
    for (QAction *a : bar->actions()) {
        if (a->isSeparator())
            list << QStringLiteral("-");
        else if (toolBar && toolBar->widgetForAction(a) && a->text().isEmpty())
            list << toolBar->widgetForAction(a)->objectName();
        else
            list << a->text();
    }
    return list;
}

// A menu by its caption's words, its mnemonic mark left out.
QMenu *menuOf(QMainWindow *main, const QString &title)
{
    for (QAction *a : main->menuBar()->actions())
        if (QString(a->text()).remove(QLatin1Char('&')) == title)
            return a->menu();
    return nullptr;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initAppTests();
        RegisterModules();
    }

    void actionsCarryNamesCaptionsAndShortcuts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortcut");
        auto row = [](const char *n, const char *c, const char *h, const char *k) {
            QTest::newRow(n) << QString::fromUtf8(n) << QString::fromUtf8(c) << QString::fromUtf8(h) << QString::fromUtf8(k);
        };
        row("aGyorsLista", "Gyorslista", "Gyorslista", "Ctrl+Q");
        row("aKeres", "Keresés mindenben", "Keresés minden adatban", "Ctrl+F");
        row("aNyomtat", "Nyomtat", "Nyomtat", "Ctrl+P");
        row("aNyomtatKep", "Nyomtatási kép", "Nyomtatási kép", "Ctrl+K");
        row("aExcelbe", "Excelbe...", "Excelbe...", "Ctrl+E");
        row("aHtml", "Html export", "Html export", "Ctrl+H");
        row("aAdatlap", "Adatlap", "Adatlap", "Ctrl+Shift+P");
        row("aReszletes", "Adatlap lista", "Adatlap lista", "Ctrl+Alt+P");
        row("aEmil", "E-Mail", "E-Mail", "Ctrl+M");
        row("aTray", "Tálcára...", "Tálcára... (Tray)", "");
        row("aSugo", "Súgó", "Súgó", "F1");
        row("aLevel", "Levélküldés Bertaloxnak", "Levélküldés Bertaloxnak", "");
        row("aOsszesLatszik", "Összes látszik", "Összes látszik", "");
        row("aTrFokepernyo", "Főképernyő", "Főképernyő", "");
    }
    void actionsCarryNamesCaptionsAndShortcuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(QString, shortcut);
        Tfrm_Main main;
        QAction *a = actionOf(main, name);
        QVERIFY(a);
        QCOMPARE(a->objectName(), name);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->statusTip(), hint);
        QCOMPARE(a->shortcut().toString(QKeySequence::PortableText), shortcut);
    }

    void clockTicksAndHintShowsInSecondPanel()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->showMain();
        QVERIFY(f.main->clockPanel()->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!f.main->clockPanel()->text().isEmpty(), 2500);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(f.main->clockPanel()->text()).hasMatch());
        const QString first = f.main->clockPanel()->text();
        QTRY_VERIFY_WITH_TIMEOUT(f.main->clockPanel()->text() != first, 2500);

        // Resting on the "Bezár" tool button shows its hint.
        QToolButton *bezar = nullptr;
        for (QToolButton *b : f.main->findChildren<QToolButton *>())
            if (b->defaultAction() == actionOf(f.main, QStringLiteral("aBezar")))
                bezar = b;
        QVERIFY(bezar);
        QEnterEvent enter(QPointF(2, 2), bezar->mapToGlobal(QPointF(2, 2)), bezar->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(bezar, &enter);
        QCOMPARE(f.main->hintPanel()->text(), QStringLiteral("  Bezár"));
        QStatusTipEvent empty{QString()};
        QApplication::sendEvent(f.main.get(), &empty);
        QVERIFY(f.main->hintPanel()->text().isEmpty());
    }

    void wheelBecomesOneArrowKey_data()
    {
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<int>("phase");
        QTest::addColumn<QList<int>>("keys");
        const int none = Qt::NoScrollPhase;
        QTest::newRow("away") << QPoint(0, 120) << none << QList<int>{Qt::Key_Up};
        QTest::newRow("large") << QPoint(0, 720) << none << QList<int>{Qt::Key_Up};
        QTest::newRow("towards") << QPoint(0, -120) << none << QList<int>{Qt::Key_Down};
        QTest::newRow("slanted") << QPoint(40, -15) << none << QList<int>{Qt::Key_Down};
        // No vertical movement: no arrow press.
        QTest::newRow("zero") << QPoint(0, 0) << none << QList<int>{};
        QTest::newRow("sideways") << QPoint(120, 0) << none << QList<int>{};
        QTest::newRow("gesture begins") << QPoint(0, 0) << int(Qt::ScrollBegin) << QList<int>{};
        QTest::newRow("gesture ends") << QPoint(0, 0) << int(Qt::ScrollEnd) << QList<int>{};
    }
    void wheelBecomesOneArrowKey()
    {
        QFETCH(QPoint, delta);
        QFETCH(int, phase);
        QFETCH(QList<int>, keys);
        KeyCounter w;
        w.setFocusPolicy(Qt::StrongFocus);
        w.show();
        w.activateWindow();
        w.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                          Qt::ScrollPhase(phase), false);
        QApplication::sendEvent(&w, &wheel);
        QCOMPARE(w.keys, keys);
    }

    void listCommandsNeedAChildAndArrangingNeedsOne()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        QList<std::pair<int, ListCommand>> calls;
        for (ListCommand c : {ListCommand::Print, ListCommand::Preview, ListCommand::Excel, ListCommand::Html,
                              ListCommand::Sheet, ListCommand::SheetAll, ListCommand::Mail})
            RegisterListCommandHandler(c, [&calls](ListWindow *w, ListCommand cmd) { calls.append({w->childKind(), cmd}); });

        const char *listActions[] = {"aNyomtat", "aNyomtatKep", "aExcelbe", "aHtml", "aAdatlap", "aReszletes", "aEmil"};
        for (const char *name : listActions)
            actionOf(f.main, QString::fromLatin1(name))->trigger();
        QVERIFY(calls.isEmpty());
        for (const char *name : {"aOsszesLatszik", "aVizszintes", "aFuggoleges"})
            QVERIFY(!actionOf(f.main, QString::fromLatin1(name))->isEnabled());

        f.main->showMain();
        QMdiSubWindow *sub = f.main->addChild(new FakeList(KindCustomers));
        sub->show();
        f.main->mdiArea()->setActiveSubWindow(sub);
        QVERIFY(actionOf(f.main, QStringLiteral("aVizszintes"))->isEnabled());
        actionOf(f.main, QStringLiteral("aNyomtat"))->trigger();
        actionOf(f.main, QStringLiteral("aEmil"))->trigger();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].first, int(KindCustomers));
        QCOMPARE(calls[1].second, ListCommand::Mail);

        // Horizontal tiling stacks the windows at full width.
        QMdiSubWindow *sub2 = f.main->addChild(new FakeList(KindProducts));
        sub2->show();
        actionOf(f.main, QStringLiteral("aVizszintes"))->trigger();
        const int width = f.main->mdiArea()->viewport()->width();
        QCOMPARE(sub->width(), width);
        QCOMPARE(sub2->width(), width);
        QVERIFY(sub->y() != sub2->y());
        actionOf(f.main, QStringLiteral("aFuggoleges"))->trigger();
        QCOMPARE(sub->height(), sub2->height());
        QVERIFY(sub->x() != sub2->x());

        sub->close();
        sub2->close();
        QTRY_VERIFY(!actionOf(f.main, QStringLiteral("aOsszesLatszik"))->isEnabled());
        for (ListCommand c : {ListCommand::Print, ListCommand::Preview, ListCommand::Excel, ListCommand::Html,
                              ListCommand::Sheet, ListCommand::SheetAll, ListCommand::Mail})
            RegisterListCommandHandler(c, {});
    }

    // The opening commands, menus, tool bar, tray menu and list commands come
    // from the registered kinds: a kind registered by one line gets them all.
    void registeredKindsMakeTheCommands()
    {
        AppFixture f;
        f.makeDb(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (41, 'Alfa');"));
        QVERIFY(f.start());
        QCOMPARE(entriesOf(menuOf(f.main.get(), QStringLiteral("Dolgaim"))),
                 (QStringList{"Naptár", "Feladatok", "Jegyzetek", "-", "Gyorslista", "Keresés mindenben", "-", "Nyomtat", "Nyomtatási kép",
                              "-", "Excelbe...", "Html export", "-", "Bezár"}));
        QCOMPARE(entriesOf(menuOf(f.main.get(), QStringLiteral("Adatok"))),
                 (QStringList{"Ügyfelek", "Termékek", "Projektek"}));
        auto *large = f.main->findChild<QToolBar *>(QStringLiteral("ToolBarLarge"));
        QCOMPARE(entriesOf(large), (QStringList{"Gyorslista", "Keresés mindenben", "-", "Naptár", "Feladatok", "Jegyzetek", "-", "Ügyfelek",
                                                "Termékek", "Projektek", "-", "NyomtatButton"}));
        f.main.reset();

        // A seventh kind, its sheet of one row read by its identifier column.
        constexpr int kTrial = 7;
        QList<SheetRequest> sheets;
        std::unique_ptr<zdb::Table> rows;
        RegisterListKind({.kind = kTrial, .title = QStringLiteral("Próbák"), .iconName = QStringLiteral("ugyfel"),
                          .actionName = QStringLiteral("aProba"), .trayActionName = QStringLiteral("aTrProba"),
                          .group = MenuGroup::Adatok, .place = 1,
                          .factory = [&rows](QWidget *) -> QWidget * { return new FakeList(kTrial, rows.get()); },
                          .idField = QStringLiteral("ugyfel"),
                          .printSheet = [&sheets](const SheetRequest &r) { sheets << r; }});
        const auto unregister = qScopeGuard([] { UnregisterListKind(kTrial); });
        RegisterListCommands();
        QVERIFY(f.start());
        rows = std::make_unique<zdb::Table>(Db1(), QStringLiteral("ugyfel"));
        zdb::DeclareFields(*rows, QStringLiteral("ugyfel"));
        f.main->showMain();
        QCOMPARE(entriesOf(menuOf(f.main.get(), QStringLiteral("Adatok"))),
                 (QStringList{"Ügyfelek", "Termékek", "Próbák", "Projektek"}));
        QVERIFY(entriesOf(f.main->findChild<QToolBar *>(QStringLiteral("ToolBarLarge"))).contains(QStringLiteral("Próbák")));
        QCOMPARE(entriesOf(f.main->trayIcon()->contextMenu()),
                 (QStringList{"Főképernyő", "Gyorslista", "Keresés mindenben", "-", "Naptár", "Feladatok", "Jegyzetek", "Ügyfelek", "Termékek",
                              "Próbák", "Projektek", "-", "Bezár"}));

        actionOf(f.main, QStringLiteral("aProba"))->trigger();
        QVERIFY(f.main->activeListWindow());
        QCOMPARE(f.main->activeListWindow()->childKind(), kTrial);
        QCOMPARE(f.main->mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("Próbák"));
        // An empty list has no row for "Adatlap": said, and nothing printed.
        actionOf(f.main, QStringLiteral("aAdatlap"))->trigger();
        QCOMPARE(testhooks::lastMessage().text, QStringLiteral("Nincs kiválasztott sor, az adatlap nem készíthető el."));
        QVERIFY(sheets.isEmpty());
        rows->setFilter(QStringLiteral("ugyfel_nev <> ''"));
        rows->setFiltered(true);
        rows->setOrder(QStringLiteral("ugyfel_nev"));
        rows->open();
        actionOf(f.main, QStringLiteral("aAdatlap"))->trigger();
        actionOf(f.main, QStringLiteral("aReszletes"))->trigger();
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets[0].id, 41);
        QCOMPARE(sheets[0].filter, QStringLiteral("ugyfel_nev <> ''"));
        QVERIFY(sheets[0].filtered);
        QCOMPARE(sheets[0].order, QStringLiteral("ugyfel_nev"));
        QCOMPARE(sheets[1].id, -1);

        f.main->mdiArea()->closeAllSubWindows();
        rows.reset();
        f.main.reset();
    }

    // The window-exists flags are read from the window area: a list window
    // counts from its creation to its close, whoever made it.
    void windowFlagsFollowTheWindowArea()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->showMain();
        QVERIFY(!Beall().CustomerWindowOpen);
        QMdiSubWindow *sub = f.main->addChild(new FakeList(KindCustomers));
        sub->show();
        QVERIFY(Beall().CustomerWindowOpen);
        QVERIFY(!Beall().ProductWindowOpen);
        // The command brings the window already there forward, makes none.
        QCOMPARE(f.main->openListWindow(KindCustomers), sub->widget());
        QCOMPARE(f.main->mdiArea()->subWindowList().size(), 1);
        delete sub;
        QVERIFY(!Beall().CustomerWindowOpen);
        // Resetting the settings record does not make a flag lie.
        f.main->addChild(new FakeList(KindProducts))->show();
        Beall() = TBeall{};
        QVERIFY(Beall().ProductWindowOpen);
        f.main->mdiArea()->closeAllSubWindows();
    }

    void listWindowOpensOnce()
    {
        const ListWindowFactory real = ListWindowFactoryOf(KindProducts);
        int created = 0;
        RegisterListWindow(KindProducts, [&created](QWidget *) {
            ++created;
            return new FakeList(KindProducts);
        });
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->showMain();
        QVERIFY(actionOf(f.main, QStringLiteral("aTermek"))->isEnabled());
        actionOf(f.main, QStringLiteral("aTermek"))->trigger();
        actionOf(f.main, QStringLiteral("aTermek"))->trigger();
        QCOMPARE(created, 1);
        QCOMPARE(f.main->mdiArea()->subWindowList().size(), 1);
        f.main->mdiArea()->subWindowList().first()->close();
        QTRY_COMPARE(f.main->mdiArea()->subWindowList().size(), 0);
        actionOf(f.main, QStringLiteral("aTermek"))->trigger();
        QCOMPARE(created, 2);
        RegisterListWindow(KindProducts, real);
    }

    // However large the list window makes itself, it opens inside the window
    // area: its title and last rows in sight.
    void listWindowOpensInsideTheWindowArea()
    {
        const ListWindowFactory real = ListWindowFactoryOf(KindProducts);
        RegisterListWindow(KindProducts, [](QWidget *) {
            auto *w = new FakeList(KindProducts);
            w->resize(3000, 2000);
            return w;
        });
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->resize(900, 600);
        f.main->showMain();
        actionOf(f.main, QStringLiteral("aTermek"))->trigger();
        QMdiSubWindow *sub = f.main->mdiArea()->subWindowList().value(0);
        QVERIFY(sub);
        QVERIFY2(f.main->mdiArea()->viewport()->rect().contains(sub->geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(sub->x()).arg(sub->y()).arg(sub->width()).arg(sub->height())));
        RegisterListWindow(KindProducts, real);
    }

    // Alt and the underlined letter, or F10, reach the menus; the captions'
    // words are unchanged. Qt's own texts are Hungarian.
    void menusFromTheKeyboardAndQtInHungarian()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->showMain();
        QStringList titles;
        for (QAction *a : f.main->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&Dolgaim", "&Adatok", "&Rendszer", "A&blak", "&Súgó"}));
        auto *f10 = f.main->findChild<QShortcut *>(QStringLiteral("scMenuBar"));
        QVERIFY(f10);
        QCOMPARE(f10->key(), QKeySequence(Qt::Key_F10));
        Q_EMIT f10->activated();
        QCOMPARE(f.main->menuBar()->activeAction(), f.main->menuBar()->actions().first());
        f.main->menuBar()->setActiveAction(nullptr);
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();

        QVERIFY(LoadQtTranslations(*qApp));
        for (const auto &[context, text] : {std::pair{"QFileDialog", "Look in:"}, {"QFileDialog", "File &name:"},
                                            {"QPlatformTheme", "Cancel"}, {"QPrintPreviewDialog", "Page setup"}}) {
            const QString shown = QCoreApplication::translate(context, text);
            QVERIFY2(shown != QLatin1String(text), text);
        }
    }

    void nextIdAndRunSql()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        QCOMPARE(NextId(QStringLiteral("jegyzet")), 1);
        testenv::execSql(f.dbPath(), QStringLiteral("INSERT INTO jegyzet (jegyzet) VALUES (3); INSERT INTO jegyzet (jegyzet) VALUES (41);"));
        QCOMPARE(NextId(QStringLiteral("jegyzet")), 42);
        // A text another program left in the column is passed over.
        testenv::execSql(f.dbPath(), QStringLiteral("INSERT INTO jegyzet (jegyzet) VALUES ('abc');"));
        QCOMPARE(NextId(QStringLiteral("jegyzet")), 42);
        QCOMPARE(NextId(QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel")), 1);

        RunSql(QStringLiteral("UPDATE jegyzet SET rovid='ok' WHERE jegyzet=41"));
        RunSql(QStringLiteral("UPDATE nincs_ilyen SET x=1")); // swallowed
        QVERIFY(testhooks::shownMessages().isEmpty());
        zdb::Query q(Db1(), QStringLiteral("SELECT rovid FROM jegyzet WHERE jegyzet=41"));
        q.open();
        QCOMPARE(q.text(QStringLiteral("rovid")), QStringLiteral("ok"));
        q.close();

        // Values are bound: quotes, colons and question marks of a name stay text.
        QStringList changed;
        QObject listener;
        QObject::connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, &listener,
                         [&changed](const QString &table, const QObject *) { changed << table; });
        const QString name = QStringLiteral("O'Neil: ?Kft:Bp :nev");
        RunSql(QStringLiteral("UPDATE jegyzet SET rovid=:nev WHERE jegyzet=:id"),
               {{QStringLiteral("nev"), name}, {QStringLiteral("id"), 41}});
        q.open();
        QCOMPARE(q.text(QStringLiteral("rovid")), name);
        QCOMPARE(changed, QStringList{QStringLiteral("jegyzet")});
        // Reported errors reach the caller instead of vanishing.
        QVERIFY_THROWS_EXCEPTION(zdb::Error, RunSql(QStringLiteral("UPDATE nincs_ilyen SET x=1"), {}, SqlErrors::Report));
        QCOMPARE(changed.size(), 1);

        // The shared task record set shows a rewritten name at once and keeps its row.
        testenv::execSql(f.dbPath(), QStringLiteral("INSERT INTO dolog3 (dolog3, ugyfel, ugyfel_nev, kesz) VALUES (1, 5, 'Régi', 'N');"
                                                    "INSERT INTO dolog3 (dolog3, ugyfel, ugyfel_nev, kesz) VALUES (2, 5, 'Régi', 'N');"));
        zdb::Table *tasks = Shared().TblFeladat;
        tasks->setFiltered(false);
        tasks->setOrder(QStringLiteral("dolog3"));
        tasks->open();
        tasks->last();
        RunSql(QStringLiteral("UPDATE dolog3 SET ugyfel_nev=:nev WHERE ugyfel=:id"),
               {{QStringLiteral("nev"), QStringLiteral("Új név")}, {QStringLiteral("id"), 5}});
        QCOMPARE(tasks->text(QStringLiteral("ugyfel_nev")), QStringLiteral("Új név"));
        QCOMPARE(tasks->value(QStringLiteral("dolog3")).toInt(), 2);
        tasks->close();
    }

    void helpAndWebCommandsGoToTheDesktop()
    {
        QStringList opened;
        SetOpenDocumentHook([&opened](const QString &t) { opened << t; });
        Tfrm_Main main;
        actionOf(main, QStringLiteral("aSugo"))->trigger();
        actionOf(main, QStringLiteral("aLevel"))->trigger();
        SetOpenDocumentHook({});
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].endsWith(QStringLiteral("Help/index.htm")));
        QVERIFY(opened[1].startsWith(QStringLiteral("mailto:")));
        QVERIFY(opened[1].endsWith(QStringLiteral("?subject=Zentavo")));
    }

    // A stored document goes to the desktop's handler even when it carries
    // the executable bit and no extension; only the program's own side
    // program is started.
    void documentsAreOpenedNeverExecuted()
    {
        AppFixture f;
        const auto script = [&](const QString &rel, const QString &body) {
            QFile file(f.path(rel));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
            file.close();
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        };
        script(QStringLiteral("szerzodes"), QStringLiteral("touch '%1'").arg(f.path(QStringLiteral("executed"))));
        script(QStringLiteral("Ujdonsag"), QStringLiteral("touch '%1'").arg(f.path(QStringLiteral("side-program-ran"))));

        UrlCatcher desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
        OpenDocument(f.path(QStringLiteral("szerzodes")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(f.path(QStringLiteral("szerzodes")))});
        QTest::qWait(300);
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("executed"))));

        Tfrm_Main main;
        actionOf(main, QStringLiteral("aUjdonsag"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(f.path(QStringLiteral("side-program-ran"))), 5000);
    }

    void trayWithoutSystemTrayMinimises()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        f.main->showMain();
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable()); // offscreen has none
        actionOf(f.main, QStringLiteral("aTray"))->trigger();
        QVERIFY(f.main->isMinimized());
        QVERIFY(f.main->isVisible());
        QVERIFY(!f.main->trayIcon()->isVisible());
        actionOf(f.main, QStringLiteral("aTrFokepernyo"))->trigger();
        QVERIFY(f.main->isVisible());
        QVERIFY(!f.main->isMinimized());
        QCOMPARE(f.main->pos(), QPoint(0, 0));
    }

    // With a system tray: hidden behind the icon, back by a double click or
    // through the tray menu, whose list commands also open their window.
    void trayHidesAndBringsBack()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        testhooks::setSystemTrayAssumed(true);
        f.main->showMain();
        QSystemTrayIcon *tray = f.main->trayIcon();
        QCOMPARE(tray->toolTip(), QStringLiteral("Zentavo"));
        QStringList menu;
        for (QAction *a : tray->contextMenu()->actions())
            menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(menu, (QStringList{"Főképernyő", "Gyorslista", "Keresés mindenben", "-", "Naptár", "Feladatok", "Jegyzetek", "Ügyfelek",
                                    "Termékek", "Projektek", "-", "Bezár"}));

        f.main->move(50, 40);
        actionOf(f.main, QStringLiteral("aTray"))->trigger();
        QVERIFY(!f.main->isVisible());
        QVERIFY(tray->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::Trigger);   // a single click does nothing
        QVERIFY(!f.main->isVisible());
        Q_EMIT tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.main->isVisible());
        QVERIFY(!tray->isVisible());
        QCOMPARE(f.main->pos(), QPoint(0, 0));

        actionOf(f.main, QStringLiteral("aTray"))->trigger();
        QVERIFY(!f.main->isVisible());
        actionOf(f.main, QStringLiteral("aTrFokepernyo"))->trigger();
        QVERIFY(f.main->isVisible());
        QVERIFY(!tray->isVisible());
    }

    void splashClosesItselfAfterFourSeconds()
    {
        Tfrm_Logo *splash = ShowSplash();
        QPointer<Tfrm_Logo> guard(splash);
        QCOMPARE(splash->size(), QSize(400, 240));
        QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
        QTest::qWait(3500);
        QVERIFY(guard);
        QTRY_VERIFY_WITH_TIMEOUT(!guard, 2000);
    }

    void settingsOkStoresAndCancelKeeps()
    {
        AppFixture f;
        f.makeDb(); // no beallit row
        QVERIFY(f.start());
        const QString oldPath = Beall().DatabasePath;

        testhooks::onNextDialog([](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Beallit *>(dialog);
            d->databaseEdit()->setText(QStringLiteral("/mashol/Masik.sqb"));
            d->fullScreenBox()->setChecked(true);
            d->reject();
        });
        actionOf(f.main, QStringLiteral("aBeallit"))->trigger();
        QCOMPARE(Beall().DatabasePath, oldPath);
        QVERIFY(!Beall().FullScreen);

        testhooks::setNextFolder(f.path(QStringLiteral("Html")));
        testhooks::onNextDialog([](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Beallit *>(dialog);
            d->fullScreenBox()->setChecked(true);
            d->htmlButton()->click();
            typeInto(d->senderNameEdit(), QStringLiteral("Kiss Éva"));
            d->accept();
        });
        actionOf(f.main, QStringLiteral("aBeallit"))->trigger();
        QVERIFY(Beall().FullScreen);
        QCOMPARE(Beall().HtmlDir, f.path(QStringLiteral("Html")));
        QCOMPARE(Beall().SenderName, QString()); // read again only at the next start

        // The first row is stored with what was typed; the untouched login box stays null.
        zdb::Query q(Db1(), QStringLiteral("SELECT vanbelep IS NULL AS n, sendername, beallit IS NULL AS b FROM beallit"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.text(QStringLiteral("n")), QStringLiteral("1"));
        QCOMPARE(q.text(QStringLiteral("b")), QStringLiteral("1"));
        QCOMPARE(q.text(QStringLiteral("sendername")), QStringLiteral("Kiss Éva"));

        f.closeMain();
        QCOMPARE(f.ini().value(QStringLiteral("Screen/FullScreen")).toString(), QStringLiteral("1"));
        QCOMPARE(f.ini().value(QStringLiteral("Database/Path")).toString(), oldPath);
    }

    // The login switch ticked in the settings is stored, and the next start
    // asks for the password.
    void tickingLoginMakesTheNextStartAsk()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        testhooks::onNextDialog([](QDialog *dialog) {
            auto *d = static_cast<Tfrm_Beallit *>(dialog);
            QVERIFY(!d->loginBox()->isChecked());
            d->loginBox()->click();
            d->accept();
        });
        actionOf(f.main, QStringLiteral("aBeallit"))->trigger();
        f.closeMain();
        f.main.reset();
        QCOMPARE(testenv::storedValue(f.dbPath(), QStringLiteral("SELECT vanbelep FROM beallit")).toString(),
                 QStringLiteral("I"));

        Beall() = TBeall{};
        QString asked;
        testhooks::onNextDialog([&](QDialog *d) {
            asked = d->objectName();
            d->reject();
        });
        QVERIFY(!f.start());   // the login was cancelled: the program ends
        QCOMPARE(asked, QStringLiteral("frm_Login"));
    }

    void aboutAndReadme()
    {
        AppFixture f;
        f.makeDb();
        QVERIFY(f.start());
        QString version;
        testhooks::onNextDialog([&version](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Névjegy"));
            version = d->findChild<QLabel *>(QStringLiteral("lblVerzio"))->text();
            d->accept();
        });
        actionOf(f.main, QStringLiteral("aNevjegy"))->trigger();
        QCOMPARE(version, QStringLiteral("V1.0.0.52"));

        Tfrm_Readme readme;
        QCOMPARE(readme.size(), QSize(552, 399));
        QVERIFY(readme.viewer()->toPlainText().length() > 500);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.path(QStringLiteral("readme.pdf")));
        QVERIFY(readme.printTo(&printer) >= 1);
        QCOMPARE(printer.docName(), QStringLiteral("Felhasználói szerződés"));
        QVERIFY(QFileInfo(f.path(QStringLiteral("readme.pdf"))).size() > 1000);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
