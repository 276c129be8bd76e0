#include "masterdata/csvload.h"

#include "masterdata/csvkeyindex.h"

#include "app/helpers/common.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "db/rowwriter.h"

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

namespace {

bool hasUtf8Mark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

} // namespace

bool IsUtf8Text(const QByteArray &bytes)
{
    if (hasUtf8Mark(bytes))
        return true;
    bool above = false;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            above = true;
            break;
        }
    return above && QUtf8StringView(bytes).isValidUtf8();
}

QString DecodeFileText(const QByteArray &bytes)
{
    if (hasUtf8Mark(bytes))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return IsUtf8Text(bytes) ? QString::fromUtf8(bytes) : zdb::fromCp1250(bytes);
}

FileLines::FileLines(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    m_utf8 = IsUtf8Text(m_bytes);
    const char *p = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    qsizetype i = (m_utf8 && hasUtf8Mark(m_bytes)) ? 3 : 0;
    qsizetype start = i;
    while (i < n) {
        const char c = p[i];
        if (c == '\r' || c == '\n') {
            m_starts.push_back(start);
            m_ends.push_back(i);
            i += (c == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) {   // the last line has no line end
        m_starts.push_back(start);
        m_ends.push_back(n);
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

// ---- the column list -----------------------------------------------------

QList<Column> ColumnsFromHeader(const QString &headerLine)
{
    QList<Column> out;
    if (headerLine.isEmpty())
        return out;
    for (int n = 1; n <= kMaxColumns; ++n) {
        const QString name = ExtractToken(QLatin1Char(';'), headerLine, n).toLower().trimmed();
        if (!name.isEmpty())
            out.append(Column{name, n, true});
    }
    return out;
}

namespace {

const Column *keyColumn(const ImportKind &kind, const QList<Column> &columns)
{
    for (const Column &c : columns)
        if (c.name.compare(kind.keyField, Qt::CaseInsensitive) == 0)
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
        if (c.ticked && !decl.find(c.name))
            unknown.append(c.entry());
    // The identifier is the program's own (largest plus one): a file that set
    // it would give two rows the same one and move links between rows.
    for (const Column &c : columns)
        if (c.ticked && c.name.compare(decl.idField, Qt::CaseInsensitive) == 0)
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

QString lineMessage(int line, const QString &column, const QString &what)
{
    const QString where = column.isEmpty()
        ? QStringLiteral("Hiba a(z) %1. sorban").arg(line + 1)
        : QStringLiteral("Hiba a(z) %1. sorban, a(z) [%2] oszlopban").arg(line + 1).arg(column);
    return where + QStringLiteral(": ") + what
        + QStringLiteral("\nAz előző sorok betöltődtek; ez a sor és a további sorok nem.");
}

// The values of a line by their header places (1 on): what ExtractToken
// gives for each, read in one pass; a missing one is empty.
void splitLine(const QString &line, std::vector<QStringView> &tokens)
{
    const QStringView text(line);
    qsizetype start = 0;
    for (size_t n = 1; n < tokens.size(); ++n) {
        if (start > text.size()) {
            tokens[n] = {};
            continue;
        }
        qsizetype end = text.indexOf(QLatin1Char(';'), start);
        if (end < 0)
            end = text.size();
        tokens[n] = text.mid(start, end - start);
        start = end + 1;
    }
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
    if (!target.isOpen() || target.isEditing() || target.tableName().compare(kind.table, Qt::CaseInsensitive) != 0)
        throw zdb::Error(QStringLiteral("A betöltés célja nem a(z) %1 tábla nyitott, böngészett listája.").arg(kind.table));

    zdb::Connection *conn = target.connection();
    const zdb::TableDecl &decl = zdb::CatalogueTable(kind.table);
    const int keyPos = keyColumn(kind, columns)->position;
    const int keyInTarget = target.fieldIndex(kind.keyField);
    if (keyInTarget < 0)
        throw zdb::Error(QStringLiteral("Field '%1' not found").arg(kind.keyField));

    // A row of its own, holding every field of the table, on which the
    // target's before-save rule runs: the list's record set is never put
    // into edit or insert mode, so a failing line cannot leave it there.
    zdb::Table scratch(conn, decl.name);
    zdb::DeclareFields(scratch, decl.name);
    scratch.setFilter(QStringLiteral("0"));
    scratch.setFiltered(true);
    std::function<void(zdb::RecordSet &)> rule = target.beforePost();
    if (!rule)
        rule = [&decl](zdb::RecordSet &rs) { zdb::ApplyBeforeSave(rs, decl); };
    scratch.setBeforePost(rule);
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
            ticked.push_back({scratch.fieldIndex(c.name), c.position});

    // Scratch fields and the list's fields by name: the list may have
    // computed fields of its own.
    std::vector<int> inTarget(static_cast<size_t>(fieldCount));
    for (int f = 0; f < fieldCount; ++f) {
        inTarget[size_t(f)] = target.fieldIndex(decl.fields[f].name);
        if (inTarget[size_t(f)] < 0)
            throw zdb::Error(QStringLiteral("Field '%1' not found").arg(decl.fields[f].name));
    }
    int lastPosition = keyPos;
    for (const Ticked &t : ticked)
        lastPosition = qMax(lastPosition, t.position);

    KeyIndex keys(target, keyInTarget);
    int maxId = idField >= 0 ? zdb::NextIdOn(conn, decl.idField, decl.name) - 1 : 0;

    const QString savepoint = QStringLiteral("zentavo_csv_import");
    // Outside a transaction the savepoint is the transaction itself, and
    // its RELEASE the commit.
    const bool outermost = !conn->inTransaction();
    conn->executeDirect(QStringLiteral("SAVEPOINT ") + savepoint);
    zdb::RowWriter writer(target);
    writer.reserve(lines.count() - 1);
    QVector<QVariant> stored, before(fieldCount), rowValues(target.fieldCount());
    std::vector<bool> clean;
    std::vector<bool> loaded(size_t(fieldCount), false);
    std::vector<bool> fromFile(size_t(fieldCount), false);
    std::vector<QStringView> tokens(size_t(lastPosition) + 1);

    for (int i = 1; i < lines.count(); ++i) {
        if (progress)
            progress(i);
        const QString line = lines.line(i);
        splitLine(line, tokens);
        const QString key = tokens[size_t(keyPos)].toString();
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
                const QString value = TrimLoose(tokens[size_t(t.position)].toString());
                if (value.isEmpty())
                    continue;
                const QVariant v = convertValue(decl.fields[t.field], value);
                if (!v.isValid())
                    continue;
                scratch.setValue(t.field, v);
                fromFile[size_t(t.field)] = true;
            }
            if (idField >= 0) {
                const QVariant id = scratch.value(idField);
                if (needsId(id) && (!existing || loaded[size_t(idField)]))
                    scratch.setValue(idField, ++maxId);   // the largest identifier is read once
                else if (id.typeId() == QMetaType::Int)
                    maxId = qMax(maxId, id.toInt());
            }
            before = scratch.bufferValues();
            if (const auto &rule = scratch.beforePost())
                rule(scratch);
            const QVector<QVariant> &values = scratch.bufferValues();
            quint64 mask = 0;
            for (int f = 0; f < fieldCount; ++f) {
                const int tf = inTarget[size_t(f)];
                rowValues[tf] = values[f];
                const bool ruleChanged = values[f] != before[f] && (!existing || loaded[size_t(f)]);
                // A value the row already holds is not written again: its
                // indexes need no upkeep.
                const bool same = existing && loaded[size_t(f)] && values[f] == stored[tf];
                if ((fromFile[size_t(f)] || ruleChanged) && !same)
                    mask |= quint64(1) << tf;
            }
            if (existing) {
                writer.update(row, rowValues, mask);
                ++out.updated;
                const QString newKey = target.textAt(row, keyInTarget);
                if (newKey != key)
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
            out.error = lineMessage(i, e.column, e.message);
            break;
        } catch (const zdb::Error &e) {
            scratch.cancel();
            out.error = lineMessage(i, QString(), e.message());
            break;
        } catch (const std::exception &e) {
            // Even an unforeseen failure ends the savepoint below.
            scratch.cancel();
            out.error = lineMessage(i, QString(), QString::fromLocal8Bit(e.what()));
            break;
        }
    }

    bool kept = true;
    try {
        conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
    } catch (const zdb::Error &e) {
        // What could not be kept is undone whole. A refused commit (another
        // program reading) leaves the transaction open: only a rollback ends
        // it, or every later post would land in it and be lost.
        try {
            if (outermost) {
                conn->executeDirect(QStringLiteral("ROLLBACK"));
            } else {
                conn->executeDirect(QStringLiteral("ROLLBACK TO ") + savepoint);
                conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
            }
        } catch (const zdb::Error &) {
        }
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
