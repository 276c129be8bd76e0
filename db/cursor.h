#pragma once

// A statement's result rows, read one at a time, whatever engine runs the
// statement. Cells come as the engine's text of the value, in the
// connection's encoding, so the record sets store them the same way from a
// file as from a server.

#include <QByteArray>
#include <QString>

namespace zdb {

class Cursor
{
public:
    virtual ~Cursor() = default;
    virtual int columnCount() const = 0;
    virtual QByteArray columnName(int column) const = 0;   // encoded
    // "integer", "date", "varchar(n)", ... as a table column declares it;
    // empty for a computed column.
    virtual QString declaredType(int column) const = 0;
    // Moves to the next row; false after the last. Throws Error.
    virtual bool next() = 0;
    virtual bool isNull(int column) const = 0;
    // The cell's bytes (a blob's as they are), valid until the next call of next().
    virtual const char *data(int column) const = 0;
    virtual qsizetype size(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
};

} // namespace zdb
