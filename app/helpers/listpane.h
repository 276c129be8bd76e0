#pragma once

// The list pane both list bases show, the list windows (ListChild) and the
// modal list dialogs (ListDialog): the command tool bar, the header strip
// (quick search, title, sort label) where the list has one, and the data grid
// in a row that may take widgets beside it. With the grid come its command
// plumbing (ListCommandBar), title-click sorting (GridSorter), row commands
// that follow the record set, and reloading when another writes its tables.

#include "app/helpers/recordsetmodel.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class DataGrid;
class GridSorter;
class ListCommandBar;
class ListHeader;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;
namespace zdb {
class RecordSet;
}

class ListPane : public QWidget
{
    Q_OBJECT
public:
    // The commands are made on owner (their shortcuts work inside it); the
    // pane takes header (nullptr: the list has no header strip).
    ListPane(QWidget *owner, ListHeader *header = nullptr);

    DataGrid *grid() const { return m_grid; }
    ListCommandBar *commands() const { return m_commands; }
    ListHeader *header() const { return m_header; }
    GridSorter *sorter() const { return m_sorter; }
    // Tool bar, header, grid row from the top; more widgets may go between or under.
    QVBoxLayout *paneLayout() const { return m_layout; }
    QHBoxLayout *gridRow() const { return m_gridRow; }

    // Shows the record set through the columns. Title clicks sort a table
    // (the sorter is made anew for another record set), the row commands
    // follow it, and what others write into its tables shows without a command.
    void showRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns);
    // A quick-search box outside the header (the list dialogs' tool bar one).
    void setSearchBox(QLineEdit *box);

private:
    ListHeader *m_header = nullptr;
    DataGrid *m_grid = nullptr;
    ListCommandBar *m_commands = nullptr;
    GridSorter *m_sorter = nullptr;
    QPointer<zdb::RecordSet> m_shown;
    QLineEdit *m_search = nullptr;
    QVBoxLayout *m_layout = nullptr;
    QHBoxLayout *m_gridRow = nullptr;
};
