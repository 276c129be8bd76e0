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

// Spreadsheets write UTF-8 with or without a byte-order mark; everything else
// is taken as Windows-1250. True for a file with the mark, or for valid UTF-8
// holding at least one character above ASCII.
bool IsUtf8Text(const QByteArray &bytes);
// The file's whole text, decoded as above (the mark dropped).
QString DecodeFileText(const QByteArray &bytes);

// The lines of a file's bytes: CR LF, CR or LF ends a line, and a line end at
// the very end of the file makes no empty line. Each line is decoded only
// when asked for, so a big file is held once, as its bytes.
class FileLines
{
public:
    explicit FileLines(QByteArray bytes);
    int count() const { return int(m_starts.size()); }
    QString line(int index) const;
    bool utf8() const { return m_utf8; }

private:
    QByteArray m_bytes;
    bool m_utf8 = false;
    std::vector<qsizetype> m_starts;   // each line's first byte
    std::vector<qsizetype> m_ends;     // one past its last byte, before the line end
};

// Splits a text the same way (for the header line of the text view).
QStringList SplitLines(const QString &text);

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

// One ticked entry per non-empty name of the header line, in header order.
QList<Column> ColumnsFromHeader(const QString &headerLine);

// What stops a load before anything is read: the key entry missing from the
// list, or a ticked name that is no field of the target table. Empty when
// the list is fit to load.
QString CheckColumns(const ImportKind &kind, const QList<Column> &columns);

// ---- the load ------------------------------------------------------------

struct Outcome
{
    int lines = 0;           // lines of the file, the header included
    int inserted = 0;
    int updated = 0;
    QString error;           // empty when every line was loaded
    bool nothingWritten = false; // the error came before the first write, or undid it all
};

// Called before each data line with its index (the header being line 0).
using Progress = std::function<void(int line)>;

// Loads the data lines of `lines` into `target`, an open table record set of
// the kind's table: each line updates the first row (in the record set's
// order, under its filter) whose key field reads exactly as the line's
// untrimmed key value, or adds a row. Only ticked entries with a non-empty
// value are written; every write goes through the record set's before-save
// rule. One savepoint holds the load: when a line fails, the lines before it
// are kept and the error names the line and, where one is at fault, the
// column. The record set is refreshed once at the end, keeping its current
// row where it can.
Outcome Load(zdb::Table &target, const ImportKind &kind, const QList<Column> &columns,
             const FileLines &lines, const Progress &progress = {});

} // namespace csvimport
