#pragma once

// Delimited text export: a writer that turns a record set into Windows-1250
// lines, usable without any window. The dialog "Határolt szöveg export"
// (app/delimitedexportdialog.h) collects the options and drives it.

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QIODevice;

namespace zdb {
class RecordSet;
}

struct DelimitedOptions
{
    QChar separator = QLatin1Char(';');
    QChar qualifier;          // null: no qualifier ("Semmi")
    bool multiLine = false;   // memo fields as one line joined with "|", else "BLOB"
    QList<int> fields;        // field indexes of the record set, written in this order
};

// Every field of the record set, in field order.
QList<int> AllDelimitedFields(const zdb::RecordSet &rs);

// Builds the lines. A value is the record set's plain text form (null is
// empty). With a qualifier, a qualifier character inside a title or value is
// doubled so that the file reads back as written; without one, values go out
// unchanged, except one holding the separator, CR, LF or a double quote,
// which is enclosed in double quotes with inner ones doubled. Each field is followed by the separator, the last one too, and
// every line ends with CR LF.
class DelimitedWriter
{
public:
    DelimitedWriter(const zdb::RecordSet &rs, const DelimitedOptions &options);

    void appendHeader(QByteArray &out) const;
    void appendRecord(int row, QByteArray &out) const;

private:
    enum class How { Text, Value, Memo, Blob };
    struct Column
    {
        int field;
        How how;
    };

    void appendValue(int row, const Column &c, QByteArray &out, qsizetype &used) const;
    bool breaksField(QStringView text) const;
    void appendField(QStringView text, QByteArray &out, qsizetype &used) const;
    void appendText(QStringView text, QByteArray &out, qsizetype &used, char doubled) const;

    const zdb::RecordSet &m_rs;
    std::vector<Column> m_columns;
    char m_separator;
    char m_qualifier;   // 0: none
};

// Writes the header and the records from the first to the last to `device`.
// `keepGoing(done)` is asked before each record (done = records written so
// far); false ends the export there and the lines so far stay written.
// Bound controls are held meanwhile and the current row is restored after.
// Returns the number of records written; throws zdb::Error on a failing
// record set or device.
int WriteDelimited(zdb::RecordSet &rs, const DelimitedOptions &options, QIODevice &device,
                   const std::function<bool(int done)> &keepGoing = {});
