#include "scheduling/schedulingevents.h"

#include "app/helpers/appcore.h"

#include "db/recordset.h"

SchedulingEvents *SchedulingEvents::instance()
{
    static SchedulingEvents events;
    return &events;
}

QString CalendarHeaderText(const QDate &day)
{
    // The program speaks Hungarian whatever the desktop's language is.
    static const char *const months[] = {"január", "február", "március", "április", "május", "június",
                                         "július", "augusztus", "szeptember", "október", "november", "december"};
    if (!day.isValid())
        return {};
    return QStringLiteral("%1.%2.%3")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(QString::fromUtf8(months[day.month() - 1]))
        .arg(day.day(), 2, 10, QLatin1Char('0'));
}

void SetCalendarDayFilter(zdb::RecordSet &rs, const QDate &day)
{
    rs.setFilter(QStringLiteral("datumstr=?"), {day.toString(QStringLiteral("yyyyMMdd"))});
}

void ShowCalendarDay(const QDate &day)
{
    if (!day.isValid())
        return;
    Beall().CalendarDay = day;
    if (zdb::Table *tbl = Shared().TblNaptar) {
        tbl->close();
        SetCalendarDayFilter(*tbl, day);
        tbl->setFiltered(true);
        tbl->open();
    }
    Q_EMIT SchedulingEvents::instance()->calendarDayChanged(day);
}
