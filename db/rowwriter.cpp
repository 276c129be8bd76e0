#include "db/rowwriter.h"

#include "db/connection.h"
#include "db/cursor.h"
#include "db/recordset_p.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace zdb {

namespace {

// A number as SQLite compares it: the text of an INTEGER or REAL cell.
bool numberOf(const CellRef &c, double &out)
{
    if (c.size == 0 || c.size > 40)
        return false;
    char buf[48];
    std::memcpy(buf, c.data, size_t(c.size));
    buf[c.size] = '\0';
    char *end = nullptr;
    out = std::strtod(buf, &end);
    return end == buf + c.size && std::isfinite(out) && buf[0] != ' ';
}

// SQLite's order of two cells of a column: NULL first, then numbers, then
// texts by their bytes (the tables declare no other collation).
int compareCells(const CellRef &a, const CellRef &b, bool numeric)
{
    if (a.null || b.null)
        return a.null == b.null ? 0 : (a.null ? -1 : 1);
    if (numeric) {
        double x = 0, y = 0;
        const bool nx = numberOf(a, x), ny = numberOf(b, y);
        if (nx && ny)
            return x < y ? -1 : (x > y ? 1 : 0);
        if (nx != ny)
            return nx ? -1 : 1;
    }
    const int c = std::memcmp(a.data, b.data, size_t(std::min(a.size, b.size)));
    if (c != 0)
        return c;
    return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
}

} // namespace

struct RowWriter::Impl
{
    Table &target;
    RecordSet::Impl &rs;
    Connection *conn;
    int idField = -1;                  // the identifier, matched as well as the rowid
    Statement insert;
    std::unordered_map<quint64, std::unique_ptr<Statement>> updates;
    std::vector<char> moved;           // per row: its place in the order may have changed
    quint64 orderMask = 0;
    struct OrderKey
    {
        int slot;
        bool numeric;
    };
    std::vector<OrderKey> order;
    bool inMemory = true;              // the order can be kept without a reload
    bool dirty = false;
    std::vector<QByteArray> bytes;
    std::vector<CellRef> cells;
    std::vector<char> blockCopy;

    Impl(Table &t)
        : target(t)
        , rs(*t.d)
        , conn(t.connection())
    {
    }

    [[noreturn]] void fail() { throw Error(conn->lastErrorMessage()); }

    void prepare(Statement &st, const QString &sql)
    {
        const QByteArray text = conn->encode(sql);
        if (sqlite3_prepare_v2(conn->handle(), text.constData(), int(text.size()), st.out(), nullptr) != SQLITE_OK)
            fail();
    }

    // Binds field `field` from the composed cells (the encoded bytes live
    // until the statement ran).
    void bind(sqlite3_stmt *s, int at, int field, const QVariant &v)
    {
        const CellRef &c = cells[size_t(rs.slotOfField(field))];
        if (c.null)
            sqlite3_bind_null(s, at);
        else if (rs.fields[field].kind == FieldKind::Integer)
            sqlite3_bind_int(s, at, v.toInt());
        else
            sqlite3_bind_text(s, at, c.data, int(c.size), SQLITE_STATIC);
    }

    // A server takes the statement text with its values each time; the
    // composed cells give them as a prepared statement would bind them.
    QVariant serverValue(int field, const QVariant &v) const
    {
        const CellRef &c = cells[size_t(rs.slotOfField(field))];
        if (c.null)
            return QVariant();
        if (rs.fields[field].kind == FieldKind::Integer)
            return QVariant(v.toInt());
        return QVariant(QByteArray(c.data, c.size));
    }
    std::unordered_map<quint64, QString> serverUpdates;
    QString serverInsert;

    void run(sqlite3_stmt *s)
    {
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE)
            fail();
    }

    // The cells of row `row`'s new block: the fields in `mask` from
    // `values`, each encoded once, the rest as they were (all from `values`
    // for a new row).
    void compose(const Row &row, const QVector<QVariant> &values, quint64 mask)
    {
        const int slotCount = rs.slotCount;
        bytes.resize(size_t(slotCount));
        cells.assign(size_t(slotCount) + 1, CellRef());
        for (int f = 0; f < rs.fields.size(); ++f) {
            const int slot = rs.slotOfField(f);
            if (slot < 0)
                continue;
            CellRef &c = cells[size_t(slot)];
            if (row.cells && !(mask & (quint64(1) << f))) {
                c = cellOf(row, slot, slotCount);
                continue;
            }
            QByteArray &b = bytes[size_t(slot)];
            if (!cellBytes(rs.fields[f].kind, values.value(f), rs.encoding, b))
                continue;
            c.null = false;
            c.data = b.constData();
            c.size = b.size();
        }
    }

    // The composed cells become the row's block.
    void place(Row &row)
    {
        const int slotCount = rs.slotCount;
        const size_t size = rowBlockSize(cells.data(), slotCount);
        if (row.cells && size <= rowBlockSize(row.cells, slotCount)) {
            // Fits where the old values were: the arena does not grow.
            blockCopy.resize(size);
            writeRowBlock(blockCopy.data(), cells.data(), slotCount);
            std::memcpy(row.cells, blockCopy.data(), size);
        } else {
            row.cells = buildRowBlock(rs.arena, cells.data(), slotCount);
        }
    }

    int compare(const Row &a, const Row &b) const
    {
        for (const OrderKey &k : order) {
            const int c = compareCells(cellOf(a, k.slot, rs.slotCount), cellOf(b, k.slot, rs.slotCount), k.numeric);
            if (c != 0)
                return c;
        }
        return a.key < b.key ? -1 : (a.key > b.key ? 1 : 0);
    }

    // The order text as fields, ascending; false when it is anything else.
    bool parseOrder()
    {
        const QString text = target.order().trimmed();
        if (text.isEmpty())
            return true;
        for (QString part : text.split(QLatin1Char(','))) {
            part = part.trimmed();
            if (part.endsWith(QLatin1String(" asc"), Qt::CaseInsensitive))
                part = part.chopped(4).trimmed();
            const int f = target.fieldIndex(part);
            const int slot = rs.slotOfField(f);
            if (slot < 0)
                return false;
            const FieldKind kind = rs.fields[f].kind;
            order.push_back({slot, kind == FieldKind::Integer || kind == FieldKind::Float || kind == FieldKind::Currency});
            orderMask |= quint64(1) << f;
        }
        return true;
    }
};

RowWriter::RowWriter(Table &target)
    : d(std::make_unique<Impl>(target))
{
    if (!target.isOpen() || target.isEditing() || !d->conn || !d->conn->isConnected())
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (target.fieldCount() > 64)
        throw Error(QStringLiteral("Too many fields"));
    d->idField = target.identifierField();
    d->inMemory = !(target.filtered() && !target.filter().trimmed().isEmpty()) && d->parseOrder();
    d->moved.assign(size_t(target.recordCount()), 0);
}

RowWriter::~RowWriter() = default;

void RowWriter::read(int row, QVector<QVariant> &values, std::vector<bool> &clean) const
{
    const Row &r = d->rs.rows[size_t(row)];
    const int n = int(d->rs.fields.size());
    values.resize(n);
    clean.assign(size_t(n), true);
    for (int f = 0; f < n; ++f) {
        const int slot = d->rs.slotOfField(f);
        if (slot < 0) {
            values[f] = QVariant();
            continue;
        }
        values[f] = d->rs.storedValue(r, f);
        if (d->rs.fields[f].kind == FieldKind::Integer) {
            const CellRef c = cellOf(r, slot, d->rs.slotCount);
            int v = 0;
            clean[size_t(f)] = c.null || readInt(c.data, c.size, v);
        }
    }
}

void RowWriter::update(int row, const QVector<QVariant> &values, quint64 mask)
{
    if (!mask)
        return;
    Row &r = d->rs.rows[size_t(row)];
    const bool server = d->conn->isServer();
    std::unique_ptr<Statement> &slot = d->updates[mask];
    if (!slot) {
        slot = std::make_unique<Statement>();
        QStringList pairs;
        for (int f = 0; f < d->rs.fields.size(); ++f)
            if (mask & (quint64(1) << f))
                pairs.append(d->rs.fields[f].name + QStringLiteral(" = ?"));
        QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(d->target.tableName(), pairs.join(QLatin1Char(',')));
        if (d->rs.slotOfField(d->idField) >= 0)
            sql += QStringLiteral(" AND CAST(%1 AS TEXT) IS ?").arg(d->rs.fields[d->idField].name);
        if (server)
            d->serverUpdates[mask] = sql;
        else
            d->prepare(*slot, sql);
    }
    d->compose(r, values, mask);
    if (server) {
        BoundSql bound{d->serverUpdates[mask], {}, {}};
        for (int f = 0; f < d->rs.fields.size(); ++f)
            if (mask & (quint64(1) << f))
                bound.values.append(d->serverValue(f, values.value(f)));
        bound.values.append(QVariant(qlonglong(r.key)));
        const int idSlot = d->rs.slotOfField(d->idField);
        if (idSlot >= 0) {
            const CellRef id = cellOf(r, idSlot, d->rs.slotCount);
            bound.values.append(id.null ? QVariant() : QVariant(QByteArray(id.data, id.size)));
        }
        d->conn->execute(bound);
    } else {
        sqlite3_stmt *s = slot->get();
        int at = 1;
        for (int f = 0; f < d->rs.fields.size(); ++f)
            if (mask & (quint64(1) << f))
                d->bind(s, at++, f, values.value(f));
        sqlite3_bind_int64(s, at++, r.key);
        const int idSlot = d->rs.slotOfField(d->idField);
        if (idSlot >= 0) {
            const CellRef id = cellOf(r, idSlot, d->rs.slotCount);
            if (id.null)
                sqlite3_bind_null(s, at);
            else
                sqlite3_bind_text(s, at, id.data, int(id.size), SQLITE_TRANSIENT);
        }
        d->run(s);
    }
    checkRowChanged(d->conn);
    d->place(r);
    d->dirty = true;
    if (mask & d->orderMask)
        d->moved[size_t(row)] = 1;
}

int RowWriter::append(const QVector<QVariant> &values)
{
    const bool server = d->conn->isServer();
    if (!d->insert.get() && (!server || d->serverInsert.isEmpty())) {
        QStringList names, marks;
        for (const FieldDef &f : d->rs.fields)
            if (!f.calculated) {
                names.append(f.name);
                marks.append(QStringLiteral("?"));
            }
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(d->target.tableName(), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (server)
            d->serverInsert = sql + QStringLiteral(" RETURNING rowid");
        else
            d->prepare(d->insert, sql);
    }
    Row row;
    d->compose(row, values, ~quint64(0));
    if (server) {
        BoundSql bound{d->serverInsert, {}, {}};
        for (int f = 0; f < d->rs.fields.size(); ++f)
            if (!d->rs.fields[f].calculated)
                bound.values.append(d->serverValue(f, values.value(f)));
        const std::unique_ptr<Cursor> cursor = d->conn->query(bound);
        row.key = cursor->next() ? cursor->integer(0) : 0;
    } else {
        sqlite3_stmt *s = d->insert.get();
        int at = 1;
        for (int f = 0; f < d->rs.fields.size(); ++f)
            if (!d->rs.fields[f].calculated)
                d->bind(s, at++, f, values.value(f));
        d->run(s);
        row.key = sqlite3_last_insert_rowid(d->conn->handle());
    }
    d->place(row);
    d->rs.rows.push_back(row);
    d->moved.push_back(1);
    d->dirty = true;
    return int(d->rs.rows.size()) - 1;
}

void RowWriter::reserve(int more)
{
    if (more > 0) {
        d->rs.rows.reserve(d->rs.rows.size() + size_t(more));
        d->moved.reserve(d->rs.rows.size() + size_t(more));
    }
}

void RowWriter::finish()
{
    if (!d->dirty)
        return;
    d->dirty = false;
    Table &t = d->target;
    const RecordSet::Bookmark mark = t.bookmark();
    if (!d->inMemory) {
        t.refresh();
        if (mark)
            t.gotoBookmark(mark);
        return;
    }
    Q_EMIT t.aboutToReset();
    std::vector<Row> &rows = d->rs.rows;
    // The rows that kept their place are still in order (unless posts placed
    // rows where they were typed): only the moved ones are sorted and merged,
    // in place, so the list's memory is not taken twice.
    std::vector<Row> moving;
    size_t kept = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (d->moved[i])
            moving.push_back(rows[i]);
        else
            rows[kept++] = rows[i];
    }
    rows.resize(kept);
    const auto less = [this](const Row &a, const Row &b) { return d->compare(a, b) < 0; };
    if (!std::is_sorted(rows.begin(), rows.end(), less))
        std::stable_sort(rows.begin(), rows.end(), less);
    std::sort(moving.begin(), moving.end(), less);
    rows.insert(rows.end(), moving.begin(), moving.end());
    std::inplace_merge(rows.begin(), rows.begin() + std::ptrdiff_t(kept), rows.end(), less);
    d->moved.assign(rows.size(), 0);

    int current = rows.empty() ? -1 : 0;
    for (size_t i = 0; mark && i < rows.size(); ++i)
        if (RecordSet::Bookmark(rows[i].key) == mark) {
            current = int(i);
            break;
        }
    t.m_current = current;
    t.m_eof = rows.empty();
    Q_EMIT t.reset();
    RecordSet::Impl::emitCurrent(t);
}

} // namespace zdb
