#include "masterdata/csvload.h"

#include "masterdata/csvkeyindex.h"

#include "app/helpers/core/common.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/rowwriter.h"
#include "app/helpers/core/textfile.h"

#include <QStringDecoder>

#include <algorithm>

namespace csvimport {

const ImportKind &CustomerImport()
{
    static const ImportKind k{QStringLiteral("ugyfel"), QStringLiteral("ugyfelkod"),
                              QStringLiteral("Ügyfél adatok betöltése"),
                              QStringLiteral("Az adatbázis nem tartalmaz ügyfélkódot"),
                              QStringLiteral("frm_UgyfelBetolt")};
    return k;
}

const ImportKind &ProductImport()
{
    static const ImportKind k{QStringLiteral("termek"), QStringLiteral("cikkszam"),
                              QStringLiteral("Termék adatok betöltése"),
                              QStringLiteral("Az adatbázis nem tartalmaz cikkszámot"),
                              QStringLiteral("frm_TermekBetolt")};
    return k;
}

const ImportKind &ProjectImport()
{
    static const ImportKind k{QStringLiteral("projekt"), QStringLiteral("projekt_kod"),
                              QStringLiteral("Projekt adatok betöltése"),
                              QStringLiteral("Az adatbázis nem tartalmaz projektkódot"),
                              QStringLiteral("frm_ProjektBetolt")};
    return k;
}

// ---- the file ------------------------------------------------------------

bool IsUtf8Text(const QByteArray &bytes)
{
    return DetectTextEncoding(bytes).kind == TextEncoding::Utf8;
}

QString DecodeFileText(const QByteArray &bytes)
{
    return DecodeTextFile(bytes);
}

namespace {

// Walks records the way SplitValues reads values: a quote opens a quoted
// value only where a value begins.
template <typename Char>
struct RecordScanner
{
    bool inQuotes = false;
    bool atValueStart = true;
    int line = 1;   // the file line reached

    // Returns true when `c` (at i) ends the record; `i` is moved past a
    // CR LF pair and past a doubled quote.
    bool step(const Char *p, qsizetype n, qsizetype &i)
    {
        const Char c = p[i];
        if (c == Char('\r') || c == Char('\n')) {
            if (c == Char('\r') && i + 1 < n && p[i + 1] == Char('\n'))
                ++i;
            ++line;
            if (inQuotes)
                return false;
            atValueStart = true;
            return true;
        }
        if (inQuotes) {
            if (c == Char('"')) {
                if (i + 1 < n && p[i + 1] == Char('"'))
                    ++i;
                else
                    inQuotes = false;
            }
            return false;
        }
        if (c == Char('"') && atValueStart) {
            inQuotes = true;
            atValueStart = false;
        } else {
            atValueStart = c == Char(';');
        }
        return false;
    }
};

} // namespace

FileLines::FileLines(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    const TextEncoding e = DetectTextEncoding(m_bytes);
    qsizetype i = e.markSize;
    if (e.kind == TextEncoding::Utf16LE || e.kind == TextEncoding::Utf16BE) {
        // Held as UTF-8 from here on: the quote, separator and line ends are
        // single bytes there, as in the other encodings.
        QStringDecoder utf16(e.kind == TextEncoding::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        m_bytes = QString(utf16(QByteArrayView(m_bytes).sliced(e.markSize))).toUtf8();
        m_utf8 = true;
        i = 0;
    } else if (e.kind == TextEncoding::Utf8) {
        m_utf8 = true;
        if (e.badLine) {
            m_error = BadUtf8Message(e.badLine);
            return;
        }
    }
    const char *p = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    RecordScanner<char> scan;
    qsizetype start = i;
    int startLine = 1;
    for (; i < n; ++i) {
        const qsizetype at = i;
        if (scan.step(p, n, i)) {
            m_starts.push_back(start);
            m_ends.push_back(at);
            m_lines.push_back(startLine);
            start = i + 1;
            startLine = scan.line;
        }
    }
    if (start < n) {   // the last record has no line end
        m_starts.push_back(start);
        m_ends.push_back(n);
        m_lines.push_back(startLine);
        if (scan.inQuotes)
            m_unclosed = count() - 1;
    }
}

QString FileLines::line(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const char *p = m_bytes.constData() + m_starts[size_t(index)];
    const qsizetype len = m_ends[size_t(index)] - m_starts[size_t(index)];
    return m_utf8 ? QString::fromUtf8(p, len) : zdb::fromCp1250(p, len);
}

int FileLines::lineNumber(int index) const
{
    return index >= 0 && index < count() ? m_lines[size_t(index)] : 0;
}

QStringList SplitLines(const QString &text)
{
    QStringList out;
    qsizetype start = 0, i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out.append(text.mid(start, i - start));
            i += (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        out.append(text.mid(start));
    return out;
}

qsizetype FirstRecordEnd(QStringView text)
{
    RecordScanner<char16_t> scan;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype at = i;
        if (scan.step(p, n, i))
            return at;
    }
    return scan.inQuotes ? -1 : n;
}

QStringList SplitValues(QStringView record)
{
    QStringList out;
    if (!record.contains(QLatin1Char('"'))) {
        // The common case: every ";" separates.
        for (QStringView v : record.tokenize(QLatin1Char(';')))
            out.append(v.toString());
        return out;
    }
    const qsizetype n = record.size();
    qsizetype i = 0;
    while (true) {
        QString value;
        if (i < n && record[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (record[i] == QLatin1Char('"')) {
                    if (i + 1 < n && record[i + 1] == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;   // the closing quote
                    break;
                }
                value += record[i++];
            }
        }
        const qsizetype sep = record.indexOf(QLatin1Char(';'), i);
        const qsizetype end = sep < 0 ? n : sep;
        value += record.mid(i, end - i);
        out.append(value);
        if (sep < 0)
            break;
        i = sep + 1;
    }
    return out;
}

// ---- the column list -----------------------------------------------------

QList<Column> ColumnsFromHeader(const QString &headerLine)
{
    QList<Column> out;
    if (headerLine.isEmpty())
        return out;
    const QStringList names = SplitValues(headerLine);
    for (int n = 1; n <= kMaxColumns && n <= names.size(); ++n) {
        const QString name = names[n - 1].toLower().trimmed();
        if (!name.isEmpty())
            out.append(Column{name, n, true});
    }
    return out;
}

const zdb::FieldDef *FieldOfColumn(const zdb::TableDecl &decl, const QString &name)
{
    if (const zdb::FieldDef *f = decl.find(name))
        return f;
    for (const zdb::FieldDef &f : decl.fields)
        if (!f.title.isEmpty() && f.title.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

namespace {

const Column *keyColumn(const ImportKind &kind, const QList<Column> &columns)
{
    const zdb::TableDecl &decl = zdb::CatalogueTable(kind.table);
    for (const Column &c : columns)
        if (const zdb::FieldDef *f = FieldOfColumn(decl, c.name); f && f->name.compare(kind.keyField, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

} // namespace

QString CheckColumns(const ImportKind &kind, const QList<Column> &columns)
{
    if (!keyColumn(kind, columns))
        return kind.missingKey;
    const zdb::TableDecl &decl = zdb::CatalogueTable(kind.table);
    QStringList unknown;
    for (const Column &c : columns)
        if (c.ticked && !FieldOfColumn(decl, c.name))
            unknown.append(c.entry());
    // The identifier is the program's own (largest plus one): a file that set
    // it would give two rows the same one and move links between rows.
    for (const Column &c : columns)
        if (c.ticked && FieldOfColumn(decl, c.name) && FieldOfColumn(decl, c.name)->name.compare(decl.idField, Qt::CaseInsensitive) == 0)
            return QStringLiteral("A(z) %1 oszlop a sorok azonosítója, a program adja; nem tölthető be.\n"
                                  "Vegye ki a jelölést erről az oszlopról. Semmi nem töltődött be.")
                .arg(c.entry());
    if (unknown.isEmpty())
        return {};
    return QStringLiteral("A(z) %1 tábla nem tartalmaz ilyen mezőt: %2\n"
                          "Vegye ki a jelölést ezekről az oszlopokról, vagy javítsa a fejlécet. "
                          "Semmi nem töltődött be.")
        .arg(kind.table, unknown.join(QStringLiteral(", ")));
}

// ---- the load ------------------------------------------------------------

namespace {

// Tells a line's failure apart from the data layer's own errors.
struct LineError
{
    QString column;
    QString message;
};

// An identifier is given when it is empty or 0, as the before-save rule does.
bool needsId(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    if (v.typeId() == QMetaType::Int)
        return v.toInt() == 0;
    return v.toString().trimmed().isEmpty();
}

// The value a ticked, non-empty file value gives a field of `kind`; an
// invalid QVariant for kinds the import does not write.
QVariant convertValue(const zdb::FieldDef &f, const QString &value)
{
    switch (f.kind) {
    case zdb::FieldKind::Text:
    case zdb::FieldKind::Memo:
    case zdb::FieldKind::WideText:
        return value;
    case zdb::FieldKind::Integer:
        return ParseIntLoose(value);
    case zdb::FieldKind::Float:
    case zdb::FieldKind::Currency:
        return ParseFloatLoose(value);
    case zdb::FieldKind::Date:
        try {
            return zdb::parseStoredDate(value.toUtf8());
        } catch (const zdb::Error &) {
            throw LineError{f.name, QStringLiteral("„%1” nem olvasható dátumként (éééé.hh.nn. vagy éééé-hh-nn)").arg(value)};
        }
    default:
        return {};
    }
}

// `line` is the file line (from 1) the record begins on.
QString lineMessage(int line, const QString &column, const QString &what)
{
    const QString where = column.isEmpty()
        ? QStringLiteral("Hiba a(z) %1. sorban").arg(line)
        : QStringLiteral("Hiba a(z) %1. sorban, a(z) [%2] oszlopban").arg(line).arg(column);
    return where + QStringLiteral(": ") + what
        + QStringLiteral("\nAz előző sorok betöltődtek; ez a sor és a további sorok nem.");
}

// The key a row is found by. A key of whole numbers is compared as a number
// (the list shows 123 as 00123, a spreadsheet may keep a space before it),
// so the file's and the row's texts are both read as one.
QString numericKey(const QString &text)
{
    QString digits = text.trimmed();
    digits.remove(QLatin1Char(' '));
    bool ok = false;
    const qlonglong n = digits.toLongLong(&ok);
    return ok ? QString::number(n) : text.trimmed();
}

} // namespace

Outcome Load(zdb::Table &target, const ImportKind &kind, const QList<Column> &columns, const FileLines &lines,
             const Progress &progress)
{
    Outcome out;
    out.lines = lines.count();
    out.nothingWritten = true;
    out.error = CheckColumns(kind, columns);
    if (!out.error.isEmpty())
        return out;
    if (!lines.error().isEmpty()) {
        out.error = lines.error() + QStringLiteral("\nSemmi nem töltődött be.");
        return out;
    }
    if (!target.isOpen() || target.isEditing() || target.tableName().compare(kind.table, Qt::CaseInsensitive) != 0)
        throw zdb::Error(QStringLiteral("A betöltés célja nem a(z) %1 tábla nyitott, böngészett listája.").arg(kind.table));

    zdb::Connection *conn = target.connection();
    const zdb::TableDecl &decl = zdb::CatalogueTable(kind.table);
    const int keyPos = keyColumn(kind, columns)->position;
    const int keyInTarget = target.fieldIndex(kind.keyField);
    if (keyInTarget < 0)
        throw zdb::Error(QStringLiteral("Field '%1' not found").arg(kind.keyField));
    const zdb::FieldDef *keyDef = decl.find(kind.keyField);
    const bool numericKeys = keyDef && keyDef->kind == zdb::FieldKind::Integer;

    // A row of its own, holding every field of the table, on which the
    // target's before-save rule runs: the list's record set is never put
    // into edit or insert mode, so a failing line cannot leave it there.
    zdb::Table scratch(conn, decl.name);
    zdb::DeclareFields(scratch, decl.name);
    scratch.setFilter(QStringLiteral("1=0"));
    scratch.setFiltered(true);
    scratch.setBeforePost(target.beforePost());
    scratch.open();
    const int fieldCount = int(decl.fields.size());
    const int idField = decl.idField.isEmpty() ? -1 : scratch.fieldIndex(decl.idField);

    struct Ticked
    {
        int field;
        int position;
    };
    std::vector<Ticked> ticked;
    for (const Column &c : columns)
        if (c.ticked)
            ticked.push_back({scratch.fieldIndex(FieldOfColumn(decl, c.name)->name), c.position});

    // Scratch fields and the list's fields by name: the list may have
    // computed fields of its own.
    std::vector<int> inTarget(static_cast<size_t>(fieldCount));
    for (int f = 0; f < fieldCount; ++f) {
        inTarget[size_t(f)] = target.fieldIndex(decl.fields[f].name);
        if (inTarget[size_t(f)] < 0)
            throw zdb::Error(QStringLiteral("Field '%1' not found").arg(decl.fields[f].name));
    }
    // A record may hold as many values as the file's header, or as the
    // column list reads, whichever is more.
    qsizetype headerValues = lines.count() > 0 ? SplitValues(lines.line(0)).size() : 0;
    for (const Column &c : columns)
        headerValues = qMax<qsizetype>(headerValues, c.position);

    KeyIndex keys(target, keyInTarget, numericKeys ? numericKey : KeyIndex::Normalise());
    const QString savepoint = QStringLiteral("zentavo_csv_import");
    // Outside a transaction the load opens its own, committed after the
    // savepoint's RELEASE.
    const bool outermost = !conn->inTransaction();
    // The write lock is taken before the largest identifier is read, so a
    // desk adding rows meanwhile cannot be given the same identifiers.
    if (outermost)
        conn->executeDirect(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        conn->executeDirect(QStringLiteral("SAVEPOINT ") + savepoint);
    } catch (...) {
        if (outermost)
            conn->executeDirect(QStringLiteral("ROLLBACK"));
        throw;
    }
    // Whatever leaves this function before the savepoint is released (an
    // exception from the writer, the progress callback, the list) undoes
    // the load and ends the savepoint: no later save may land inside a
    // transaction nobody commits.
    struct Settle
    {
        zdb::Connection *conn;
        const QString &savepoint;
        bool outermost;
        bool settled = false;
        void rollBack()
        {
            settled = true;
            try {
                if (outermost) {
                    conn->executeDirect(QStringLiteral("ROLLBACK"));
                } else {
                    conn->executeDirect(QStringLiteral("ROLLBACK TO ") + savepoint);
                    conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
                }
            } catch (const zdb::Error &) {
            }
        }
        ~Settle()
        {
            if (!settled)
                rollBack();
        }
    } settle{conn, savepoint, outermost};

    int maxId = idField >= 0 ? zdb::NextIdOn(conn, decl.idField, decl.name) - 1 : 0;

    zdb::RowWriter writer(target);
    writer.reserve(lines.count() - 1);
    QVector<QVariant> stored, before(fieldCount), rowValues(target.fieldCount());
    std::vector<bool> clean;
    std::vector<bool> loaded(size_t(fieldCount), false);
    std::vector<bool> fromFile(size_t(fieldCount), false);
    const QString empty;

    try {
    for (int i = 1; i < lines.count(); ++i) {
        if (progress)
            progress(i);
        const int lineNo = lines.lineNumber(i);
        if (i == lines.unclosedRecord()) {
            out.error = lineMessage(lineNo, QString(),
                                    QStringLiteral("az idézőjellel kezdődő érték nincs lezárva (a file végéig tart)"));
            break;
        }
        const QStringList values = SplitValues(lines.line(i));
        bool blank = true;
        for (const QString &v : values)
            if (!TrimLoose(v).isEmpty()) {
                blank = false;
                break;
            }
        if (blank)
            continue;   // an empty line, or one of separators only
        qsizetype used = values.size();
        while (used > headerValues && TrimLoose(values[used - 1]).isEmpty())
            --used;   // empty values after the last column hold nothing
        if (used > headerValues) {
            out.error = lineMessage(lineNo, QString(),
                                    QStringLiteral("a sorban %1 érték van, a fejlécben csak %2; "
                                                   "egy határolójel vagy idézőjel hiányzik vagy fölösleges.")
                                        .arg(used)
                                        .arg(headerValues));
            break;
        }
        const auto valueAt = [&values, &empty](int position) -> const QString & {
            return position >= 1 && position <= values.size() ? values[position - 1] : empty;
        };
        const QString &key = valueAt(keyPos);
        const int row = keys.find(key);   // the list's row: added rows follow the loaded ones
        const bool existing = row >= 0;
        try {
            scratch.insert();
            std::fill(loaded.begin(), loaded.end(), false);
            std::fill(fromFile.begin(), fromFile.end(), false);
            if (existing) {
                writer.read(row, stored, clean);
                for (int f = 0; f < fieldCount; ++f) {
                    // A cell another program filled with what the field cannot
                    // hold stays as it is unless the file overwrites it.
                    const int tf = inTarget[size_t(f)];
                    loaded[size_t(f)] = clean[size_t(tf)];
                    before[f] = loaded[size_t(f)] ? stored[tf] : QVariant();
                }
                scratch.setValues(before);
            }
            for (const Ticked &t : ticked) {
                const QString value = TrimLoose(valueAt(t.position));
                if (value.isEmpty())
                    continue;
                const QVariant v = convertValue(decl.fields[t.field], value);
                if (!v.isValid())
                    continue;
                scratch.setValue(t.field, v);
                fromFile[size_t(t.field)] = true;
            }
            bool idGiven = false;
            if (idField >= 0) {
                const QVariant id = scratch.value(idField);
                if (needsId(id) && (!existing || loaded[size_t(idField)])) {
                    scratch.setValue(idField, ++maxId);   // the largest identifier is read once
                    idGiven = true;
                } else if (id.typeId() == QMetaType::Int) {
                    maxId = qMax(maxId, id.toInt());
                }
            }
            before = scratch.bufferValues();
            scratch.runBeforeSave();
            const QVector<QVariant> &result = scratch.bufferValues();
            quint64 mask = 0;
            for (int f = 0; f < fieldCount; ++f) {
                const int tf = inTarget[size_t(f)];
                rowValues[tf] = result[f];
                const bool ruleChanged = result[f] != before[f] && (!existing || loaded[size_t(f)]);
                // A value the row already holds is not written again: its
                // indexes need no upkeep.
                const bool same = existing && loaded[size_t(f)] && result[f] == stored[tf];
                if ((fromFile[size_t(f)] || ruleChanged || (f == idField && idGiven)) && !same)
                    mask |= quint64(1) << tf;
            }
            if (existing) {
                writer.update(row, rowValues, mask);
                ++out.updated;
                const QString newKey = target.textAt(row, keyInTarget);
                keys.rekey(row, key, newKey);
            } else {
                const int added = writer.append(rowValues);
                keys.addNew(target.textAt(added, keyInTarget));
                ++out.inserted;
            }
            scratch.cancel();
            out.nothingWritten = false;
        } catch (const LineError &e) {
            scratch.cancel();
            out.error = lineMessage(lineNo, e.column, e.message);
            break;
        } catch (const zdb::Error &e) {
            scratch.cancel();
            out.error = lineMessage(lineNo, QString(), e.message());
            break;
        } catch (const std::exception &e) {
            scratch.cancel();
            out.error = lineMessage(lineNo, QString(), QString::fromLocal8Bit(e.what()));
            break;
        }
    }
    } catch (...) {
        // Not a line's fault (the progress callback, the list itself): the
        // load is undone whole and the list read again before it goes on.
        settle.rollBack();
        if (!out.nothingWritten) {
            try {
                target.refresh();
            } catch (...) {
            }
            zdb::TableChanges::notify(decl.name, &target);
        }
        throw;
    }

    bool kept = true;
    try {
        conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
        if (outermost)
            conn->executeDirect(QStringLiteral("COMMIT"));
        settle.settled = true;
    } catch (const zdb::Error &e) {
        // What could not be kept is undone whole. A refused commit (another
        // program reading) leaves the transaction open: only a rollback ends
        // it, or every later post would land in it and be lost.
        settle.rollBack();
        kept = false;
        out.error = QStringLiteral("Az adatok nem menthetők: %1\nSemmi nem töltődött be.").arg(e.message());
    }

    if (!out.nothingWritten) {
        if (kept) {
            writer.finish();
        } else {
            // The list took rows the database gave back: read it again.
            out.nothingWritten = true;
            out.inserted = out.updated = 0;
            const zdb::RecordSet::Bookmark mark = target.bookmark();
            target.refresh();
            if (mark)
                target.gotoBookmark(mark);
        }
        zdb::TableChanges::notify(decl.name, &target);
    }
    return out;
}

} // namespace csvimport
