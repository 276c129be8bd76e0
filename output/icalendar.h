#pragma once

// iCalendar files (RFC 5545) of the calendar entries and tasks: entries with
// an hour become one-hour events, entries without one all-day events, tasks
// with a deadline to-do items. Each item's UID comes from its table and
// identifier, so a calendar program that reads a newer file updates the items
// it already has instead of adding them again. UTF-8, CR LF, lines folded at
// 75 octets, text values escaped.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

class QIODevice;

namespace zdb {
class Connection;
}

struct IcsItem
{
    enum class Kind { Event, Todo };
    Kind kind = Kind::Event;
    QString uid;
    QDate date;            // the event's day, the to-do's due day; invalid: not written
    int hour = -1;         // events: 0..23 a timed event, anything else all-day
    QString summary;
    QString description;
    int priority = 0;      // the program's 0..3
    bool done = false;
    QDate completed;       // invalid: no completion date written
    int status = 0;        // tasks: the program's status 0..3
};

// A text value with backslash, semicolon, comma and line breaks escaped.
QByteArray IcsEscape(QStringView text);
// Appends one content line, folded so that no line is longer than 75 octets
// (never inside a UTF-8 sequence), each physical line ending in CR LF.
void IcsAppendLine(QByteArray &out, const QByteArray &line);

class IcsWriter
{
public:
    // `stamp` is the DTSTAMP of every item (the time of writing, in UTC).
    explicit IcsWriter(const QDateTime &stamp = QDateTime::currentDateTimeUtc());
    void begin(QByteArray &out) const;
    // An item without a date is left out; false then.
    bool append(QByteArray &out, const IcsItem &item) const;
    void end(QByteArray &out) const;

private:
    QByteArray m_stamp;
};

// The iCalendar priority (1 highest .. 9 lowest, 0 undefined) of the
// program's priority 0..3.
int IcsPriority(int fontos);

struct IcsCounts
{
    int events = 0;
    int todos = 0;
};

// Writes the calendar entries dated within [from, to] and the tasks whose
// deadline lies within it (an invalid bound leaves that side open) from the
// database to `device`. Throws zdb::Error on a database or device failure.
IcsCounts WriteCalendarFile(zdb::Connection *connection, const QDate &from, const QDate &to, QIODevice &device);
