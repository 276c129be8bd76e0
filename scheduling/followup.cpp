#include "scheduling/followup.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QTime>

namespace {

std::function<QDateTime()> &clockHook()
{
    static std::function<QDateTime()> hook;
    return hook;
}

} // namespace

QDateTime FollowUpNow()
{
    return clockHook() ? clockHook()() : QDateTime::currentDateTime();
}

void SetFollowUpClock(std::function<QDateTime()> clock)
{
    clockHook() = std::move(clock);
}

QList<Reminder> ReminderPlan::take(const QList<ReminderEntry> &entries, const QDateTime &now, int minutesBefore)
{
    QList<Reminder> due;
    if (minutesBefore <= 0)
        return due;
    const QDate today = now.date();
    for (const ReminderEntry &e : entries) {
        if (e.done || e.day != today || e.hour < 0 || e.hour > 23) {
            m_snoozed.remove(e.id);
            continue;
        }
        const QDateTime start(e.day, QTime(e.hour, 0));
        const auto key = qMakePair(e.id, e.day);
        bool remind = false;
        if (const auto s = m_snoozed.constFind(e.id); s != m_snoozed.cend()) {
            if (now >= *s) {
                m_snoozed.erase(s);
                remind = true;
            }
        } else if (!m_given.contains(key) && now >= start.addSecs(-60LL * minutesBefore)) {
            remind = true;
        }
        if (!remind)
            continue;
        m_given.insert(key);
        due << Reminder{e, now >= start};
    }
    return due;
}

void ReminderPlan::snooze(int id, const QDateTime &now)
{
    m_snoozed.insert(id, now.addSecs(60LL * kSnoozeMinutes));
}

QString DueTasksNotice(int overdue, int dueToday)
{
    QStringList parts;
    if (overdue > 0)
        parts << QStringLiteral("%1 lejárt").arg(overdue);
    if (dueToday > 0)
        parts << QStringLiteral("%1 mai határidős").arg(dueToday);
    if (parts.isEmpty())
        return {};
    return parts.join(QStringLiteral(" és ")) + QStringLiteral(" feladat");
}

DueTaskCounts CountDueTasks(zdb::Connection *connection, const QDate &today)
{
    zdb::Query q(connection, QStringLiteral("select sum(case when dat_hatid < :ma then 1 else 0 end) as lejart, "
                                            "sum(case when dat_hatid = :ma then 1 else 0 end) as mai "
                                            "from dolog3 where kesz = 'N' and cast(dat_hatid as varchar(10)) <> ''"));
    q.setParam(QStringLiteral("ma"), today);
    q.open();
    DueTaskCounts counts;
    if (q.recordCount() > 0) {
        counts.overdue = q.valueAt(0, QStringLiteral("lejart")).toInt();
        counts.dueToday = q.valueAt(0, QStringLiteral("mai")).toInt();
    }
    return counts;
}

QList<ReminderEntry> LoadReminderEntries(zdb::Connection *connection, const QDate &day)
{
    zdb::Query q(connection, QStringLiteral("select dolog1, datum, ora, rovid, ugyfel_nev, kesz from dolog1 "
                                            "where datumstr = :nap and ora is not null order by ora, dolog1"));
    q.setParam(QStringLiteral("nap"), day.toString(QStringLiteral("yyyyMMdd")));
    q.open();
    QList<ReminderEntry> entries;
    for (int row = 0; row < q.recordCount(); ++row) {
        ReminderEntry e;
        e.id = q.valueAt(row, 0).toInt();
        e.day = day;
        bool ok = false;
        e.hour = q.valueAt(row, 2).toInt(&ok);
        if (!ok)
            continue;
        e.text = q.textAt(row, 3);
        e.customer = q.textAt(row, 4);
        e.done = q.textAt(row, 5) != QLatin1String("N");
        entries << e;
    }
    return entries;
}

FollowUpService::FollowUpService(zdb::Connection *connection, std::function<int()> minutesBefore, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_minutes(std::move(minutesBefore))
{
    m_timer.setInterval(kCheckInterval);
    connect(&m_timer, &QTimer::timeout, this, &FollowUpService::check);
    m_recount.setSingleShot(true);
    m_recount.setInterval(200);
    connect(&m_recount, &QTimer::timeout, this, &FollowUpService::recount);
    connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, this, [this](const QString &table, const QObject *) {
        const QString t = table.trimmed().toLower();
        if (m_timer.isActive() && (t.isEmpty() || t == u"dolog3"))
            m_recount.start();
    });
}

void FollowUpService::start()
{
    m_timer.start();
    check();
}

void FollowUpService::stop()
{
    m_timer.stop();
    m_recount.stop();
}

void FollowUpService::recount()
{
    if (!m_connection || !m_connection->isConnected())
        return;
    const DueTaskCounts counts = CountDueTasks(m_connection, FollowUpNow().date());
    const bool changed = !m_counted || counts.overdue != m_counts.overdue;
    m_counts = counts;
    m_counted = true;
    if (changed)
        Q_EMIT overdueCountChanged(counts.overdue);
}

void FollowUpService::check()
{
    if (!m_connection || !m_connection->isConnected())
        return;
    const QDateTime now = FollowUpNow();
    // A database that cannot be read now (locked by another program) is
    // tried again at the next look; a timer must not raise error boxes.
    try {
        if (m_noticeDay != now.date()) {
            recount();
            m_noticeDay = now.date();
            const QString text = DueTasksNotice(m_counts.overdue, m_counts.dueToday);
            if (!text.isEmpty())
                Q_EMIT dueTasksNotice(text, m_counts.overdue, m_counts.dueToday);
        }
    } catch (const zdb::Error &) {
        // Counted again at the next look.
    }
    try {
        const int minutes = m_minutes ? m_minutes() : 0;
        if (minutes <= 0)
            return;
        const QList<Reminder> due = m_plan.take(LoadReminderEntries(m_connection, now.date()), now, minutes);
        for (const Reminder &r : due)
            Q_EMIT reminderDue(r);
    } catch (const zdb::Error &) {
        // Read again at the next look.
    }
}

void FollowUpService::snooze(int entryId)
{
    m_plan.snooze(entryId, FollowUpNow());
}
