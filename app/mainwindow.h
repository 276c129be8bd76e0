#pragma once

#include <QMainWindow>

#include <QList>

#include <functional>

#include "app/helpers/listwindow.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class FeedFolder;
class FollowUpService;
class Tfrm_Emlekezteto;
struct Reminder;

namespace zdb {
class Connection;
class Table;
}

// The main window: a frame for the list windows, the owner of the database
// connection, the shared record sets and the settings of the running program.
class Tfrm_Main : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tfrm_Main(QWidget *parent = nullptr);
    ~Tfrm_Main() override;

    // The start sequence; false means the program must end.
    bool startUp();
    // Shows the window the way every showing does: splash, top left, full screen.
    void showMain();

    QMdiArea *mdiArea() const { return m_mdi; }
    QLabel *clockPanel() const { return m_clock; }
    QLabel *hintPanel() const { return m_hint; }
    QSystemTrayIcon *trayIcon() const { return m_tray; }

    // Opens (or brings to the front) the list window of a kind.
    QWidget *openListWindow(int kind);
    // The active list window, or nullptr.
    ListWindow *activeListWindow() const;
    // Wraps a list window into a child of the frame; it is destroyed when closed.
    QMdiSubWindow *addChild(QWidget *window);

    void writeIni();

    // Reminders, the due-tasks notice, the overdue count and the feed
    // folder; started once the window is shown.
    void startFollowUp();
    // Takes over changed reminder and feed settings.
    void applyFollowUpSettings();
    // Stops the checks and writes what the feed still owes.
    void stopFollowUp();
    FollowUpService *followUp() const { return m_followUp; }
    FeedFolder *feedFolder() const { return m_feed; }
    // The reminder window, created with the first reminder shown in it.
    Tfrm_Emlekezteto *reminderWindow() const { return m_reminderWindow; }
    QLabel *overduePanel() const { return m_panel3; }

    // Commands, by their object names.
    // The list windows' opening commands and their tray twins are made from
    // the registered kinds (aNaptar, aTrNaptar, ...); find them by name.
    QAction *aGyorsLista = nullptr, *aNyomtat = nullptr, *aNyomtatKep = nullptr;
    QAction *aExcelbe = nullptr, *aHtml = nullptr, *aAdatlap = nullptr, *aReszletes = nullptr, *aEmil = nullptr, *aTray = nullptr;
    QAction *aBezar = nullptr, *aFelhasznalo = nullptr, *aSql = nullptr;
    QAction *aVisszaallit = nullptr;
    QAction *aKeres = nullptr, *aTrKeres = nullptr;
    QAction *aBeallit = nullptr, *aSugo = nullptr, *aFontos = nullptr, *aHonlap = nullptr, *aLevel = nullptr, *aUjdonsag = nullptr;
    QAction *aNevjegy = nullptr, *aOsszesLatszik = nullptr, *aVizszintes = nullptr, *aFuggoleges = nullptr, *aTrFokepernyo = nullptr, *aTrGyorslista = nullptr;

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void createTray();
    void readIni();
    void fitFullScreen();
    void openDatabase();
    bool readLoginSwitch();
    bool hasNoSettingsTable();
    void readSettingsRow();
    void readOwnerName();
    // Puts a restore copy in place of the database (a copy of it taken first).
    void restoreCopy(const QString &copy);
    void runListCommand(ListCommand command);
    void toTray();
    void fromTray();
    void updateWindowMenu();
    void updateArrangeActions();
    void tile(Qt::Orientation orientation);
    void tickClock();
    Tfrm_Emlekezteto *ensureReminderWindow();
    void presentReminder(const Reminder &reminder);
    void presentNotice(const QString &text);
    void showOverdueCount(int overdue);
    // The opening commands of a menu group, in their places.
    QList<QAction *> openers(MenuGroup group) const;
    QAction *add(const QString &name, const QString &caption, const QString &hint,
                 const QKeySequence &key, const QString &icon);

    struct KindCommands
    {
        MenuGroup group;
        QAction *opener;
        QAction *tray;
    };
    QList<KindCommands> m_kindCommands;
    QMdiArea *m_mdi = nullptr;
    QLabel *m_clock = nullptr;
    QLabel *m_hint = nullptr;
    QLabel *m_panel3 = nullptr;
    QTimer *m_clockTimer = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_trayMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    zdb::Connection *m_db = nullptr;
    zdb::Table *m_tblFeladat = nullptr;
    zdb::Table *m_tblNaptar = nullptr;
    zdb::Table *m_tblBeallit = nullptr;
    zdb::Table *m_tblTulajdonos = nullptr;
    bool m_iniWritten = false;
    FollowUpService *m_followUp = nullptr;
    FeedFolder *m_feed = nullptr;
    Tfrm_Emlekezteto *m_reminderWindow = nullptr;
    // What the last tray message told, shown in the reminder window when clicked.
    std::function<void()> m_trayMessageOpen;
};

// The client size of a full-screen main window: the window with its frame
// fills the work area from the screen's top left corner.
QSize FullScreenClientSize(const QRect &workArea, const QMargins &frame);

// Home page and support address of the maker.
extern const char *const MakerHomePage;
extern const char *const MakerSupportEmail;
