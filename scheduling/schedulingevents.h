#pragma once

// What the scheduling windows tell each other beyond their data. The task
// list, the calendar window and the quick list share the main window's task
// and calendar record sets; the signal says when the shared calendar day
// moved, so a window can update what it shows beside the grid. Changed rows
// are announced by the data layer (zdb::TableChanges).

#include <QDate>
#include <QObject>
#include <QString>

class SchedulingEvents : public QObject
{
    Q_OBJECT
public:
    static SchedulingEvents *instance();

Q_SIGNALS:
    // CalendarDay is now day and the calendar record set shows that day's
    // entries (already reloaded by whoever changed the day).
    void calendarDayChanged(const QDate &day);

private:
    SchedulingEvents() = default;
};

// The header text of a day: "2026.december.31" (year, full month name, day).
QString CalendarHeaderText(const QDate &day);
namespace zdb {
class RecordSet;
}
// Sets the calendar record set's filter to a day: "datumstr=?" with the
// day's key ("20261231") bound.
void SetCalendarDayFilter(zdb::RecordSet &rs, const QDate &day);

// Makes day the current calendar day: CalendarDay := day, the shared calendar
// record set is closed, filtered to that day and reopened (its order stays),
// then calendarDayChanged is announced. Does nothing to the record set when
// there is none.
void ShowCalendarDay(const QDate &day);
