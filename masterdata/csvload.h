#pragma once

// Loading customers, products and projects from semicolon-separated files:
// the file's encoding and lines, the column list built from its header, and
// the load itself. No widgets here (the data layer and the widget-free
// helpers only), so headless tools and fuzzers drive the very same code as
// the import dialog.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zdb {
class Table;
struct FieldDef;
struct TableDecl;
}

namespace csvimport {

// What differs between the three imports.
struct ImportKind
{
    QString table;           // the target table
    QString keyField;        // the code a line is matched by
    QString caption;         // the dialog's caption
    QString missingKey;      // shown when the column list lacks the key entry
    QString formName;        // where the dialog remembers its position
};
const ImportKind &CustomerImport();
const ImportKind &ProductImport();
const ImportKind &ProjectImport();

// ---- the file ------------------------------------------------------------

// Spreadsheets write UTF-8 with or without a byte-order mark, and some UTF-16
// with its mark; everything else is taken as Windows-1250 (the shared text
// file rule, app/helpers/textfile.h). True for a file read as UTF-8.
bool IsUtf8Text(const QByteArray &bytes);
// The file's whole text, decoded as above (the mark dropped). Broken UTF-8
// throws zdb::Error naming the line.
QString DecodeFileText(const QByteArray &bytes);

// The largest file the import reads: far more customers than any office
// keeps, small enough to show in the dialog.
constexpr qint64 kMaxImportFile = 256 * 1024 * 1024;

// The records of a file's bytes. CR LF, CR or LF ends a record, except inside
// a quoted value: a value that begins with a double quote runs to the closing
// one, and separators and line breaks inside it belong to the value. A line
// end at the very end of the file makes no empty record. Each record is
// decoded only when asked for, so a big file is held once, as its bytes.
class FileLines
{
public:
    explicit FileLines(QByteArray bytes);
    int count() const { return int(m_starts.size()); }
    // The record's text, quotes and inner line breaks as in the file.
    QString line(int index) const;
    // The file line (from 1) the record begins on, as the text view numbers it.
    int lineNumber(int index) const;
    // The record whose quoted value is never closed (it runs to the end of
    // the file); -1 when every quote is closed.
    int unclosedRecord() const { return m_unclosed; }
    bool utf8() const { return m_utf8; }
    // Why the file cannot be read (broken UTF-8); empty when it can.
    const QString &error() const { return m_error; }

private:
    QByteArray m_bytes;
    bool m_utf8 = false;
    int m_unclosed = -1;
    QString m_error;
    std::vector<qsizetype> m_starts;   // each record's first byte
    std::vector<qsizetype> m_ends;     // one past its last byte, before the line end
    std::vector<int> m_lines;          // the file line each record begins on
};

// Splits a text into lines, CR LF, CR or LF each ending one (for the text view).
QStringList SplitLines(const QString &text);

// Where the first record of a text ends (the index of its line end, or the
// text's size when it has none), quoted line breaks being part of it; -1
// when a quoted value is still open at the end of the text.
qsizetype FirstRecordEnd(QStringView text);

// The values of one record, split on ";": a value that begins with a double
// quote runs to the closing one, "" inside standing for one quote, and any
// text after the closing quote is added as it stands. A record without
// quotes splits exactly on every ";".
QStringList SplitValues(QStringView record);

// ---- the column list -----------------------------------------------------

// Only the first 50 header positions are looked at.
constexpr int kMaxColumns = 50;

struct Column
{
    QString name;            // trimmed, lower case
    int position = 0;        // its place in the header, from 1: the value it reads
    bool ticked = true;

    QString entry() const { return QLatin1Char('[') + name + QLatin1Char(']'); }
};

// One ticked entry per non-empty name of the header record, in header order
// (the names unquoted as values are).
QList<Column> ColumnsFromHeader(const QString &headerLine);

// The field a header name loads into: the field of that name, else the one
// whose column title it is (the program's own export heads its columns with
// the titles the lists show); null when neither.
const zdb::FieldDef *FieldOfColumn(const zdb::TableDecl &decl, const QString &name);

// What stops a load before anything is read: the key entry missing from the
// list, or a ticked name that is no field of the target table. Empty when
// the list is fit to load.
QString CheckColumns(const ImportKind &kind, const QList<Column> &columns);

// ---- the load ------------------------------------------------------------

struct Outcome
{
    int lines = 0;           // records of the file, the header included
    int inserted = 0;
    int updated = 0;
    QString error;           // empty when every line was loaded
    bool nothingWritten = false; // the error came before the first write, or undid it all
};

// Called before each data line with its index (the header being line 0).
using Progress = std::function<void(int line)>;

// Loads the data records of `lines` into `target`, an open table record set
// of the kind's table: each record updates the first row (in the record
// set's order, under its filter) whose key field reads exactly as the
// record's untrimmed key value (for a key of whole numbers: the same number,
// so 00123 finds 123), or adds a row. A record whose values are all empty is
// skipped; one with more values than the header stops the load there. Only ticked entries with a non-empty
// value are written; every write goes through the record set's before-save
// rule. One savepoint holds the load: when a line fails, the lines before it
// are kept and the error names the line and, where one is at fault, the
// column. The record set is refreshed once at the end, keeping its current
// row where it can.
Outcome Load(zdb::Table &target, const ImportKind &kind, const QList<Column> &columns,
             const FileLines &lines, const Progress &progress = {});

} // namespace csvimport
