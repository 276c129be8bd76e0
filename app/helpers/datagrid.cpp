#include "app/helpers/datagrid.h"

#include "app/helpers/actions.h"
#include "app/helpers/guard.h"
#include "db/recordset.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QScopedValueRollback>
#include <QTimer>

#include <exception>
#include <memory>

namespace {
constexpr int PictureSize = 16;
constexpr int MinimumRowHeight = 18;
}

// ---------------------------------------------------------------------------
// Picture cells

GridPictureDelegate::GridPictureDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void GridPictureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const RecordSetModel *>(index.model());
    const GridColumn *col = model ? model->column(index.column()) : nullptr;
    if (!col || !col->isPicture()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Clear the cell the way any cell is cleared (shading, selection), then
    // put the picture on it.
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration
                      | QStyleOptionViewItem::HasCheckIndicator);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QPixmap picture;
    try {
        picture = col->picture(index.data(RecordSetModel::ValueRole));
    } catch (const std::exception &) {
        return;   // an unreadable value leaves the cell empty rather than breaking the paint
    }
    if (picture.isNull())
        return;
    painter->save();
    painter->setClipRect(opt.rect);
    painter->drawPixmap(QRect(opt.rect.left() + 1, opt.rect.top() + 1, PictureSize, PictureSize), picture);
    painter->restore();
}

QSize GridPictureDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const RecordSetModel *>(index.model());
    const GridColumn *col = model ? model->column(index.column()) : nullptr;
    if (col && col->isPicture())
        return QSize(PictureSize + 2, PictureSize + 2);
    return QStyledItemDelegate::sizeHint(option, index);
}

void GridPictureDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant selectedText = index.data(RecordSetModel::SelectedForegroundRole);
    if (selectedText.isValid())
        option->palette.setColor(QPalette::HighlightedText, selectedText.value<QColor>());
}

// ---------------------------------------------------------------------------
// The grid

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setSortingEnabled(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new GridPictureDelegate(this));

    // Fixed, uniform rows: the view never measures rows, so long lists cost
    // nothing until they are painted.
    QHeaderView *vh = verticalHeader();
    vh->hide();
    vh->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView *hh = horizontalHeader();
    hh->setSectionsClickable(true);
    hh->setSectionsMovable(true);
    hh->setHighlightSections(false);
    hh->setSortIndicatorShown(false);
    hh->setStretchLastSection(false);
    hh->setSectionResizeMode(QHeaderView::Interactive);
    hh->setMinimumSectionSize(8);   // picture columns are one picture wide
    connect(hh, &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);

    m_model = new RecordSetModel(this);
    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DataGrid::onGridRowChanged);
    // After any change of the rows, the selection is taken from the record set again.
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::syncFromRecordSet);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DataGrid::syncFromRecordSet);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DataGrid::syncFromRecordSet);

    updateRowHeight();
}

DataGrid::~DataGrid() = default;

void DataGrid::setRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns)
{
    if (zdb::RecordSet *old = m_model->recordSet())
        disconnect(old, nullptr, this, nullptr);
    {
        QScopedValueRollback<bool> guard(m_syncing, true);
        m_model->setColumns(columns);
        m_model->setRecordSet(recordSet);
    }
    applyColumnSetup();
    if (recordSet)
        connect(recordSet, &zdb::RecordSet::currentChanged, this, &DataGrid::syncFromRecordSet);
    syncFromRecordSet();
}

zdb::RecordSet *DataGrid::recordSet() const
{
    return m_model->recordSet();
}

void DataGrid::applyColumnSetup()
{
    QHeaderView *hh = horizontalHeader();
    const QList<GridColumn> &cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        const int visual = hh->visualIndex(i);
        if (visual != i && visual >= 0)
            hh->moveSection(visual, i);
        hh->setSectionHidden(i, false);
        setColumnWidth(i, cols.at(i).width > 0 ? cols.at(i).width : hh->defaultSectionSize());
    }
}

QList<GridColumn> DataGrid::columns() const
{
    QList<GridColumn> out;
    const QHeaderView *hh = horizontalHeader();
    for (int v = 0; v < hh->count(); ++v) {
        const int logical = hh->logicalIndex(v);
        const GridColumn *col = m_model->column(logical);
        if (!col || hh->isSectionHidden(logical))
            continue;
        GridColumn c = *col;
        c.width = columnWidth(logical);
        out.append(c);
    }
    return out;
}

int DataGrid::columnOfField(const QString &field) const
{
    return m_model->columnOfField(field);
}

const GridColumn *DataGrid::column(int logical) const
{
    return m_model->column(logical);
}

void DataGrid::setColumnWidths(const QList<int> &widths)
{
    const int n = qMin(int(widths.size()), m_model->columnCount());
    for (int i = 0; i < n; ++i)
        if (widths.at(i) >= 0)
            setColumnWidth(i, widths.at(i));
}

void DataGrid::setColumnWidth(const QString &field, int width)
{
    const int c = columnOfField(field);
    if (c >= 0)
        setColumnWidth(c, width);
}

int DataGrid::shareWidth(int available, double percent, int minimum)
{
    // Multiplying before dividing keeps whole results whole (300 x 33 % is 99, not 98.99..).
    const int w = int(double(available) * percent / 100.0);
    return qMax(w, minimum);
}

void DataGrid::applyWidthShares(int reserved, const QList<Share> &shares)
{
    const int available = viewport()->width() - reserved;
    for (const Share &s : shares)
        if (s.column >= 0 && s.column < m_model->columnCount())
            setColumnWidth(s.column, shareWidth(available, s.percent, s.minimum));
}

void DataGrid::setAutoWidthShares(int reserved, const QList<Share> &shares)
{
    m_autoShares = !shares.isEmpty();
    m_autoReserved = reserved;
    m_autoShareList = shares;
    if (m_autoShares)
        applyWidthShares(reserved, shares);
}

void DataGrid::shadeColumn(int logical)
{
    m_model->setShadedColumn(logical);
    viewport()->update();
}

void DataGrid::shadeField(const QString &field)
{
    shadeColumn(columnOfField(field));
}

void DataGrid::clearShading()
{
    m_model->clearShading();
    viewport()->update();
}

void DataGrid::setRowStyle(GridRowStyler styler)
{
    m_model->setRowStyle(std::move(styler));
    viewport()->update();
}

void DataGrid::setPopupActions(const QList<QAction *> &actions)
{
    m_popup.clear();
    for (QAction *a : actions)
        m_popup.append(QPointer<QAction>(a));
}

QList<QAction *> DataGrid::popupActions() const
{
    QList<QAction *> out;
    for (const QPointer<QAction> &a : m_popup)
        out.append(a.data());
    return out;
}

QMenu *DataGrid::createPopupMenu(QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    for (const QPointer<QAction> &a : m_popup) {
        if (a)
            menu->addAction(a.data());
        else
            menu->addSeparator();
    }
    return menu;
}

void DataGrid::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_popup.isEmpty()) {
        event->ignore();
        return;
    }
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid())
        at = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    // Parentless: a command of the menu may close the window that owns the grid.
    std::unique_ptr<QMenu> menu(createPopupMenu(nullptr));
    menu->exec(at);
    event->accept();
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        Q_EMIT activated();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const bool onRow = event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    QTableView::mouseDoubleClickEvent(event);
    if (onRow)
        Q_EMIT activated();
}

bool DataGrid::viewportEvent(QEvent *event)
{
    const bool result = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize && m_autoShares)
        applyWidthShares(m_autoReserved, m_autoShareList);
    return result;
}

void DataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
}

void DataGrid::updateRowHeight()
{
    const int h = qMax(MinimumRowHeight, fontMetrics().height() + 3);
    QHeaderView *vh = verticalHeader();
    vh->setMinimumSectionSize(qMin(h, MinimumRowHeight));
    vh->setDefaultSectionSize(h);
}

int DataGrid::rowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void DataGrid::scrollToCurrent()
{
    const QModelIndex idx = currentIndex();
    if (idx.isValid())
        scrollTo(idx, QAbstractItemView::EnsureVisible);
}

void DataGrid::syncFromRecordSet()
{
    if (m_syncing)
        return;
    QScopedValueRollback<bool> guard(m_syncing, true);
    zdb::RecordSet *rs = recordSet();
    const int row = rs && rs->isOpen() ? rs->currentRow() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
        return;
    }
    int col = currentIndex().isValid() ? currentIndex().column() : -1;
    if (col < 0) {
        const QHeaderView *hh = horizontalHeader();
        for (int v = 0; v < hh->count() && col < 0; ++v)
            if (!hh->isSectionHidden(hh->logicalIndex(v)))
                col = hh->logicalIndex(v);
    }
    if (col < 0)
        return;
    const QModelIndex idx = m_model->index(row, col);
    if (currentIndex() != idx || !selectionModel()->isRowSelected(row, QModelIndex()))
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(idx, QAbstractItemView::EnsureVisible);
}

void DataGrid::onGridRowChanged(const QModelIndex &current, const QModelIndex &)
{
    if (m_syncing || m_model->changing() || !current.isValid())
        return;
    zdb::RecordSet *rs = recordSet();
    if (!rs || !rs->isOpen() || current.row() == rs->currentRow())
        return;
    bool ok = true;
    {
        QScopedValueRollback<bool> guard(m_syncing, true);
        ok = RunGuarded([&] { rs->setCurrentRow(current.row()); }, this);
    }
    // A refused move (or one the record set adjusted) puts the selection back
    // on the record set's row, once this selection change has finished.
    if (!ok || rs->currentRow() != current.row())
        QTimer::singleShot(0, this, &DataGrid::syncFromRecordSet);
}

std::function<QPixmap(const QVariant &)> DataGrid::yesNoPicture()
{
    return [](const QVariant &value) {
        const bool yes = value.toString() == QLatin1String("I");
        const QString key = yes ? QStringLiteral("zentavo-grid-igen") : QStringLiteral("zentavo-grid-nem");
        QPixmap pm;
        if (!QPixmapCache::find(key, &pm)) {
            pm = ZPicture(yes ? QStringLiteral("igen") : QStringLiteral("nem"), PictureSize);
            QPixmapCache::insert(key, pm);
        }
        return pm;
    };
}
