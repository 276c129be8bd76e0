#pragma once

// Follow-up: the reminders of today's calendar entries and the notice of
// tasks due today or overdue. The clock is replaceable so that tests can run
// a day in a moment.

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>

namespace zdb {
class Connection;
}

// The time the follow-up goes by; the system clock unless a test set another.
QDateTime FollowUpNow();
// An empty function gives the system clock back.
void SetFollowUpClock(std::function<QDateTime()> clock);

struct ReminderEntry
{
    int id = 0;            // `dolog1`
    QDate day;
    int hour = -1;         // -1: no hour (never reminded)
    QString text;          // `rovid`
    QString customer;      // `ugyfel_nev`
    bool done = false;
};

struct Reminder
{
    ReminderEntry entry;
    bool late = false;     // given after the entry's hour had come
};

// Which entries to remind and when: `minutesBefore` before the entry's hour,
// once per entry and day, at once (and marked late) when that moment passed
// unnoticed, again after a snooze, never for a done entry or with 0 minutes.
class ReminderPlan
{
public:
    static constexpr int kSnoozeMinutes = 5;

    // The reminders due at `now` among the entries; those returned count as given.
    QList<Reminder> take(const QList<ReminderEntry> &entries, const QDateTime &now, int minutesBefore);
    // "Később": the entry comes back kSnoozeMinutes after `now`.
    void snooze(int id, const QDateTime &now);

private:
    QSet<QPair<int, QDate>> m_given;
    QHash<int, QDateTime> m_snoozed;
};

// The notice text of the open tasks due today and overdue:
// "3 lejárt és 2 mai határidős feladat"; empty when there are none.
QString DueTasksNotice(int overdue, int dueToday);

struct DueTaskCounts
{
    int overdue = 0;
    int dueToday = 0;
};
// The open tasks whose deadline is before `today`, and on it.
DueTaskCounts CountDueTasks(zdb::Connection *connection, const QDate &today);
// Today's entries with an hour.
QList<ReminderEntry> LoadReminderEntries(zdb::Connection *connection, const QDate &day);

// Runs the follow-up on the user-interface thread: checks every
// kCheckInterval ms (and at once when started), announces the reminders due,
// the due-tasks notice at start and when the day changes, and the overdue
// count whenever it may have changed.
class FollowUpService : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCheckInterval = 15000;

    FollowUpService(zdb::Connection *connection, std::function<int()> minutesBefore, QObject *parent = nullptr);

    void start();
    void stop();
    // One look at the clock (the timer runs this).
    void check();
    void snooze(int entryId);
    // The overdue count, recounted now.
    void recount();
    int overdueCount() const { return m_counts.overdue; }

Q_SIGNALS:
    void reminderDue(const Reminder &reminder);
    void dueTasksNotice(const QString &text, int overdue, int dueToday);
    void overdueCountChanged(int overdue);

private:
    zdb::Connection *m_connection;
    std::function<int()> m_minutes;
    ReminderPlan m_plan;
    QTimer m_timer;
    QTimer m_recount;
    QDate m_noticeDay;
    DueTaskCounts m_counts;
    bool m_counted = false;
};
