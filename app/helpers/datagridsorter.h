#pragma once

// The common sorting and quick search of the lists. A title click orders the
// table by the clicked column (by its sort-key column where it has one),
// shows "sorrend / <title> szerint" in the sort label, shades the column and
// puts the focus into the quick search box; every change of the search text
// locates the first row whose sort field begins with it, ignoring case.

#include <QObject>
#include <QPointer>
#include <QString>

class DataGrid;
class ListHeader;
class QLabel;
class QLineEdit;

namespace zdb {
class Table;
}

class GridSorter : public QObject
{
    Q_OBJECT
public:
    // Title clicks of the grid sort the table from now on.
    GridSorter(DataGrid *grid, zdb::Table *table, QObject *parent = nullptr);

    // The header strip gives the search box and the sort label.
    void setHeader(ListHeader *header);
    // Lists whose search box or label live elsewhere, or that have none (nullptr).
    void setSearchBox(QLineEdit *box);
    void setSortLabel(QLabel *label);
    // Re-sorting keeps the row whose value of this field (an identifier) was
    // current; empty (the default): the first row becomes current.
    void setKeepRowField(const QString &idField);

    // The field the list is sorted by and the quick search locates on; empty
    // until the first sort.
    QString sortField() const { return m_sortField; }
    void setSortField(const QString &field) { m_sortField = field; }

    // The sort steps. The order is the field's column's sort-key column when
    // it has one, otherwise the field itself. fromClick also shades the column
    // and focuses the search box. Errors of the reopen propagate.
    void sortBy(const QString &field, const QString &title, bool fromClick = false);
    void sortByColumn(int logicalColumn, bool fromClick = false);
    // Shades a column as the sort column without sorting (the initial sort).
    void shadeColumn(const QString &field);

    // One quick search step; errors are swallowed and leave the row where it was.
    void search(const QString &text);
    // Whether the last search step found a row (true before any search).
    bool lastSearchFound() const { return m_lastFound; }

Q_SIGNALS:
    void sorted(const QString &field);

private:
    bool locateByKey(const QString &text);
    void onTitleClicked(int logicalColumn);

    bool m_lastFound = true;
    QPointer<DataGrid> m_grid;
    QPointer<zdb::Table> m_table;
    QPointer<QLineEdit> m_search;
    QPointer<QLabel> m_label;
    QString m_sortField;
    QString m_keepField;
};
