// Table record set: the select, update, insert and delete texts of one table.

#include "db/recordset_p.h"
#include "db/connection.h"
#include "db/cursor.h"

#include <memory>

namespace zdb {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

// A field's buffer value in the form a post stores: integers as numbers,
// dates as dates, everything else as its text.
QVariant postValue(const FieldDef &def, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (def.kind) {
    case FieldKind::Integer:
        return QVariant(value.toInt());
    case FieldKind::Date: {
        const QDate date = value.toDate();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    default: {
        QString text = textForm(value);
        if (text.isNull())
            text = QLatin1String("");
        return QVariant(text);
    }
    }
}

// The rowid alone could name a newer row: the tables have no INTEGER PRIMARY
// KEY, so SQLite reuses the rowid of a row another program deleted. Where the
// table has its identifier column (named like the table) the stored
// identifier must match as well. With `readValues` every other column read
// must still hold what was read, so that a row another desk saved meanwhile
// is refused rather than written over. Each is compared in the text form it
// was read in (its very bytes are bound); NULL matches NULL through "is".
QString Table::rowCondition(QVariantList &values, bool readValues) const
{
    const Row &row = d->rows[size_t(m_current)];
    QString where = QStringLiteral(" where rowid=?");
    values.append(QVariant(qlonglong(row.key)));
    if (!row.cells)
        return where;
    const int id = identifierField();
    auto add = [&](int f) {
        const int slot = d->slotOfField(f);
        if (slot < 0)
            return;
        const CellRef cell = cellOf(row, slot, d->slotCount);
        const QString &name = d->fields[f].name;
        const int cut = slot < int(d->slotCut.size()) ? d->slotCut[size_t(slot)] : 0;
        if (!cell.null && cut > 0 && cutToChars(cell.data, cell.size, cut - 1, d->encoding) < cell.size) {
            // A text as long as its column may have been cut when read:
            // its start is what this row set knows of it.
            // Compared as bytes: a server has no blob type, its bytes are bytea.
            if (m_connection && m_connection->isServer())
                where += QStringLiteral(" and substr(convert_to(cast(") + name + QStringLiteral(" as text),'UTF8'),1,")
                    + QString::number(cell.size) + QStringLiteral(")=convert_to(cast(? as text),'UTF8')");
            else
                where += QStringLiteral(" and substr(cast(") + name + QStringLiteral(" as blob),1,")
                    + QString::number(cell.size) + QStringLiteral(")=cast(? as blob)");
        } else {
            where += QStringLiteral(" and cast(") + name + QStringLiteral(" as text) is ?");
        }
        values.append(cell.null ? QVariant() : QVariant(QByteArray(cell.data, cell.size)));
    };
    add(id);
    if (readValues)
        for (int f = 0; f < d->fields.size(); ++f)
            if (f != id)
                add(f);
    return where;
}

namespace {

// Runs a select of one row with its values bound; `onRow` reads the row
// while the statement still holds it. False when there is no row.
// Reads the first row of `select` through whichever engine the connection runs.
bool readOneRow(Connection *connection, const BoundSql &select, const std::function<void(Cursor &)> &onRow)
{
    const std::unique_ptr<Cursor> cursor = connection->query(select);
    if (!cursor->next())
        return false;
    onRow(*cursor);
    return true;
}

} // namespace

RowConflict::Kind Table::conflictKind() const
{
    if (m_current < 0 || m_current >= recordCount() || !m_connection || !m_connection->isConnected())
        return RowConflict::Kind::Deleted;
    BoundSql probe;
    probe.sql = QStringLiteral("select 1 from ") + m_table + rowCondition(probe.values, false);
    return readOneRow(m_connection, probe, [](Cursor &) {}) ? RowConflict::Kind::Changed
                                                                   : RowConflict::Kind::Deleted;
}

bool Table::reloadCurrentRow()
{
    Impl::checkActive(*this);
    if (m_current < 0 || m_current >= recordCount() || !d->rows[size_t(m_current)].cells)
        return false;
    // The stored columns in slot order, read as a load reads them.
    QStringList names(d->slotCount);
    for (int f = 0; f < d->fields.size(); ++f)
        if (const int slot = d->slotOfField(f); slot >= 0)
            names[slot] = d->fields[f].name;
    if (names.isEmpty())
        return false;
    BoundSql select;
    select.sql = QStringLiteral("select ") + names.join(QLatin1Char(',')) + QStringLiteral(" from ") + m_table
        + rowCondition(select.values, false);
    std::vector<QByteArray> bytes(size_t(d->slotCount));
    std::vector<CellRef> cells(size_t(d->slotCount) + 1);
    const bool found = readOneRow(m_connection, select, [&](Cursor &st) {
        for (int s = 0; s < d->slotCount; ++s) {
            if (st.isNull(s))
                continue;
            const char *p = st.data(s);
            qsizetype n = st.size(s);
            const int cut = s < int(d->slotCut.size()) ? d->slotCut[size_t(s)] : 0;
            if (cut > 0 && n > cut)
                n = cutToChars(p, n, cut, d->encoding);
            bytes[size_t(s)] = QByteArray(p, n);
            cells[size_t(s)].null = false;
            cells[size_t(s)].data = bytes[size_t(s)].constData();
            cells[size_t(s)].size = n;
        }
    });
    if (!found)
        return false;
    Row &row = d->rows[size_t(m_current)];
    const Row old = row;
    row.cells = buildRowBlock(d->arena, cells.data(), d->slotCount);
    if (m_mode == Mode::Editing) {
        // The user's typing stays where the file still holds what was read;
        // where the other desk changed the field, its value wins.
        for (int f = 0; f < d->fields.size(); ++f) {
            if (d->slotOfField(f) < 0)
                continue;
            const FieldDef &def = d->fields[f];
            const QVariant was = postValue(def, d->storedValue(old, f));
            const QVariant now = d->storedValue(row, f);
            const bool typed = postValue(def, d->buffer.value(f)) != was;
            if (!typed || postValue(def, now) != was)
                d->buffer[f] = now;
        }
    }
    Q_EMIT rowChanged(m_current);
    return true;
}

Table::Table(Connection *connection, QObject *parent) : RecordSet(Variant::Table, connection, parent) {}

Table::Table(Connection *connection, const QString &tableName, QObject *parent)
    : RecordSet(Variant::Table, connection, parent), m_table(tableName)
{
}

void Table::setTableName(const QString &name)
{
    if (name == m_table)
        return;
    close();
    m_table = name;
}

void Table::setOrder(const QString &order)
{
    if (order == m_order)
        return;
    close();   // the caller opens again
    m_order = order;
}

BoundSql Table::selectStatement() const
{
    if (m_table.trimmed().isEmpty())
        throw Error(QStringLiteral("no table specified"));
    BoundSql out;
    QString &sql = out.sql;
    sql = QStringLiteral("select *, rowid as rowid from ") + m_table;
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        sql += kCrLf + QStringLiteral(" where ") + m_filter;
        out.values = m_filterParams;
    }
    if (!m_order.trimmed().isEmpty())
        sql += kCrLf + QStringLiteral(" order by (") + m_order + QLatin1Char(')');
    sql = sql.trimmed();
    return out;
}

BoundSql Table::postStatement() const
{
    if (!isEditing())
        throw Error(msgNotEditing());
    if (m_table.trimmed().isEmpty())
        throw Error(QStringLiteral("no table specified"));
    BoundSql out;
    QStringList names, marks, pairs;
    const bool update = m_mode == Mode::Editing && recordCount() > 0;
    for (int f = 0; f < d->fields.size(); ++f) {
        const FieldDef &def = d->fields[f];
        if (def.calculated)
            continue;
        const QVariant value = postValue(def, d->buffer.value(f));
        // An update writes only what changed since the row was read: a value
        // the row set could not hold whole (a text longer than its column, a
        // number column holding text) stays as stored unless it was edited.
        if (update && value == postValue(def, d->storedValue(d->rows[size_t(m_current)], f)))
            continue;
        out.values.append(value);
        names.append(def.name);
        marks.append(QStringLiteral("?"));
        pairs.append(def.name + QStringLiteral("=?"));
    }
    if (update) {
        if (pairs.isEmpty())
            return out;   // nothing changed: nothing to write
        out.sql = QStringLiteral("update ") + m_table + QStringLiteral(" set ") + pairs.join(QLatin1Char(','))
            + rowCondition(out.values, m_guardValues);
        return out;
    }
    out.sql = QStringLiteral("insert into ") + m_table + QStringLiteral(" (") + names.join(QLatin1Char(','))
        + QStringLiteral(") values (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    return out;
}

BoundSql Table::deleteStatement() const
{
    if (m_current < 0 || m_current >= recordCount() || !d->rows[size_t(m_current)].cells)
        throw Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
    BoundSql out;
    out.sql = QStringLiteral("delete from ") + m_table;
    out.sql += rowCondition(out.values, m_guardValues);
    return out;
}

} // namespace zdb
