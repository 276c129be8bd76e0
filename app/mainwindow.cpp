#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/restoredialog.h"
#include "app/helpers/core/restorecopies.h"
#include "db/backup.h"
#include "app/helpers/core/tablewatch.h"
#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"
#include "app/listcommands.h"
#include "app/readmedialog.h"
#include "app/searchwindow.h"
#include "app/helpers/listchild.h"
#include "app/helpers/listheader.h"
#include "scheduling/records.h"
#include "app/settingsdialog.h"
#include "app/splash.h"
#include "app/usersdialog.h"
#include "app/sqlconsole.h"

#include "db/catalog.h"
#include "db/datawatch.h"
#include "db/dbcopy.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

const char *const MakerHomePage = "https://www.zentavo.hu";
const char *const MakerSupportEmail = "tamogatas@zentavo.hu";

Tfrm_Main::Tfrm_Main(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frm_Main"));
    setWindowTitle(QStringLiteral("Zentavo"));
    setWindowIcon(ZIcon(QStringLiteral("zentavo")));
    InstallListOutput();

    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setBackground(palette().color(QPalette::Dark));
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { updateArrangeActions(); });

    m_db = new zdb::Connection(this);
    m_tblFeladat = new zdb::Table(m_db, QStringLiteral("dolog3"), this);
    m_tblFeladat->setObjectName(QStringLiteral("TblFeladat"));
    m_tblFeladat->setFilter(QStringLiteral("kesz='N'"));
    m_tblFeladat->setFiltered(true);
    m_tblNaptar = new zdb::Table(m_db, QStringLiteral("dolog1"), this);
    m_tblNaptar->setObjectName(QStringLiteral("TblNaptar"));
    SetUpTaskRecordSet(m_tblFeladat);
    SetUpCalendarRecordSet(m_tblNaptar);
    // The lists show copies of customer, product and project names that
    // those windows rewrite with free statements.
    RefreshOnTableChange(m_tblFeladat);
    RefreshOnTableChange(m_tblNaptar);
    m_tblBeallit = new zdb::Table(m_db, QStringLiteral("beallit"), this);
    m_tblBeallit->setObjectName(QStringLiteral("TblBeallit"));
    zdb::DeclareFields(*m_tblBeallit, QStringLiteral("beallit"), {QStringLiteral("vanbelep"), QStringLiteral("sendername"),
                                                                QStringLiteral("senderemil")});
    m_tblTulajdonos = new zdb::Table(m_db, QStringLiteral("tulajdonos"), this);
    m_tblTulajdonos->setObjectName(QStringLiteral("TblTulajdonos"));
    zdb::DeclareFields(*m_tblTulajdonos, QStringLiteral("tulajdonos"), {QStringLiteral("tulajdonos")});

    // Another desk holding the file past the busy time-out: the user says
    // whether to wait on; nothing of the statement is written meanwhile.
    m_db->busyPrompt = [this](const QString &message) {
        return AskChoice(QStringLiteral("Egy másik munkahely éppen ír az adatbázisba, ezért a művelet most nem "
                                        "végezhető el.\n(%1)\n\nÚjra megpróbálja?")
                             .arg(message),
                         QStringLiteral("Foglalt adatbázis"), QStringLiteral("Újra"), QStringLiteral("Mégsem"), this);
    };
    // What other desks commit reaches the open windows.
    auto *watcher = new zdb::DataWatcher(m_db, this);
    watcher->setObjectName(QStringLiteral("DataWatcher"));

    SharedData &shared = Shared();
    shared.Db1 = m_db;
    shared.TblFeladat = m_tblFeladat;
    shared.TblNaptar = m_tblNaptar;
    shared.TblBeallit = m_tblBeallit;
    shared.TblTulajdonos = m_tblTulajdonos;
    shared.mainWindow = this;

    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    createTray();
    updateArrangeActions();
}

Tfrm_Main::~Tfrm_Main()
{
    // The frame's children go before the members their signals reach.
    m_mdi->disconnect(this);
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        sub->disconnect(this);
    delete m_mdi;
    m_mdi = nullptr;
    SharedData &shared = Shared();
    if (shared.mainWindow == this)
        shared = SharedData{};
}

QAction *Tfrm_Main::add(const QString &name, const QString &caption, const QString &hint,
                        const QKeySequence &key, const QString &icon)
{
    QAction *a = MakeAction(this, name, caption, hint, key, icon);
    addAction(a); // shortcuts work whichever child has the focus
    return a;
}

void Tfrm_Main::createActions()
{
    const QString none;
    auto openKind = [this](int kind) { return Guarded([this, kind] { openListWindow(kind); }); };

    // One opening command per registered list kind, with its twin for the tray.
    for (const ListKind &kind : ListKinds()) {
        if (kind.actionName.isEmpty())
            continue;
        QAction *opener = add(kind.actionName, kind.title, none, {}, kind.iconName);
        connect(opener, &QAction::triggered, this, openKind(kind.kind));
        // A list window that has not been built into this program yet cannot be opened.
        opener->setEnabled(bool(kind.factory));
        QAction *tray = nullptr;
        if (!kind.trayActionName.isEmpty()) {
            tray = add(kind.trayActionName, kind.title, none, {}, kind.iconName);
            tray->setEnabled(opener->isEnabled());
            connect(tray, &QAction::triggered, this, Guarded([this, opener] {
                        fromTray();
                        opener->trigger();
                    }));
        }
        m_kindCommands.append({kind.group, opener, tray});
    }
    aGyorsLista = add(QStringLiteral("aGyorsLista"), QStringLiteral("Gyorslista"), none, QKeySequence(QStringLiteral("Ctrl+Q")), QStringLiteral("gyorslista"));
    connect(aGyorsLista, &QAction::triggered, this, Guarded([] {
                if (auto open = QuickListOpener())
                    open();
            }));

    struct ListCmd { const char *name; const char *caption; const char *key; const char *icon; ListCommand command; QAction *Tfrm_Main::*member; };
    const ListCmd listCommands[] = {
        {"aNyomtat", "Nyomtat", "Ctrl+P", "nyomtat", ListCommand::Print, &Tfrm_Main::aNyomtat},
        {"aNyomtatKep", "Nyomtatási kép", "Ctrl+K", "nyomtatkep", ListCommand::Preview, &Tfrm_Main::aNyomtatKep},
        {"aExcelbe", "Excelbe...", "Ctrl+E", "excel", ListCommand::Excel, &Tfrm_Main::aExcelbe},
        {"aHtml", "Html export", "Ctrl+H", "html", ListCommand::Html, &Tfrm_Main::aHtml},
        {"aAdatlap", "Adatlap", "Ctrl+Shift+P", "adatlap", ListCommand::Sheet, &Tfrm_Main::aAdatlap},
        {"aReszletes", "Adatlap lista", "Ctrl+Alt+P", "adatlaplista", ListCommand::SheetAll, &Tfrm_Main::aReszletes},
        {"aEmil", "E-Mail", "Ctrl+M", "email", ListCommand::Mail, &Tfrm_Main::aEmil},
    };
    for (const ListCmd &c : listCommands) {
        QAction *a = add(QString::fromUtf8(c.name), QString::fromUtf8(c.caption), none,
                         QKeySequence(QString::fromLatin1(c.key)), QString::fromLatin1(c.icon));
        this->*c.member = a;
        const ListCommand command = c.command;
        connect(a, &QAction::triggered, this, Guarded([this, command] { runListCommand(command); }));
    }

    aTray = add(QStringLiteral("aTray"), QStringLiteral("Tálcára..."), QStringLiteral("Tálcára... (Tray)"), {}, QStringLiteral("talca"));
    connect(aTray, &QAction::triggered, this, Guarded([this] { toTray(); }));
    aBezar = add(QStringLiteral("aBezar"), QStringLiteral("Bezár"), none, {}, QStringLiteral("bezar"));
    connect(aBezar, &QAction::triggered, this, &QWidget::close);

    aFelhasznalo = add(QStringLiteral("aFelhasznalo"), QStringLiteral("Felhasználók"), none, {}, QStringLiteral("felhasznalo"));
    connect(aFelhasznalo, &QAction::triggered, this, Guarded([this] { ShowUsers(this); }));
    aSql = add(QStringLiteral("aSql"), QStringLiteral("Szabad lekérdezés"), none, {}, QStringLiteral("sql"));
    connect(aSql, &QAction::triggered, this, Guarded([this] { ShowSqlConsole(this); }));
    aBeallit = add(QStringLiteral("aBeallit"), QStringLiteral("Beállítások"), none, {}, QStringLiteral("beallit"));
    connect(aBeallit, &QAction::triggered, this, Guarded([this] {
                if (EditSettings(this))
                    applyFollowUpSettings();
            }));
    aVisszaallit = add(QStringLiteral("aVisszaallit"), QStringLiteral("Visszaállítás..."),
                       QStringLiteral("Az adatbázis visszaállítása egy mentett másolatból"), {}, QStringLiteral("zentavo"));
    connect(aVisszaallit, &QAction::triggered, this,
            Guarded([this] {
                ShowRestoreCopies(KeyOfDatabase(m_db), [this](const QString &copy) { restoreCopy(copy); }, this);
            }));

    aSugo = add(QStringLiteral("aSugo"), QStringLiteral("Súgó"), none, QKeySequence(Qt::Key_F1), QStringLiteral("sugo"));
    connect(aSugo, &QAction::triggered, this, [] { OpenDocument(ProgramPath(QStringLiteral("Help/index.htm"))); });
    aFontos = add(QStringLiteral("aFontos"), QStringLiteral("Fontos információk"), none, {}, QStringLiteral("fontos"));
    connect(aFontos, &QAction::triggered, this, Guarded([this] { ShowReadme(this); }));
    aHonlap = add(QStringLiteral("aHonlap"), QStringLiteral("Bertalox honlapja"), none, {}, QStringLiteral("honlap"));
    connect(aHonlap, &QAction::triggered, this, [] { OpenDocument(QString::fromLatin1(MakerHomePage)); });
    aLevel = add(QStringLiteral("aLevel"), QStringLiteral("Levélküldés Bertaloxnak"), none, {}, QStringLiteral("level"));
    connect(aLevel, &QAction::triggered, this, [] {
                OpenDocument(QStringLiteral("mailto:") + QString::fromLatin1(MakerSupportEmail) + QStringLiteral("?subject=Zentavo"));
            });
    aUjdonsag = add(QStringLiteral("aUjdonsag"), QStringLiteral("Újdonságok honlapomon"), none, {}, QStringLiteral("ujdonsag"));
    connect(aUjdonsag, &QAction::triggered, this, [] {
                // The side program is optional here; without it the news page itself is opened.
                if (!StartSideProgram(ProgramPath(QStringLiteral("Ujdonsag"))))
                    OpenDocument(QString::fromLatin1(MakerHomePage) + QStringLiteral("/ujdonsagok"));
            });
    aNevjegy = add(QStringLiteral("aNevjegy"), QStringLiteral("Névjegy"), none, {}, QStringLiteral("nevjegy"));
    connect(aNevjegy, &QAction::triggered, this, Guarded([this] { ShowAbout(this); }));

    aOsszesLatszik = add(QStringLiteral("aOsszesLatszik"), QStringLiteral("Összes látszik"), none, {}, QStringLiteral("cascade"));
    connect(aOsszesLatszik, &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
    aVizszintes = add(QStringLiteral("aVizszintes"), QStringLiteral("Vízszintes elrendezés"), none, {}, QStringLiteral("tileh"));
    connect(aVizszintes, &QAction::triggered, this, [this] { tile(Qt::Horizontal); });
    aFuggoleges = add(QStringLiteral("aFuggoleges"), QStringLiteral("Függőleges elrendezés"), none, {}, QStringLiteral("tilev"));
    connect(aFuggoleges, &QAction::triggered, this, [this] { tile(Qt::Vertical); });

    // Tray menu commands.
    aTrFokepernyo = add(QStringLiteral("aTrFokepernyo"), QStringLiteral("Főképernyő"), none, {}, QStringLiteral("zentavo"));
    connect(aTrFokepernyo, &QAction::triggered, this, Guarded([this] { fromTray(); }));
    aTrGyorslista = add(QStringLiteral("aTrGyorslista"), QStringLiteral("Gyorslista"), none, {}, QStringLiteral("gyorslista"));
    connect(aTrGyorslista, &QAction::triggered, this, Guarded([] {
                if (auto open = QuickListOpener())
                    open();
            }));
    // Ctrl+F in a list is its own quick search (the list holds the key);
    // the menu, the tool bar and the key anywhere else search everything.
    aKeres = add(QStringLiteral("aKeres"), QStringLiteral("Keresés mindenben"), QStringLiteral("Keresés minden adatban"),
                 QKeySequence(QStringLiteral("Ctrl+F")), QStringLiteral("keres"));
    connect(aKeres, &QAction::triggered, this, Guarded([this] { ShowSearchWindow(this); }));
    // A window with a Ctrl+F command of its own (the notes' search) keeps
    // the key while the focus is in it: two owners of one key would leave
    // it doing nothing at all.
    // (The focus also moves while this window is being destroyed: the
    // handler reads no member.)
    connect(qApp, &QApplication::focusChanged, aKeres,
            [self = static_cast<QWidget *>(this), search = QPointer<QAction>(aKeres)](QWidget *, QWidget *now) {
                if (!search)
                    return;
                const QKeySequence key(QStringLiteral("Ctrl+F"));
                bool taken = false;
                for (QWidget *w = now; w && w != self && !taken; w = w->parentWidget())
                    for (QAction *a : w->actions())
                        taken = taken || (a != search && a->isEnabled() && a->shortcut() == key);
                search->setShortcut(taken ? QKeySequence() : key);
            });
    aTrKeres = add(QStringLiteral("aTrKeres"), aKeres->text(), none, {}, QStringLiteral("keres"));
    connect(aTrKeres, &QAction::triggered, this, Guarded([this] {
                fromTray();
                ShowSearchWindow(this);
            }));

    const bool quick = bool(QuickListOpener());
    aGyorsLista->setEnabled(quick);
    aTrGyorslista->setEnabled(quick);
}

void Tfrm_Main::createMenus()
{
    // Mnemonics (Alt+D, Alt+A, Alt+R, Alt+B, Alt+S) and F10 reach the menus
    // from the keyboard; the captions' words stay as they are.
    QMenu *dolgaim = menuBar()->addMenu(QStringLiteral("&Dolgaim"));
    AddActions(dolgaim, openers(MenuGroup::Dolgaim) + QList<QAction *>{nullptr, aGyorsLista, aKeres, nullptr,
                         aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml, nullptr, aBezar});
    QMenu *adatok = menuBar()->addMenu(QStringLiteral("&Adatok"));
    AddActions(adatok, openers(MenuGroup::Adatok));
    QMenu *rendszer = menuBar()->addMenu(QStringLiteral("&Rendszer"));
    AddActions(rendszer, {aFelhasznalo, aSql, nullptr, aBeallit, aVisszaallit});
    m_windowMenu = menuBar()->addMenu(QStringLiteral("A&blak"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &Tfrm_Main::updateWindowMenu);
    updateWindowMenu();
    QMenu *sugo = menuBar()->addMenu(QStringLiteral("&Súgó"));
    AddActions(sugo, {aSugo, aFontos, nullptr, aHonlap, aLevel, aUjdonsag, nullptr, aNevjegy});
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setObjectName(QStringLiteral("scMenuBar"));
    connect(f10, &QShortcut::activated, this, [this, dolgaim] {
        if (menuBar()->isVisible())
            menuBar()->setActiveAction(dolgaim->menuAction());
    });
}

void Tfrm_Main::createToolBars()
{
    QToolBar *small = addToolBar(QStringLiteral("Rendszer"));
    small->setObjectName(QStringLiteral("ToolBarSmall"));
    small->setMovable(false);
    small->setIconSize(QSize(16, 16));
    small->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction *x : {aBeallit, aFelhasznalo, static_cast<QAction *>(nullptr), aSugo, aHonlap, aLevel,
                       aUjdonsag, static_cast<QAction *>(nullptr), aTray, aBezar}) {
        if (x)
            small->addAction(x);
        else
            small->addSeparator();
    }
    addToolBarBreak();
    QToolBar *large = addToolBar(QStringLiteral("Dolgaim"));
    large->setObjectName(QStringLiteral("ToolBarLarge"));
    large->setMovable(false);
    large->setIconSize(QSize(32, 32));
    large->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const QList<QAction *> largeButtons = QList<QAction *>{aGyorsLista, aKeres, nullptr} + openers(MenuGroup::Dolgaim)
                                          + QList<QAction *>{nullptr} + openers(MenuGroup::Adatok)
                                          + QList<QAction *>{nullptr};
    for (QAction *x : largeButtons) {
        if (x)
            large->addAction(x);
        else
            large->addSeparator();
    }
    auto *printMenu = new QMenu(this);
    printMenu->setObjectName(QStringLiteral("NyomtatMenu"));
    AddActions(printMenu, {aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml, nullptr,
                           aAdatlap, aReszletes, nullptr, aEmil});
    auto *printButton = new QToolButton(large);
    printButton->setObjectName(QStringLiteral("NyomtatButton"));
    printButton->setDefaultAction(aNyomtat);
    printButton->setMenu(printMenu);
    printButton->setPopupMode(QToolButton::MenuButtonPopup);
    printButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    printButton->setIconSize(QSize(32, 32));
    large->addWidget(printButton);
}

void Tfrm_Main::createStatusBar()
{
    m_clock = new QLabel(this);
    m_clock->setObjectName(QStringLiteral("ClockPanel"));
    m_clock->setMinimumWidth(70);
    m_clock->setAlignment(Qt::AlignCenter);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("HintPanel"));
    m_panel3 = new QLabel(this);
    m_panel3->setObjectName(QStringLiteral("OverduePanel"));
    m_panel3->setMinimumWidth(120);
    statusBar()->addWidget(m_clock);
    statusBar()->addWidget(m_hint, 1);
    statusBar()->addWidget(m_panel3);
    statusBar()->setSizeGripEnabled(true);
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &Tfrm_Main::tickClock);
    m_clockTimer->start();
}

void Tfrm_Main::tickClock()
{
    m_clock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

bool Tfrm_Main::event(QEvent *e)
{
    // Hints go to the second panel, prefixed by two spaces, instead of
    // replacing the whole status bar.
    if (e->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent *>(e)->tip();
        m_hint->setText(tip.isEmpty() ? QString() : QStringLiteral("  ") + tip);
        return true;
    }
    return QMainWindow::event(e);
}

void Tfrm_Main::createTray()
{
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("TrayMenu"));
    QList<QAction *> trayOpeners;
    for (const KindCommands &k : std::as_const(m_kindCommands))
        if (k.tray)
            trayOpeners.append(k.tray);
    AddActions(m_trayMenu, QList<QAction *>{aTrFokepernyo, aTrGyorslista, aTrKeres, nullptr} + trayOpeners
                               + QList<QAction *>{nullptr, aBezar});
    m_tray = new QSystemTrayIcon(ZIcon(QStringLiteral("zentavo")), this);
    m_tray->setToolTip(QStringLiteral("Zentavo"));
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            RunGuarded([this] { fromTray(); });
    });
}

void Tfrm_Main::toTray()
{
    // Without a system tray the window would be unreachable once hidden:
    // minimise it instead, so the task bar brings it back.
    if (!QSystemTrayIcon::isSystemTrayAvailable() && !testhooks::systemTrayAssumed()) {
        showMinimized();
        return;
    }
    hide();
    m_tray->show();
}

void Tfrm_Main::fromTray()
{
    m_tray->hide();
    showMain();
}

QSize FullScreenClientSize(const QRect &workArea, const QMargins &frame)
{
    return QSize(qMax(1, workArea.right() + 1 - frame.left() - frame.right()),
                 qMax(1, workArea.bottom() + 1 - frame.top() - frame.bottom()));
}

void Tfrm_Main::fitFullScreen()
{
    if (!Beall().FullScreen)
        return;
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The window manager's frame lies around the client area: the whole
    // window, frame included, must stay inside the work area.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(FullScreenClientSize(screen->availableGeometry(), frame));
}

void Tfrm_Main::showMain()
{
    move(0, 0);
    fitFullScreen();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    move(0, 0);
    // The frame is known once the window is mapped; a window manager may
    // report it a moment later still.
    fitFullScreen();
    QTimer::singleShot(0, this, [this] { fitFullScreen(); });
    // Shown after the main window so that it stands above it.
    ShowSplash()->raise();
}

QList<QAction *> Tfrm_Main::openers(MenuGroup group) const
{
    QList<QAction *> list;
    for (const KindCommands &k : m_kindCommands)
        if (k.group == group)
            list.append(k.opener);
    return list;
}

QWidget *Tfrm_Main::openListWindow(int kind)
{
    if (QWidget *open = ListWindowOfKind(kind)) {
        auto *sub = qobject_cast<QMdiSubWindow *>(open->parentWidget());
        // A frame already closed is only waiting to be deleted.
        if (!sub) {
            open->show();
            open->raise();
            return open;
        }
        if (m_mdi->subWindowList().contains(sub)) {
            sub->show();
            m_mdi->setActiveSubWindow(sub);
            sub->raise();
            return open;
        }
    }
    ListWindowFactory factory = ListWindowFactoryOf(kind);
    if (!factory)
        return nullptr;
    QWidget *window = factory(this);
    if (!window)
        return nullptr;
    QMdiSubWindow *sub = addChild(window);
    sub->show();
    // A list window opens wholly inside the window area, its last rows in sight.
    sub->setGeometry(ClampToArea(sub->geometry(), m_mdi->viewport()->rect()));
    m_mdi->setActiveSubWindow(sub);
    return window;
}

QMdiSubWindow *Tfrm_Main::addChild(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = m_mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Every list window is in the window area while it lives, also one that
    // does not enter it by itself.
    if (auto *list = dynamic_cast<ListWindow *>(window)) {
        const int kind = list->childKind();
        EnterWindowArea(kind, window);
        connect(window, &QObject::destroyed, this, [kind, window] { LeaveWindowArea(kind, window); });
    }
    sub->setWindowIcon(window->windowIcon());
    connect(sub, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (m_mdi)
                updateArrangeActions();
        });
    });
    updateArrangeActions();
    return sub;
}

ListWindow *Tfrm_Main::activeListWindow() const
{
    QMdiSubWindow *sub = m_mdi->activeSubWindow();
    if (!sub)
        sub = m_mdi->currentSubWindow();
    return sub ? dynamic_cast<ListWindow *>(sub->widget()) : nullptr;
}

void Tfrm_Main::runListCommand(ListCommand command)
{
    ListWindow *list = activeListWindow();
    // Only a kind some module registered has list commands.
    if (!list || ListKindOf(list->childKind()).kind == 0)
        return;
    if (ListCommandHandler handler = ListCommandHandlerOf(command))
        handler(list, command);
}

void Tfrm_Main::updateArrangeActions()
{
    const bool any = !m_mdi->subWindowList().isEmpty();
    for (QAction *a : {aOsszesLatszik, aVizszintes, aFuggoleges})
        a->setEnabled(any);
}

void Tfrm_Main::updateWindowMenu()
{
    updateArrangeActions();
    m_windowMenu->clear();
    AddActions(m_windowMenu, {aOsszesLatszik, aVizszintes,
                              aFuggoleges});
    const QList<QMdiSubWindow *> subs = m_mdi->subWindowList();
    if (subs.isEmpty())
        return;
    m_windowMenu->addSeparator();
    int n = 0;
    for (QMdiSubWindow *sub : subs) {
        QAction *item = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(++n).arg(sub->windowTitle()));
        item->setCheckable(true);
        item->setChecked(sub == m_mdi->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, sub] { m_mdi->setActiveSubWindow(sub); });
    }
}

void Tfrm_Main::tile(Qt::Orientation orientation)
{
    QList<QMdiSubWindow *> subs;
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->isVisible() && !sub->isMinimized())
            subs << sub;
    if (subs.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(subs.size());
    for (int i = 0; i < n; ++i) {
        subs[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            // One above the other, each the full width.
            const int h = area.height() / n;
            subs[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            subs[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
    }
}

void Tfrm_Main::restoreCopy(const QString &copy)
{
    // The lists hold rows of the database being replaced: they close first.
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty())
        throw zdb::Error(QStringLiteral("A visszaállításhoz előbb zárja be a nyitott ablakokat."));
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == u"frm_GyorsLista" && w->isVisible())
            w->close();
    m_tblFeladat->close();
    m_tblNaptar->close();
    // The state before is kept; the pruning that follows spares the chosen copy.
    MakeRestoreCopy(m_db, CopyCause::Restore, copy);
    if (m_db->isServer()) {
        // The copy's rows go back into the server in one transaction; the
        // other desks' windows hear of it when it commits.
        zdb::Connection file;
        file.defaultExt.clear();
        file.mustExist = true;
        file.setPath(copy);
        zdb::RestoreDatabase(file, *m_db);
        file.close();
        readSettingsRow();
        readOwnerName();
        applyFollowUpSettings();
        return;
    }
    // The file is replaced in one rename, with no connection on it: a kill
    // at any moment leaves the old database or the restored one.
    const QString target = m_db->fullPath();
    m_db->close();
    try {
        zdb::ReplaceDatabaseFile(copy, target);
    } catch (...) {
        RunGuarded([this] { openDatabase(); }, this);
        throw;
    }
    openDatabase();
    readSettingsRow();
    readOwnerName();
    // Counts and feed files come from the restored data now.
    applyFollowUpSettings();
}

void Tfrm_Main::closeEvent(QCloseEvent *e)
{
    // Children close first; a child may refuse (an edit still open).
    m_mdi->closeAllSubWindows();
    if (!m_mdi->subWindowList().isEmpty()) {
        e->ignore();
        return;
    }
    // The quick list is a window of its own: its close releases the shared
    // record sets and stores its bounds before the connection goes.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frm_GyorsLista"))
            w->close();
    writeIni();
    stopFollowUp();
    m_tray->hide();
    // One copy a day to go back to; a failure is said, the close goes on.
    if (m_db->isConnected())
        RunGuarded([this] { MakeDailyCopy(m_db); }, this);
    m_db->close();
    e->accept();
    QApplication::quit();
}
