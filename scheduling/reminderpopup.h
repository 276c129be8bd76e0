#pragma once

// "Emlékeztető": the program's own small window for a reminder or for the
// due-tasks notice, standing above the other windows. Reminders that come
// while one is shown wait their turn.

#include "scheduling/followup.h"

#include <QList>
#include <QWidget>

class QAction;
class QLabel;
class QPushButton;

class Tfrm_Emlekezteto : public QWidget
{
    Q_OBJECT
public:
    explicit Tfrm_Emlekezteto(QWidget *parent = nullptr);

    // Queues a reminder (shown at once when nothing else is).
    void addReminder(const Reminder &reminder);
    // Queues the due-tasks notice; "Megnyit" then opens the quick list.
    void addNotice(const QString &text);

    int waiting() const { return int(m_queue.size()); }
    QLabel *textLabel() const { return m_text; }
    QString shownText() const;
    bool showingReminder() const { return m_current.isReminder; }
    int shownEntryId() const { return m_current.reminder.entry.id; }

    // The text of a reminder: "10:00  Ügyféllátogatás" with the customer
    // on the next line, and a late one marked.
    static QString ReminderText(const Reminder &reminder);

    QAction *aMegnyit = nullptr;
    QAction *aKesobb = nullptr;
    QAction *aBezar = nullptr;

Q_SIGNALS:
    void openEntry(int entryId, const QDate &day);
    void openDueTasks();
    void snoozed(int entryId);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Item
    {
        bool isReminder = false;
        Reminder reminder;
        QString text;
    };
    void showNext();
    void present(const Item &item);

    QList<Item> m_queue;
    Item m_current;
    bool m_showing = false;
    QLabel *m_title = nullptr;
    QLabel *m_text = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_later = nullptr;
};

// Opens the calendar entry `id` of `day` in its editor, through the shared
// calendar record set; reports an entry that is gone.
void EditCalendarEntryOfDay(int id, const QDate &day);
