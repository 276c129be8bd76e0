#pragma once

// The task and calendar records that the scheduling windows share: field
// declarations, the rules run before saving, the generated description
// `genszoveg`, the status/done coupling and the list pictures.

#include <QPixmap>
#include <QString>

class QVariant;

namespace zdb {
class RecordSet;
class Table;
}

enum TaskStatus { StatusReceived = 0, StatusInProgress = 1, StatusDone = 2, StatusRejected = 3 };

// Declares the fields, the before-save rule and the calculated field.
void SetUpTaskRecordSet(zdb::Table *tbl);
void SetUpCalendarRecordSet(zdb::Table *tbl);

// The generated descriptions of a loaded row (the edit buffer for the row
// being edited).
QString TaskGeneratedText(const zdb::RecordSet &rs, int row);
QString CalendarGeneratedText(const zdb::RecordSet &rs, int row);

// The pieces of the generated texts, shared with the related views of
// customers, products and projects: a line ending in CR LF, a date as
// "yyyy.mm.dd" (an empty date is day 0 of the date type) and the "elkészült"
// line.
QString GenTextLine(const QString &text);
QString GenTextDate(const QVariant &v);
QString GenTextDoneLine(const QVariant &kesz);

// "Beérkezett", "Folyamatban", "Kész", "Visszautasítva"; empty for others.
QString TaskStatusName(int status);

// The status commands: set `statusz` and the coupled `kesz`, then post.
void SetTaskStatus(zdb::Table *tbl, int status);
// "Kész!": an open task becomes done with `doneStatus` (2 in the task list,
// 3 in the quick list) and today's date; a done one opens again (status 1).
void ToggleTaskDone(zdb::Table *tbl, int doneStatus);
// "Kész!" of a calendar entry.
void ToggleCalendarDone(zdb::Table *tbl);

// "N" is the only value that means open.
inline bool IsDoneFlag(const QString &kesz) { return kesz != QLatin1String("N"); }

// List pictures (16 px) and the editors' priority pictures (32 px).
QPixmap PriorityPicture(int fontos, int size = 16);
QPixmap StatusPicture(int statusz, int size = 16);
QPixmap DonePicture(const QString &kesz, int size = 16);
