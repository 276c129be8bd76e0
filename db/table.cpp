// Table record set: the select, update, insert and delete texts of one table.

#include "db/recordset_p.h"

namespace zdb {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

// The rowid alone could name a newer row: the tables have no INTEGER PRIMARY
// KEY, so SQLite reuses the rowid of a row another program deleted. Where the
// table has its identifier column (named like the table) the stored
// identifier must match as well, compared in the text form it was read in
// (its very bytes are bound).
QString Table::rowCondition(QVariantList &values) const
{
    const Row &row = d->rows[size_t(m_current)];
    QString where = QStringLiteral(" where rowid=?");
    values.append(QVariant(qlonglong(row.key)));
    const int id = identifierField();
    const int slot = d->slotOfField(id);
    if (slot < 0 || !row.cells)
        return where;
    const CellRef cell = cellOf(row, slot, d->slotCount);
    where += QStringLiteral(" and cast(") + d->fields[id].name + QStringLiteral(" as text) is ?");
    values.append(cell.null ? QVariant() : QVariant(QByteArray(cell.data, cell.size)));
    return where;
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

// A field's buffer value in the form a post stores: integers as numbers,
// dates as dates, everything else as its text.
static QVariant postValue(const FieldDef &def, const QVariant &value)
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
            + rowCondition(out.values);
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
    out.sql += rowCondition(out.values);
    return out;
}

} // namespace zdb
