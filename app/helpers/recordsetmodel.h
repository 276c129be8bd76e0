#pragma once

// The item model every list grid shows: a thin, lazy view of a record set.
// Rows are the record set's loaded rows; nothing is copied, so a list of
// 100,000 rows costs nothing until rows scroll into view.

#include "app/helpers/core/gridcolumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

namespace zdb {
class RecordSet;
}

// Colours of one whole row (closed projects drawn grey, say); an invalid
// colour leaves that part drawn the normal way.
struct GridRowStyle
{
    QColor text;           // text of the row while it is not selected
    QColor selectedText;   // text of the row while it is selected
    QColor background;     // cell background, over the sort-column shading
};
using GridRowStyler = std::function<GridRowStyle(const zdb::RecordSet &rs, int row)>;

class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The raw field value (an invalid QVariant for an empty field).
    static constexpr int ValueRole = Qt::UserRole + 1;
    // The text colour of a selected row (GridRowStyle::selectedText).
    static constexpr int SelectedForegroundRole = Qt::UserRole + 2;

    explicit RecordSetModel(QObject *parent = nullptr);
    RecordSetModel(zdb::RecordSet *recordSet, const QList<GridColumn> &columns, QObject *parent = nullptr);
    ~RecordSetModel() override;

    zdb::RecordSet *recordSet() const;
    void setRecordSet(zdb::RecordSet *recordSet);

    const QList<GridColumn> &columns() const { return m_columns; }
    void setColumns(const QList<GridColumn> &columns);
    const GridColumn *column(int index) const;   // nullptr when out of range
    int columnOfField(const QString &field) const; // -1 when no column shows it

    // Sort-column shading: off until first set; then the shaded column's cells
    // get the button-face colour and every other cell the window colour.
    void setShadedColumn(int column);
    int shadedColumn() const { return m_shaded; }
    bool shadingOn() const { return m_shadingOn; }
    void clearShading();

    // Row-level colours; an empty function (the default) draws every row normally.
    void setRowStyle(GridRowStyler styler);

    // True while a change of the rows is being announced to the views.
    bool changing() const { return m_pending != Pending::None; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    enum class Pending { None, Insert, Remove, Reset };

    void connectRecordSet();
    void resolveFields();
    int fieldOf(int column) const;
    int liveRowCount() const;
    void finishPending();
    void resyncIfDrifted();

    void onAboutToReset();
    void onReset();
    void onAboutToInsertRow(int row);
    void onRowInserted(int row);
    void onAboutToRemoveRow(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);

    QPointer<zdb::RecordSet> m_rs;
    QList<GridColumn> m_columns;
    mutable QList<int> m_fieldIndex;  // field index per column, -1 = unresolved
    int m_rows = 0;                   // the row count the views were last told
    Pending m_pending = Pending::None;
    int m_shaded = -1;
    bool m_shadingOn = false;
    GridRowStyler m_rowStyle;

    GridRowStyle rowStyleOf(int row) const;
};
