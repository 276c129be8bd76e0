// The main window's part of the follow-up: reminders and the due-tasks
// notice shown through the tray or the reminder window, the overdue count in
// the status bar and the tray hint, and the feed folder.

#include "app/mainwindow.h"

#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"
#include "output/feedfolder.h"
#include "scheduling/followup.h"
#include "scheduling/quicklist.h"
#include "scheduling/reminderpopup.h"

#include "db/connection.h"

#include <QLabel>
#include <QSystemTrayIcon>

void Tfrm_Main::startFollowUp()
{
    if (m_followUp)
        return;
    m_followUp = new FollowUpService(m_db, [] { return Beall().ReminderMinutes; }, this);
    connect(m_followUp, &FollowUpService::reminderDue, this, &Tfrm_Main::presentReminder);
    connect(m_followUp, &FollowUpService::dueTasksNotice, this,
            [this](const QString &text, int, int) { presentNotice(text); });
    connect(m_followUp, &FollowUpService::overdueCountChanged, this, &Tfrm_Main::showOverdueCount);

    m_feed = new FeedFolder(m_db, this);
    // A folder that cannot be written is told once, not after every change.
    connect(m_feed, &FeedFolder::failed, this, [this](const QString &message) {
        static QString told;
        if (message != told) {
            told = message;
            ShowWarning(message, this);
        }
    });
    connect(m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
        if (m_trayMessageOpen)
            RunGuarded(m_trayMessageOpen, this);
    });
    m_feed->setFolder(Beall().FeedDir);
    m_followUp->start();
}

void Tfrm_Main::applyFollowUpSettings()
{
    if (m_feed)
        m_feed->setFolder(Beall().FeedDir);
    if (m_followUp) {
        RunGuarded([this] { m_followUp->recount(); }, this);
        m_followUp->check();
    }
}

void Tfrm_Main::stopFollowUp()
{
    if (m_followUp)
        m_followUp->stop();
    if (m_feed)
        m_feed->writePending();
    if (m_reminderWindow)
        m_reminderWindow->hide();
}

Tfrm_Emlekezteto *Tfrm_Main::ensureReminderWindow()
{
    if (m_reminderWindow)
        return m_reminderWindow;
    // A window of its own (no parent): it stays usable while the main window is in the tray.
    m_reminderWindow = new Tfrm_Emlekezteto;
    connect(this, &QObject::destroyed, m_reminderWindow, &QObject::deleteLater);
    connect(m_reminderWindow, &Tfrm_Emlekezteto::openEntry, this,
            [this](int id, const QDate &day) { RunGuarded([&] { EditCalendarEntryOfDay(id, day); }, this); });
    connect(m_reminderWindow, &Tfrm_Emlekezteto::snoozed, this, [this](int id) {
        if (m_followUp)
            m_followUp->snooze(id);
    });
    connect(m_reminderWindow, &Tfrm_Emlekezteto::openDueTasks, this, [this] {
        RunGuarded([] {
            if (Tfrm_GyorsLista *quick = OpenQuickList())
                quick->showPage(Tfrm_GyorsLista::TaskPage);
        }, this);
    });
    return m_reminderWindow;
}

void Tfrm_Main::presentReminder(const Reminder &reminder)
{
    // Hidden in the tray, the program speaks through the tray's message;
    // a click on it brings the reminder window with its buttons.
    if (m_tray->isVisible() && QSystemTrayIcon::supportsMessages()) {
        m_trayMessageOpen = [this, reminder] { ensureReminderWindow()->addReminder(reminder); };
        m_tray->showMessage(reminder.late ? QStringLiteral("Elmúlt bejegyzés") : QStringLiteral("Emlékeztető"),
                            Tfrm_Emlekezteto::ReminderText(reminder), QSystemTrayIcon::Information, 30000);
        return;
    }
    ensureReminderWindow()->addReminder(reminder);
}

void Tfrm_Main::presentNotice(const QString &text)
{
    if (m_tray->isVisible() && QSystemTrayIcon::supportsMessages()) {
        m_trayMessageOpen = [] {
            if (Tfrm_GyorsLista *quick = OpenQuickList())
                quick->showPage(Tfrm_GyorsLista::TaskPage);
        };
        m_tray->showMessage(QStringLiteral("Határidős feladatok"), text, QSystemTrayIcon::Information, 30000);
        return;
    }
    ensureReminderWindow()->addNotice(text);
}

void Tfrm_Main::showOverdueCount(int overdue)
{
    const QString text = overdue > 0 ? QStringLiteral("%1 lejárt feladat").arg(overdue) : QString();
    m_panel3->setText(text);
    m_tray->setToolTip(text.isEmpty() ? QStringLiteral("Zentavo") : QStringLiteral("Zentavo – ") + text);
}
