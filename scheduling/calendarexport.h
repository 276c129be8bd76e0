#pragma once

// "Naptár export (.ics)...": asks for a period and a file, then writes the
// calendar entries and the tasks with a deadline of that period as an
// iCalendar file. Shared by the calendar window and the task list.

#include <QDate>

class QWidget;

// The period first offered runs from `from` to `to`. True when a file was written.
bool ExportCalendarWithPrompts(const QDate &from, const QDate &to, QWidget *parent = nullptr);
