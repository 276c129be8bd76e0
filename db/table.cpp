// Table record set: the select, update, insert and delete texts of one table.

#include "db/recordset_p.h"

namespace zdb {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

// The rowid alone could name a newer row: the tables have no INTEGER PRIMARY
// KEY, so SQLite reuses the rowid of a row another program deleted. Where the
// table has its identifier column (named like the table) the stored
// identifier must match as well, compared in the text form it was read in.
QString Table::rowCondition() const
{
    const Row &row = d->rows[size_t(m_current)];
    QString where = QStringLiteral(" where rowid='") + QString::number(row.key) + QLatin1Char('\'');
    const int id = identifierField();
    const int slot = d->slotOfField(id);
    if (slot < 0 || !row.cells)
        return where;
    const CellRef cell = cellOf(row, slot, d->slotCount);
    where += QStringLiteral(" and cast(") + d->fields[id].name + QStringLiteral(" as text) is ");
    if (cell.null)
        return where + QStringLiteral("null");
    QString text = decodeText(cell.data, cell.size, d->encoding);
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return where + QLatin1Char('\'') + text + QLatin1Char('\'');
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

QString Table::selectSql() const
{
    if (m_table.trimmed().isEmpty())
        throw Error(QStringLiteral("no table specified"));
    QString sql = QStringLiteral("select *, rowid as rowid from ") + m_table;
    if (m_filtered && !m_filter.trimmed().isEmpty())
        sql += kCrLf + QStringLiteral(" where ") + m_filter;
    if (!m_order.trimmed().isEmpty())
        sql += kCrLf + QStringLiteral(" order by (") + m_order + QLatin1Char(')');
    return sql.trimmed();
}

QString Table::postSql() const
{
    if (!isEditing())
        throw Error(msgNotEditing());
    if (m_table.trimmed().isEmpty())
        throw Error(QStringLiteral("no table specified"));
    QString names, values, pairs;
    for (int f = 0; f < d->fields.size(); ++f) {
        const FieldDef &def = d->fields[f];
        if (def.calculated)
            continue;
        const QString lit = literal(f, d->buffer.value(f));
        names += def.name + QLatin1Char(',');
        values += lit + QLatin1Char(',');
        pairs += def.name + QLatin1Char('=') + lit + QLatin1Char(',');
    }
    if (m_mode == Mode::Editing && recordCount() > 0) {
        if (pairs.endsWith(QLatin1Char(',')))
            pairs.back() = QLatin1Char(' ');
        return QStringLiteral("update ") + m_table + QStringLiteral(" set ") + kCrLf
            + pairs + kCrLf
            + rowCondition() + kCrLf;
    }
    if (names.endsWith(QLatin1Char(',')))
        names.back() = QLatin1Char(')');
    if (values.endsWith(QLatin1Char(',')))
        values.back() = QLatin1Char(')');
    return QStringLiteral("insert into ") + m_table + QStringLiteral(" (") + kCrLf
        + names + QStringLiteral(" values (") + kCrLf
        + values + kCrLf;
}

QString Table::deleteSql() const
{
    if (m_current < 0 || m_current >= recordCount() || !d->rows[size_t(m_current)].cells)
        throw Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
    return QStringLiteral("delete from ") + m_table + rowCondition();
}

} // namespace zdb
