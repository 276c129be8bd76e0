#pragma once

// What a list shows, as plain data: the columns in display order and the
// record set behind them. The grid builds it (DataGrid::shape()); printing
// and HTML export read it, so the engines never need the widget.

#include <QList>
#include <QString>
#include <QVariant>
#include <Qt>

#include <functional>

class QPixmap;
namespace zdb {
class RecordSet;
}

// One column of a list grid.
struct GridColumn
{
    QString field;                    // record-set field shown in the column
    QString title;                    // column title, also quoted by the sort label
    int width = 64;                   // pixels
    Qt::Alignment alignment = Qt::AlignLeft;
    std::function<QPixmap(const QVariant &value)> picture; // empty for text cells
    QString sortField;                // order by this (a sort-key column); empty = field
    Qt::Alignment titleAlignment = Qt::AlignLeft;

    bool isPicture() const { return bool(picture); }
    QString orderField() const { return sortField.isEmpty() ? field : sortField; }
};

// A list as print and export take it: the visible columns in display order
// with their current pixel widths, the grid's width they share, and the rows.
struct ListShape
{
    QList<GridColumn> columns;
    int width = 0;
    zdb::RecordSet *recordSet = nullptr;
};
