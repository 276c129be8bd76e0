// Record set: fields, state, navigation and reading values.

#include "db/recordset_p.h"
#include "db/connection.h"

namespace zdb {

namespace {

std::function<void(bool)> &busyHookRef()
{
    static std::function<void(bool)> hook;
    return hook;
}

QString msgOpen()
{
    return QStringLiteral("Cannot perform this operation on an open dataset");
}

} // namespace

// ---- Impl ------------------------------------------------------------------

void RecordSet::Impl::rebuildIndex()
{
    byName.clear();
    for (int i = 0; i < fields.size(); ++i)
        byName.insert(fields[i].name.toLower(), i);
}

QVariant RecordSet::Impl::storedValue(const Row &row, int field) const
{
    const int slot = slotOfField(field);
    if (slot < 0 || !row.cells)
        return QVariant();
    const CellRef c = cellOf(row, slot, slotCount);
    if (c.null)
        return QVariant();
    switch (fields[field].kind) {
    case FieldKind::Integer: {
        int v = 0;
        if (!readInt(c.data, c.size, v))
            v = 0;   // stored text that is not an integer reads as 0
        return QVariant(v);
    }
    case FieldKind::Date: {
        int y = 0, m = 0, d = 0;
        if (readDate(c.data, c.size, y, m, d) == DateRead::Invalid)
            return QVariant();   // cannot happen: dates are checked at load
        return QVariant(QDate(y, m, d));
    }
    default:
        return QVariant(decodeText(c.data, c.size, encoding));
    }
}

QString RecordSet::Impl::storedText(const Row &row, int field) const
{
    const int slot = slotOfField(field);
    if (slot < 0 || !row.cells)
        return QString();
    const FieldKind kind = fields[field].kind;
    if (kind == FieldKind::Integer) {
        // SQLite writes an integer's digits as its text form would: take them
        // as they are (they are ASCII in either encoding).
        const CellRef c = cellOf(row, slot, slotCount);
        int v = 0;
        if (!c.null && c.size > 0 && readInt(c.data, c.size, v)) {
            const bool negative = c.data[0] == '-';
            const qsizetype digits = c.size - (negative ? 1 : 0);
            const char first = c.data[negative ? 1 : 0];
            if (digits > 0 && first >= '0' && first <= '9' && (first != '0' || (digits == 1 && !negative))
                && c.data[c.size - 1] >= '0' && c.data[c.size - 1] <= '9')
                return QString::fromLatin1(c.data, c.size);
        }
        return textForm(storedValue(row, field));
    }
    if (kind == FieldKind::Date)
        return textForm(storedValue(row, field));
    const CellRef c = cellOf(row, slot, slotCount);
    return c.null ? QString() : decodeText(c.data, c.size, encoding);
}

void RecordSet::Impl::emitCurrent(RecordSet &rs)
{
    if (rs.m_hold == 0)
        Q_EMIT rs.currentChanged(rs.m_current);
}

void RecordSet::Impl::moveTo(RecordSet &rs, int row)
{
    if (row == rs.m_current)
        return;
    rs.m_current = row;
    emitCurrent(rs);
}

void RecordSet::Impl::checkActive(const RecordSet &rs)
{
    if (!rs.isOpen())
        throw Error(msgClosed());
}

void RecordSet::Impl::checkBrowseMode(RecordSet &rs)
{
    if (!rs.isEditing())
        return;
    if (rs.d->modified)
        rs.post();
    else
        rs.cancel();
}

// ---- RecordSet -------------------------------------------------------------

RecordSet::RecordSet(Variant variant, Connection *connection, QObject *parent)
    : QObject(parent), d(std::make_unique<Impl>()), m_variant(variant)
{
    setConnection(connection);
}

RecordSet::~RecordSet()
{
    if (m_connection)
        m_connection->detach(this);
}

void RecordSet::setConnection(Connection *connection)
{
    if (connection == m_connection)
        return;
    close();
    if (m_connection)
        m_connection->detach(this);
    m_connection = connection;
    if (m_connection)
        m_connection->attach(this);
}

void RecordSet::addField(const FieldDef &def)
{
    if (isOpen())
        throw Error(msgOpen());
    if (def.name.trimmed().isEmpty())
        throw Error(QStringLiteral("Field name missing"));
    if (fieldIndex(def.name) >= 0)
        throw Error(QStringLiteral("Duplicate field name '%1'").arg(def.name));
    d->fields.append(def);
    d->byName.insert(def.name.toLower(), int(d->fields.size()) - 1);
}

void RecordSet::addInteger(const QString &name, const QString &title)
{
    FieldDef f;
    f.name = name;
    f.kind = FieldKind::Integer;
    f.title = title;
    addField(f);
}

void RecordSet::addDate(const QString &name, const QString &title)
{
    FieldDef f;
    f.name = name;
    f.kind = FieldKind::Date;
    f.title = title;
    addField(f);
}

void RecordSet::addText(const QString &name, int size, const QString &title, int tag)
{
    FieldDef f;
    f.name = name;
    f.kind = FieldKind::Text;
    f.size = size;
    f.title = title;
    f.tag = tag;
    addField(f);
}

void RecordSet::addCalculated(const QString &name, int size, const QString &title)
{
    FieldDef f;
    f.name = name;
    f.kind = FieldKind::Text;
    f.size = size;
    f.title = title;
    f.calculated = true;
    addField(f);
}

void RecordSet::clearFields()
{
    if (isOpen())
        throw Error(msgOpen());
    d->fields.clear();
    d->byName.clear();
    d->autoFields = false;
}

int RecordSet::fieldCount() const
{
    return int(d->fields.size());
}

QStringList RecordSet::fieldNames() const
{
    QStringList names;
    names.reserve(d->fields.size());
    for (const FieldDef &f : d->fields)
        names.append(f.name);
    return names;
}

int RecordSet::fieldIndex(const QString &name) const
{
    // Names are kept in lower case and nearly always asked for so: the exact
    // probe spares folding a copy on every value access.
    const auto it = d->byName.constFind(name);
    if (it != d->byName.constEnd())
        return *it;
    return d->byName.value(name.toLower(), -1);
}

const FieldDef &RecordSet::field(int index) const
{
    if (index < 0 || index >= d->fields.size())
        throw Error(QStringLiteral("Field index out of range"));
    return d->fields[index];
}

const FieldDef &RecordSet::field(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    return d->fields[i];
}

FieldDef &RecordSet::fieldDef(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    return d->fields[i];
}

void RecordSet::open()
{
    if (isOpen())
        return;
    if (!m_connection)
        throw Error(QStringLiteral("no database connection"));
    const BoundSql statement = selectStatement();
    if (!m_connection->isConnected())
        m_connection->open();
    load(statement);
}

void RecordSet::close()
{
    if (m_mode == Mode::Closed)
        return;
    Q_EMIT aboutToReset();
    std::vector<Row>().swap(d->rows);
    d->arena.clear();
    d->buffer.clear();
    d->modified = false;
    d->slotOf.clear();
    d->slotCount = 0;
    if (d->autoFields) {
        d->fields.clear();
        d->byName.clear();
        d->autoFields = false;
    }
    m_mode = Mode::Closed;
    m_current = -1;
    m_eof = true;
    Q_EMIT reset();
    Q_EMIT modeChanged(m_mode);
    Impl::emitCurrent(*this);
}

int RecordSet::recordCount() const
{
    return int(d->rows.size());
}

void RecordSet::setCurrentRow(int row)
{
    if (!isOpen() || row < 0 || row >= recordCount())
        return;
    if (row == m_current) {
        m_eof = false;
        return;
    }
    if (isEditing()) {
        const bool inserting = m_mode == Mode::Inserting;
        const int pending = m_current;
        const int before = recordCount();
        Impl::checkBrowseMode(*this);
        // A cancelled insert took its row away: the rows below moved up one.
        if (inserting && recordCount() < before && row > pending)
            --row;
        if (row >= recordCount())
            return;
    }
    m_eof = false;
    Impl::moveTo(*this, row);
}

void RecordSet::first()
{
    Impl::checkActive(*this);
    Impl::checkBrowseMode(*this);
    m_eof = d->rows.empty();
    Impl::moveTo(*this, m_eof ? -1 : 0);
}

void RecordSet::next()
{
    Impl::checkActive(*this);
    Impl::checkBrowseMode(*this);
    if (m_current + 1 < recordCount()) {
        m_eof = false;
        Impl::moveTo(*this, m_current + 1);
    } else {
        m_eof = true;
    }
}

void RecordSet::prior()
{
    Impl::checkActive(*this);
    Impl::checkBrowseMode(*this);
    m_eof = d->rows.empty();
    if (m_current > 0)
        Impl::moveTo(*this, m_current - 1);
}

void RecordSet::last()
{
    Impl::checkActive(*this);
    Impl::checkBrowseMode(*this);
    m_eof = d->rows.empty();
    Impl::moveTo(*this, recordCount() - 1);
}

RecordSet::Bookmark RecordSet::bookmark() const
{
    return bookmarkAt(m_current);
}

RecordSet::Bookmark RecordSet::bookmarkAt(int row) const
{
    if (row < 0 || row >= recordCount())
        return 0;
    return Bookmark(d->rows[size_t(row)].key);
}

bool RecordSet::gotoBookmark(Bookmark mark)
{
    if (!isOpen())
        return false;
    Impl::checkBrowseMode(*this);
    const int n = recordCount();
    for (int i = 0; i < n; ++i) {
        const Row &r = d->rows[size_t(i)];
        if (r.cells && Bookmark(r.key) == mark) {
            m_eof = false;
            Impl::moveTo(*this, i);
            return true;
        }
    }
    return false;
}

void RecordSet::disableControls()
{
    ++m_hold;
}

void RecordSet::enableControls()
{
    if (m_hold == 0)
        return;
    if (--m_hold == 0)
        Q_EMIT currentChanged(m_current);
}

QVariant RecordSet::value(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    return valueAt(m_current, i);
}

QString RecordSet::text(const QString &name) const
{
    return textForm(value(name));
}

QString RecordSet::displayText(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    return displayTextAt(m_current, i);
}

QVariant RecordSet::valueAt(int row, int field) const
{
    if (field < 0 || field >= d->fields.size() || row < 0 || row >= recordCount())
        return QVariant();
    const FieldDef &f = d->fields[field];
    if (f.calculated) {
        if (!m_calc)
            return QVariant();
        QVariant v = m_calc(*this, row, f.name);
        if (f.size > 0 && v.typeId() == QMetaType::QString) {
            QString s = v.toString();
            if (s.size() > f.size) {
                s.truncate(f.size);
                v = s;
            }
        }
        return v;
    }
    if (isEditing() && row == m_current)
        return d->buffer.value(field);
    return d->storedValue(d->rows[size_t(row)], field);
}

QVariant RecordSet::valueAt(int row, const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(msgNotFound(name));
    return valueAt(row, i);
}

QString RecordSet::textAt(int row, int field) const
{
    if (field >= 0 && field < d->fields.size() && row >= 0 && row < recordCount()
        && !d->fields[field].calculated && !(isEditing() && row == m_current))
        return d->storedText(d->rows[size_t(row)], field);
    return textForm(valueAt(row, field));
}

QString RecordSet::displayTextAt(int row, int field) const
{
    if (field < 0 || field >= d->fields.size())
        return QString();
    const QString &format = d->fields[field].displayFormat;
    if (format.isEmpty())
        return textAt(row, field);
    return formatWith(valueAt(row, field), format);
}

void RecordSet::setFilter(const QString &filter, const QVariantList &params)
{
    if (isOpen()) {
        close();
        m_filter = filter;
        m_filterParams = params;
        open();
    } else {
        m_filter = filter;
        m_filterParams = params;
    }
}

void RecordSet::setBusyHook(std::function<void(bool)> hook)
{
    busyHookRef() = std::move(hook);
}

void showBusy(bool on)
{
    if (busyHookRef())
        busyHookRef()(on);
}

} // namespace zdb
