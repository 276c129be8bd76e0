#include "masterdata/csvload.h"

#include "masterdata/csvkeyindex.h"

#include "app/helpers/common.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

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

// A prepared statement, finalized with its owner.
struct Statement
{
    sqlite3_stmt *stmt = nullptr;
    Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement()
    {
        if (stmt)
            sqlite3_finalize(stmt);
    }
};

// Tells a line's failure apart from the data layer's own errors.
struct LineError
{
    QString column;
    QString message;
};

// Writes rows of one table with statements prepared once.
class RowWriter
{
public:
    RowWriter(zdb::Connection *connection, const zdb::TableDecl &decl)
        : m_conn(connection)
        , m_decl(decl)
    {
        QStringList names, marks;
        for (const zdb::FieldDef &f : decl.fields) {
            names.append(f.name);
            marks.append(QStringLiteral("?"));
        }
        prepare(m_insert, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(decl.name, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        prepare(m_select, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(names.join(QLatin1Char(',')), decl.name));
    }

    // The stored cells of a row as texts (a null cell as a null string); false
    // when the row is gone.
    bool read(qint64 rowid, QList<QString> &cells)
    {
        sqlite3_stmt *s = m_select.stmt;
        sqlite3_reset(s);
        sqlite3_bind_int64(s, 1, rowid);
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE)
            return false;
        if (rc != SQLITE_ROW)
            fail();
        cells.clear();
        for (int i = 0; i < int(m_decl.fields.size()); ++i) {
            if (sqlite3_column_type(s, i) == SQLITE_NULL) {
                cells.append(QString());
                continue;
            }
            const char *text = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
            const QString value = m_conn->decode(text, sqlite3_column_bytes(s, i));
            cells.append(value.isNull() ? QString(QLatin1String("")) : value);
        }
        sqlite3_reset(s);
        return true;
    }

    qint64 insert(const QList<QVariant> &values)
    {
        sqlite3_stmt *s = m_insert.stmt;
        sqlite3_reset(s);
        for (int i = 0; i < int(m_decl.fields.size()); ++i)
            bind(s, i + 1, m_decl.fields[i], values.value(i));
        run(s);
        return sqlite3_last_insert_rowid(m_conn->handle());
    }

    // Writes the fields whose bit is set in `mask`.
    void update(qint64 rowid, quint64 mask, const QList<QVariant> &values)
    {
        std::unique_ptr<Statement> &slot = m_updates[mask];
        if (!slot) {
            slot = std::make_unique<Statement>();
            QStringList pairs;
            for (int i = 0; i < int(m_decl.fields.size()); ++i)
                if (mask & (quint64(1) << i))
                    pairs.append(m_decl.fields[i].name + QStringLiteral(" = ?"));
            prepare(*slot, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(m_decl.name, pairs.join(QLatin1Char(','))));
        }
        sqlite3_stmt *s = slot->stmt;
        sqlite3_reset(s);
        int at = 1;
        for (int i = 0; i < int(m_decl.fields.size()); ++i)
            if (mask & (quint64(1) << i))
                bind(s, at++, m_decl.fields[i], values.value(i));
        sqlite3_bind_int64(s, at, rowid);
        run(s);
    }

private:
    void prepare(Statement &st, const QString &sql)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_conn->handle(), text.constData(), int(text.size()), &st.stmt, nullptr) != SQLITE_OK)
            fail();
    }

    void bind(sqlite3_stmt *s, int at, const zdb::FieldDef &f, const QVariant &v)
    {
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(s, at);
            return;
        }
        switch (f.kind) {
        case zdb::FieldKind::Integer:
            sqlite3_bind_int(s, at, v.toInt());
            return;
        case zdb::FieldKind::Float:
            sqlite3_bind_double(s, at, v.toDouble());
            return;
        case zdb::FieldKind::Date: {
            const QByteArray b = zdb::dateToSql(v.toDate()).toLatin1();
            sqlite3_bind_text(s, at, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            return;
        }
        default: {
            const QByteArray b = m_conn->encode(v.toString());
            sqlite3_bind_text(s, at, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            return;
        }
        }
    }

    void run(sqlite3_stmt *s)
    {
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE)
            fail();
    }

    [[noreturn]] void fail() { throw zdb::Error(m_conn->lastErrorMessage()); }

    zdb::Connection *m_conn;
    const zdb::TableDecl &m_decl;
    Statement m_insert;
    Statement m_select;
    std::unordered_map<quint64, std::unique_ptr<Statement>> m_updates;
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
    const int keyField = scratch.fieldIndex(kind.keyField);

    struct Ticked
    {
        int field;
        int position;
    };
    std::vector<Ticked> ticked;
    for (const Column &c : columns)
        if (c.ticked)
            ticked.push_back({scratch.fieldIndex(c.name), c.position});

    KeyIndex keys(target, keyInTarget);
    int maxId = idField >= 0 ? zdb::NextIdOn(conn, decl.idField, decl.name) - 1 : 0;
    // The stored text of a key as the record set will read it back.
    auto storedKey = [&](const QVariant &v) {
        const QString text = v.isValid() ? (v.typeId() == QMetaType::Int ? QString::number(v.toInt()) : v.toString())
                                         : QString();
        const QByteArray bytes = conn->encode(text);
        return conn->decode(bytes.constData(), bytes.size());
    };

    const QString savepoint = QStringLiteral("zentavo_csv_import");
    conn->executeDirect(QStringLiteral("SAVEPOINT ") + savepoint);
    RowWriter writer(conn, decl);
    QList<QString> stored;
    QList<QVariant> values;
    std::vector<bool> loaded(size_t(fieldCount), false);
    std::vector<bool> fromFile(size_t(fieldCount), false);

    for (int i = 1; i < lines.count(); ++i) {
        if (progress)
            progress(i);
        const QString line = lines.line(i);
        const QString key = ExtractToken(QLatin1Char(';'), line, keyPos);
        const int ord = keys.find(key);
        const qint64 rowid = ord >= 0 ? keys.rowid(ord) : 0;
        try {
            scratch.insert();
            std::fill(loaded.begin(), loaded.end(), false);
            std::fill(fromFile.begin(), fromFile.end(), false);
            bool existing = false;
            if (ord >= 0 && writer.read(rowid, stored)) {
                existing = true;
                for (int f = 0; f < fieldCount; ++f) {
                    // A cell another program filled with what the field cannot
                    // hold stays as it is unless the file overwrites it.
                    try {
                        scratch.setValue(decl.fields[f].name, stored[f]);
                        loaded[size_t(f)] = true;
                    } catch (const zdb::Error &) {
                    }
                }
            }
            for (const Ticked &t : ticked) {
                const QString value = TrimLoose(ExtractToken(QLatin1Char(';'), line, t.position));
                if (value.isEmpty())
                    continue;
                const QVariant v = convertValue(decl.fields[t.field], value);
                if (!v.isValid())
                    continue;
                scratch.setValue(decl.fields[t.field].name, v);
                fromFile[size_t(t.field)] = true;
            }
            if (idField >= 0) {
                const QVariant id = scratch.value(idField);
                if (needsId(id) && (!existing || loaded[size_t(idField)]))
                    scratch.setValue(decl.idField, ++maxId);   // the largest identifier is read once
                else if (id.typeId() == QMetaType::Int)
                    maxId = qMax(maxId, id.toInt());
            }
            QList<QVariant> before;
            for (int f = 0; f < fieldCount; ++f)
                before.append(scratch.value(f));
            if (const auto &rule = scratch.beforePost())
                rule(scratch);
            values.clear();
            quint64 mask = 0;
            for (int f = 0; f < fieldCount; ++f) {
                values.append(scratch.value(f));
                const bool ruleChanged = values[f] != before[f] && (!existing || loaded[size_t(f)]);
                if (fromFile[size_t(f)] || ruleChanged)
                    mask |= quint64(1) << f;
            }
            const QString newKey = storedKey(values.value(keyField));
            if (existing) {
                if (mask)
                    writer.update(rowid, mask, values);
                ++out.updated;
                if (newKey != key)
                    keys.rekey(ord, key, newKey);
            } else {
                const qint64 newRow = writer.insert(values);
                keys.addNew(newKey, newRow);
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

    try {
        conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
    } catch (const zdb::Error &e) {
        // What could not be kept is undone whole.
        try {
            conn->executeDirect(QStringLiteral("ROLLBACK TO ") + savepoint);
            conn->executeDirect(QStringLiteral("RELEASE ") + savepoint);
        } catch (const zdb::Error &) {
        }
        out.error = QStringLiteral("Az adatok nem menthetők: %1\nSemmi nem töltődött be.").arg(e.message());
        out.nothingWritten = true;
        out.inserted = out.updated = 0;
    }

    if (!out.nothingWritten) {
        const zdb::RecordSet::Bookmark mark = target.bookmark();
        target.refresh();
        if (mark)
            target.gotoBookmark(mark);
        zdb::TableChanges::notify(decl.name, &target);
    }
    return out;
}

} // namespace csvimport
