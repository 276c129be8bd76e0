#pragma once

// The data grid of every list: a read-only, whole-row view of a record set
// whose selected row and the record set's current row follow each other.
// Column titles are clickable (titleClicked); the window decides what a click
// does, usually through a GridSorter.

#include "app/helpers/recordsetmodel.h"

#include <QList>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

class QAction;
class QMenu;

// Draws picture cells: the cell is cleared and the column's 16x16 picture is
// drawn one pixel in from the cell's left edge, at its top. Text cells are
// drawn the normal way.
class GridPictureDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridPictureDelegate(QObject *parent = nullptr);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // Takes a row's own selected-text colour (RecordSetModel::SelectedForegroundRole).
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

class DataGrid : public QTableView
{
    Q_OBJECT
public:
    // A column's part of the width left over: int(percent % of (viewport
    // width - reserved)), raised to minimum.
    struct Share
    {
        int column;       // logical column
        double percent;
        int minimum;
    };

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Shows a record set through the given columns (logical order = list order).
    void setRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns);
    zdb::RecordSet *recordSet() const;
    RecordSetModel *recordSetModel() const { return m_model; }

    // The columns in display order with their current pixel widths; hidden
    // columns are left out. Printing and HTML export read these.
    QList<GridColumn> columns() const;
    // The same columns with the grid's width and record set: what printing
    // and HTML export are given.
    ListShape shape() const { return {columns(), width(), recordSet()}; }
    int columnOfField(const QString &field) const;   // logical column, -1 when none
    const GridColumn *column(int logical) const;

    // Width rules
    void setColumnWidths(const QList<int> &widths);   // logical order; a negative width keeps the column's
    void setColumnWidth(const QString &field, int width);
    using QTableView::setColumnWidth;
    void applyWidthShares(int reserved, const QList<Share> &shares);
    // The same rule, applied again by the grid whenever its viewport changes size.
    void setAutoWidthShares(int reserved, const QList<Share> &shares);
    static int shareWidth(int available, double percent, int minimum);

    // Sort-column shading
    void shadeColumn(int logical);
    void shadeField(const QString &field);
    void clearShading();

    // Row-level colours (RecordSetModel::setRowStyle).
    void setRowStyle(GridRowStyler styler);

    // The pop-up menu; nullptr entries stand for separator lines.
    void setPopupActions(const QList<QAction *> &actions);
    QList<QAction *> popupActions() const;
    QMenu *createPopupMenu(QWidget *parent = nullptr) const;   // caller owns it

    // Selects the record set's current row and scrolls it into view.
    void syncFromRecordSet();
    void scrollToCurrent();

    int rowHeight() const;

    // Yes/no pictures of "I"/"N" flag columns (any value but "I" is no).
    static std::function<QPixmap(const QVariant &)> yesNoPicture();

Q_SIGNALS:
    void activated();                 // double-click on a row, Enter or Return
    void titleClicked(int column);    // logical column

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void onGridRowChanged(const QModelIndex &current, const QModelIndex &previous);
    void updateRowHeight();
    void applyColumnSetup();

    RecordSetModel *m_model = nullptr;
    QList<QPointer<QAction>> m_popup;   // a null entry is a separator (or a deleted action)
    bool m_syncing = false;
    bool m_autoShares = false;
    int m_autoReserved = 0;
    QList<Share> m_autoShareList;
};
