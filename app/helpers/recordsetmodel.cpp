#include "app/helpers/recordsetmodel.h"

#include "db/recordset.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

#include <exception>

RecordSetModel::RecordSetModel(QObject *parent) : QAbstractTableModel(parent) {}

RecordSetModel::RecordSetModel(zdb::RecordSet *recordSet, const QList<GridColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns)
{
    m_fieldIndex.fill(-1, m_columns.size());
    setRecordSet(recordSet);
}

RecordSetModel::~RecordSetModel() = default;

zdb::RecordSet *RecordSetModel::recordSet() const
{
    return m_rs.data();
}

void RecordSetModel::setRecordSet(zdb::RecordSet *recordSet)
{
    finishPending();
    m_pending = Pending::Reset;
    beginResetModel();
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = recordSet;
    m_rows = liveRowCount();
    resolveFields();
    connectRecordSet();
    endResetModel();
    m_pending = Pending::None;
}

void RecordSetModel::setColumns(const QList<GridColumn> &columns)
{
    finishPending();
    m_pending = Pending::Reset;
    beginResetModel();
    m_columns = columns;
    resolveFields();
    if (m_shaded >= m_columns.size())
        m_shaded = -1;
    endResetModel();
    m_pending = Pending::None;
}

const GridColumn *RecordSetModel::column(int index) const
{
    return index >= 0 && index < m_columns.size() ? &m_columns.at(index) : nullptr;
}

int RecordSetModel::columnOfField(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void RecordSetModel::setShadedColumn(int column)
{
    m_shaded = column >= 0 && column < m_columns.size() ? column : -1;
    m_shadingOn = true;
    if (m_rows > 0 && !m_columns.isEmpty() && m_pending == Pending::None)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1), {Qt::BackgroundRole});
}

void RecordSetModel::clearShading()
{
    m_shaded = -1;
    m_shadingOn = false;
    if (m_rows > 0 && !m_columns.isEmpty() && m_pending == Pending::None)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1), {Qt::BackgroundRole});
}

void RecordSetModel::setRowStyle(GridRowStyler styler)
{
    m_rowStyle = std::move(styler);
    if (m_rows > 0 && !m_columns.isEmpty() && m_pending == Pending::None)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1),
                           {Qt::ForegroundRole, Qt::BackgroundRole, SelectedForegroundRole});
}

GridRowStyle RecordSetModel::rowStyleOf(int row) const
{
    if (!m_rowStyle || !m_rs || !m_rs->isOpen() || m_pending != Pending::None || row >= m_rs->recordCount())
        return {};
    try {
        return m_rowStyle(*m_rs, row);
    } catch (const std::exception &) {
        return {};   // like an unreadable value: the row is drawn the normal way
    }
}

void RecordSetModel::connectRecordSet()
{
    if (!m_rs)
        return;
    using RS = zdb::RecordSet;
    connect(m_rs, &RS::aboutToReset, this, &RecordSetModel::onAboutToReset);
    connect(m_rs, &RS::reset, this, &RecordSetModel::onReset);
    connect(m_rs, &RS::aboutToInsertRow, this, &RecordSetModel::onAboutToInsertRow);
    connect(m_rs, &RS::rowInserted, this, &RecordSetModel::onRowInserted);
    connect(m_rs, &RS::aboutToRemoveRow, this, &RecordSetModel::onAboutToRemoveRow);
    connect(m_rs, &RS::rowRemoved, this, &RecordSetModel::onRowRemoved);
    connect(m_rs, &RS::rowChanged, this, &RecordSetModel::onRowChanged);
    // A record set that goes away must not leave rows the views would still read.
    connect(m_rs, &QObject::destroyed, this, [this] {
        finishPending();
        m_pending = Pending::Reset;
        beginResetModel();
        m_rows = 0;
        endResetModel();
        m_pending = Pending::None;
    });
}

void RecordSetModel::resolveFields()
{
    m_fieldIndex.fill(-1, m_columns.size());
    if (!m_rs)
        return;
    for (int i = 0; i < m_columns.size(); ++i)
        m_fieldIndex[i] = m_rs->fieldIndex(m_columns.at(i).field);
}

int RecordSetModel::fieldOf(int column) const
{
    int f = m_fieldIndex.value(column, -1);
    if (f < 0 && m_rs) {
        // Fields may be declared after the grid was set up; look again.
        f = m_rs->fieldIndex(m_columns.at(column).field);
        if (column < m_fieldIndex.size())
            m_fieldIndex[column] = f;
    }
    return f;
}

int RecordSetModel::liveRowCount() const
{
    return m_rs && m_rs->isOpen() ? m_rs->recordCount() : 0;
}

// Closes an announced change the record set never completed (it threw in
// between), so the views are never left inside a begin/end pair.
void RecordSetModel::finishPending()
{
    switch (m_pending) {
    case Pending::None:
        return;
    case Pending::Insert:
        ++m_rows;
        endInsertRows();
        break;
    case Pending::Remove:
        --m_rows;
        endRemoveRows();
        break;
    case Pending::Reset:
        m_rows = liveRowCount();
        endResetModel();
        m_pending = Pending::None;
        return;
    }
    m_pending = Pending::None;
    resyncIfDrifted();
}

void RecordSetModel::resyncIfDrifted()
{
    const int live = liveRowCount();
    if (live == m_rows)
        return;
    m_pending = Pending::Reset;
    beginResetModel();
    m_rows = live;
    endResetModel();
    m_pending = Pending::None;
}

// The pending state is set before each begin call and cleared after each end
// call: views react inside those calls (the selection moves off a removed
// row), and the grid must not push such moves back into the record set.

void RecordSetModel::onAboutToReset()
{
    if (m_pending == Pending::Reset)
        return;
    finishPending();
    m_pending = Pending::Reset;
    beginResetModel();
}

void RecordSetModel::onReset()
{
    if (m_pending != Pending::Reset) {
        finishPending();
        m_pending = Pending::Reset;
        beginResetModel();
    }
    m_rows = liveRowCount();
    resolveFields();
    endResetModel();
    m_pending = Pending::None;
}

void RecordSetModel::onAboutToInsertRow(int row)
{
    finishPending();
    if (row < 0 || row > m_rows) {
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    m_pending = Pending::Insert;
    beginInsertRows(QModelIndex(), row, row);
}

void RecordSetModel::onRowInserted(int row)
{
    Q_UNUSED(row);
    if (m_pending == Pending::Insert) {
        ++m_rows;
        endInsertRows();
        m_pending = Pending::None;
    } else {
        finishPending();
    }
    resyncIfDrifted();
}

void RecordSetModel::onAboutToRemoveRow(int row)
{
    finishPending();
    if (row < 0 || row >= m_rows) {
        m_pending = Pending::Reset;
        beginResetModel();
        return;
    }
    m_pending = Pending::Remove;
    beginRemoveRows(QModelIndex(), row, row);
}

void RecordSetModel::onRowRemoved(int row)
{
    Q_UNUSED(row);
    if (m_pending == Pending::Remove) {
        --m_rows;
        endRemoveRows();
        m_pending = Pending::None;
    } else {
        finishPending();
    }
    resyncIfDrifted();
}

void RecordSetModel::onRowChanged(int row)
{
    if (m_pending != Pending::None || m_columns.isEmpty())
        return;
    if (row >= 0 && row < m_rows)
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size() || index.row() >= m_rows)
        return {};
    const GridColumn &col = m_columns.at(index.column());
    switch (role) {
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = col.alignment;
        if (!(a & Qt::AlignVertical_Mask))
            a |= Qt::AlignVCenter;
        return int(a);
    }
    case Qt::BackgroundRole: {
        const QColor own = rowStyleOf(index.row()).background;
        if (own.isValid())
            return QBrush(own);
        if (!m_shadingOn)
            return {};
        return QBrush(QGuiApplication::palette().color(index.column() == m_shaded ? QPalette::Button : QPalette::Base));
    }
    case Qt::ForegroundRole: {
        const QColor text = rowStyleOf(index.row()).text;
        return text.isValid() ? QVariant(QBrush(text)) : QVariant();
    }
    case SelectedForegroundRole: {
        const QColor text = rowStyleOf(index.row()).selectedText;
        return text.isValid() ? QVariant(text) : QVariant();
    }
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case ValueRole:
        break;
    default:
        return {};
    }
    if (!m_rs || !m_rs->isOpen() || index.row() >= m_rs->recordCount())
        return {};
    if (role != ValueRole && col.isPicture())
        return {};
    const int f = fieldOf(index.column());
    if (f < 0)
        return {};
    try {
        if (role == ValueRole)
            return m_rs->valueAt(index.row(), f);
        const QString text = m_rs->displayTextAt(index.row(), f);
        if (role == Qt::ToolTipRole)   // only worth a tip when it is more than one line
            return text.contains(QLatin1Char('\n')) ? QVariant(text) : QVariant();
        return text;
    } catch (const std::exception &) {
        // A value that cannot be shown (a stored text that is no valid date,
        // say) must not take the whole list down while painting.
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    const GridColumn &col = m_columns.at(section);
    if (role == Qt::DisplayRole)
        return col.title;
    if (role == Qt::TextAlignmentRole) {
        Qt::Alignment a = col.titleAlignment;
        if (!(a & Qt::AlignVertical_Mask))
            a |= Qt::AlignVCenter;
        return int(a);
    }
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
