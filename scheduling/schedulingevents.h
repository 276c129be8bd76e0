#pragma once

// What the scheduling windows tell each other. The task list, the calendar
// window and the quick list share the main window's task and calendar record
// sets; these signals say when the shared calendar day moved or tasks were
// changed by a command, so a window can update what it shows beside the grid.

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
    // A command of a window changed, added or deleted tasks.
    void tasksChanged();

private:
    SchedulingEvents() = default;
};

// The header text of a day: "2026.december.31" (year, full month name, day).
QString CalendarHeaderText(const QDate &day);
// The calendar record set's filter for a day: "datumstr=20261231".
QString CalendarDayFilter(const QDate &day);

// Makes day the current calendar day: CalendarDay := day, the shared calendar
// record set is closed, filtered to that day and reopened (its order stays),
// then calendarDayChanged is announced. Does nothing to the record set when
// there is none.
void ShowCalendarDay(const QDate &day);
