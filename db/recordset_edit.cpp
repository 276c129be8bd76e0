// Editing: the edit buffer, insert, post, cancel and delete.

#include "db/recordset_p.h"
#include "db/catalog.h"
#include "db/connection.h"

#include <QDateTime>

#include <sqlite3.h>

#include <cmath>

namespace zdb {

namespace {

// The identifier of loaded row `row`, for those who keep copies of rows (the
// search index); none when the table has no identifier or the row none.
QList<qint64> writtenIds(const Table &table, int row)
{
    const int f = table.identifierField();
    if (f < 0 || row < 0 || row >= table.recordCount())
        return {};
    bool ok = false;
    const qint64 id = table.valueAt(row, f).toLongLong(&ok);
    return ok ? QList<qint64>{id} : QList<qint64>{};
}

QString invalidInteger(const QString &text, const FieldDef &f)
{
    return QStringLiteral("'%1' is not a valid integer value for field '%2'").arg(text, f.displayTitle());
}

QVariant toInteger(const FieldDef &f, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QVariant(value.toInt());
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::UInt: {
        const qlonglong v = value.toLongLong();
        if (v < INT_MIN || v > INT_MAX)
            throw Error(invalidInteger(QString::number(v), f));
        return QVariant(int(v));
    }
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        if (v > qulonglong(INT_MAX))
            throw Error(invalidInteger(QString::number(v), f));
        return QVariant(int(v));
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (!std::isfinite(v) || v < double(INT_MIN) - 0.5 || v >= double(INT_MAX) + 0.5)
            throw Error(invalidInteger(value.toString(), f));
        return QVariant(int(std::lround(v)));
    }
    case QMetaType::Bool:
        return QVariant(value.toBool() ? 1 : 0);
    default: {
        const QString text = textForm(value);
        if (text.trimmed().isEmpty())
            return QVariant();   // an integer set from empty text is null
        const QByteArray bytes = text.toUtf8();
        int v = 0;
        if (!readInt(bytes.constData(), bytes.size(), v))
            throw Error(invalidInteger(text, f));
        return QVariant(v);
    }
    }
}

QVariant toDate(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case QMetaType::QDateTime: {
        const QDate date = value.toDateTime().date();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    default: {
        const QString text = value.toString();
        if (text.trimmed().isEmpty())
            return QVariant();
        const QByteArray bytes = text.toUtf8();
        int y = 0, m = 0, d = 0;
        if (readDate(bytes.constData(), bytes.size(), y, m, d) != DateRead::Ok)
            throw Error(QStringLiteral("'%1' is not a valid date").arg(text));
        return QVariant(QDate(y, m, d));
    }
    }
}

QVariant toText(const FieldDef &f, const QVariant &value)
{
    QString text = textForm(value);
    if (f.size > 0 && text.size() > f.size) {
        text.truncate(f.size);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);   // never keep half a character
    }
    if (text.isNull())
        text = QLatin1String("");   // empty text stays empty text, not null
    return QVariant(text);
}

} // namespace

void checkRowChanged(Connection *connection)
{
    if (connection->changes() == 0)
        throw Error(QStringLiteral("A sort közben más törölte vagy megváltoztatta, frissítse a listát."));
}

quint32 *RecordSet::Impl::blockFromBuffer(const Row *old)
{
    std::vector<QByteArray> bytes(static_cast<size_t>(slotCount));
    std::vector<CellRef> cells(static_cast<size_t>(slotCount) + 1);
    for (int f = 0; f < fields.size(); ++f) {
        const int slot = slotOfField(f);
        if (slot < 0)
            continue;
        CellRef &c = cells[size_t(slot)];
        if (old && postValue(fields[f], buffer.value(f)) == postValue(fields[f], storedValue(*old, f))) {
            c = cellOf(*old, slot, slotCount);   // not written: the file keeps what was read
            continue;
        }
        QByteArray &b = bytes[size_t(slot)];
        if (!cellBytes(fields[f].kind, buffer.value(f), encoding, b))
            continue;   // stays null
        c.null = false;
        c.data = b.constData();
        c.size = b.size();
    }
    return buildRowBlock(arena, cells.data(), slotCount);
}

void RecordSet::setValue(const QString &name, const QVariant &value)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    setValue(i, value);
}

namespace {

// A value as field `f` holds it in the edit buffer.
QVariant bufferValue(const FieldDef &f, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (f.kind) {
    case FieldKind::Integer:
        return value.typeId() == QMetaType::Int ? value : toInteger(f, value);
    case FieldKind::Date:
        return toDate(value);
    default:
        if (value.typeId() == QMetaType::QString) {
            const QString &text = *static_cast<const QString *>(value.constData());
            if (!text.isNull() && (f.size <= 0 || text.size() <= f.size))
                return value;   // already what toText would make of it
        }
        return toText(f, value);
    }
}

} // namespace

void RecordSet::setValue(int i, const QVariant &value)
{
    if (i < 0 || i >= d->fields.size())
        throw Error(QStringLiteral("Field index out of range"));
    Impl::checkActive(*this);
    if (!isEditing())
        throw Error(msgNotEditing());
    const FieldDef &f = d->fields[i];
    if (f.calculated)
        throw Error(QStringLiteral("Field '%1' cannot be modified").arg(f.name));
    if (d->buffer.size() < d->fields.size())
        d->buffer.resize(d->fields.size());
    d->buffer[i] = bufferValue(f, value);
    d->modified = true;
    Q_EMIT fieldChanged(i);
    Q_EMIT rowChanged(m_current);
}

void RecordSet::setValues(const QVector<QVariant> &values)
{
    Impl::checkActive(*this);
    if (!isEditing())
        throw Error(msgNotEditing());
    if (d->buffer.size() < d->fields.size())
        d->buffer.resize(d->fields.size());
    const int n = int(qMin(values.size(), d->fields.size()));
    for (int i = 0; i < n; ++i)
        if (!d->fields[i].calculated)
            d->buffer[i] = bufferValue(d->fields[i], values[i]);
    d->modified = true;
    Q_EMIT rowChanged(m_current);
}

const QVector<QVariant> &RecordSet::bufferValues() const
{
    static const QVector<QVariant> none;
    return isEditing() ? d->buffer : none;
}

void RecordSet::insert()
{
    Impl::checkActive(*this);
    Impl::checkBrowseMode(*this);
    // The new row goes in front of the current one, which moves down.
    const int at = m_current < 0 ? 0 : m_current;
    Q_EMIT aboutToInsertRow(at);
    d->rows.insert(d->rows.begin() + at, Row());
    d->buffer = QVector<QVariant>(d->fields.size());
    d->modified = false;
    m_mode = Mode::Inserting;
    m_current = at;
    m_eof = false;
    Q_EMIT rowInserted(at);
    Q_EMIT modeChanged(m_mode);
    Impl::emitCurrent(*this);
}

void RecordSet::edit()
{
    Impl::checkActive(*this);
    if (isEditing())
        return;
    if (d->rows.empty() || m_current < 0) {
        insert();
        return;
    }
    const Row &row = d->rows[size_t(m_current)];
    d->buffer = QVector<QVariant>(d->fields.size());
    for (int f = 0; f < d->fields.size(); ++f)
        if (!d->fields[f].calculated)
            d->buffer[f] = d->storedValue(row, f);
    d->modified = false;
    m_mode = Mode::Editing;
    Q_EMIT modeChanged(m_mode);
}

void RecordSet::post()
{
    Impl::checkActive(*this);
    if (!isEditing())
        throw Error(msgNotEditing());
    if (m_readOnly)
        throw Error(QStringLiteral("Cannot post into a read-only dataset"));
    // A new row's identifier is the largest plus one: reading it and storing
    // the row is one write transaction, so a second program on the same file
    // cannot take the same identifier in between.
    const bool ownTransaction = m_mode == Mode::Inserting && m_connection && m_connection->isConnected()
        && !m_connection->inTransaction();
    if (ownTransaction)
        m_connection->executeDirect(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        runBeforeSave();
        for (int f = 0; f < d->fields.size(); ++f) {
            const FieldDef &def = d->fields[f];
            if (def.required && !def.calculated && !d->buffer.value(f).isValid())
                throw Error(QStringLiteral("%1 is required.").arg(def.displayTitle()));
        }
        // An edit that changed nothing writes nothing, so it cannot clash
        // with what another program wrote meanwhile either.
        const BoundSql statement = postStatement();
        if (!statement.sql.isEmpty()) {
            m_connection->execute(statement);
            if (m_mode == Mode::Editing)
                checkRowWritten();
        }
        if (ownTransaction)
            m_connection->executeDirect(QStringLiteral("COMMIT"));
    } catch (...) {
        if (ownTransaction && m_connection->inTransaction()) {
            try {
                m_connection->rollback();
            } catch (const Error &) {
                // The first failure is the one to report.
            }
        }
        throw;
    }

    // The statement is stored: the loaded row takes the buffer's values where
    // it stands, without sorting or filtering again.
    Row &row = d->rows[size_t(m_current)];
    if (m_mode == Mode::Inserting) {
        row.key = m_connection->lastInsertId();
        row.cells = d->blockFromBuffer();
    } else {
        row.cells = d->blockFromBuffer(row.cells ? &row : nullptr);
    }
    d->buffer.clear();
    d->modified = false;
    m_mode = Mode::Browsing;
    Q_EMIT rowChanged(m_current);
    Q_EMIT modeChanged(m_mode);
    if (auto *table = qobject_cast<Table *>(this))
        TableChanges::notify(table->tableName(), this, writtenIds(*table, m_current));
}

void RecordSet::cancel()
{
    if (!isEditing())
        return;
    if (m_mode == Mode::Inserting) {
        const int at = m_current;
        Q_EMIT aboutToRemoveRow(at);
        d->rows.erase(d->rows.begin() + at);
        d->buffer.clear();
        d->modified = false;
        m_mode = Mode::Browsing;
        const int n = recordCount();
        m_eof = n == 0;
        m_current = n == 0 ? -1 : qMin(at, n - 1);
        Q_EMIT rowRemoved(at);
        Q_EMIT modeChanged(m_mode);
        Impl::emitCurrent(*this);
        return;
    }
    const bool changed = d->modified;
    d->buffer.clear();
    d->modified = false;
    m_mode = Mode::Browsing;
    if (changed)
        Q_EMIT rowChanged(m_current);
    Q_EMIT modeChanged(m_mode);
}

void RecordSet::remove()
{
    Impl::checkActive(*this);
    if (m_mode == Mode::Inserting) {
        cancel();   // only the new row goes
        return;
    }
    if (d->rows.empty())
        throw Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
    auto *table = qobject_cast<Table *>(this);
    if (m_readOnly || !table)
        throw Error(QStringLiteral("Cannot delete from a read-only dataset"));
    const QList<qint64> removedIds = writtenIds(*table, m_current);
    m_connection->execute(table->deleteStatement());
    checkRowWritten();

    const bool wasEditing = m_mode == Mode::Editing;
    d->buffer.clear();
    d->modified = false;
    m_mode = Mode::Browsing;
    const int at = m_current;
    Q_EMIT aboutToRemoveRow(at);
    d->rows.erase(d->rows.begin() + at);
    const int n = recordCount();
    m_eof = n == 0;
    m_current = n == 0 ? -1 : qMin(at, n - 1);
    Q_EMIT rowRemoved(at);
    if (wasEditing)
        Q_EMIT modeChanged(m_mode);
    Impl::emitCurrent(*this);
    TableChanges::notify(table->tableName(), this, removedIds);
}

void RecordSet::checkRowWritten() const
{
    if (m_connection->changes() != 0)
        return;
    if (const auto *table = qobject_cast<const Table *>(this))
        throw RowConflict(table->conflictKind());
    checkRowChanged(m_connection);
}

BoundSql RecordSet::postStatement() const
{
    throw Error(QStringLiteral("Cannot post into a read-only dataset"));
}

void RecordSet::runBeforeSave()
{
    if (!isEditing())
        throw Error(msgNotEditing());
    if (m_beforePost)
        m_beforePost(*this);
    // Every write to a table of the database keeps its identifier, flags and
    // sort keys, whether or not the window that wrote set anything up.
    if (auto *table = qobject_cast<Table *>(this))
        if (const TableDecl *decl = FindCatalogueTable(table->tableName()))
            ApplyBeforeSave(*this, *decl);
}

} // namespace zdb
