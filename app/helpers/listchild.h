#pragma once

// The one shape of the main window's list windows: a tool bar of commands
// (caption and picture), the header strip (quick search, title, sort label),
// the data grid over a table with title-click sorting, and the grid's pop-up
// menu. The window is in the window area (its window-exists flag reads true)
// while it lives, is destroyed when closed, and closes its (MDI) frame on
// "Bezár" or Esc.

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/listwindow.h"
#include "db/recordset.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <exception>
#include <functional>
#include <vector>

class GridSorter;
class ListCommandBar;
class ListHeader;
class ListPane;
class QHBoxLayout;
class QAction;
class QToolBar;

class ListChild : public QWidget, public ListWindow
{
    Q_OBJECT
public:
    // A column's share of the grid width, named by the field it shows.
    struct FieldShare
    {
        QString field;
        double percent;
        int minimum;
    };

    // Enters the window area at once; leaves it when the window closes or is destroyed.
    ListChild(int kind, const QString &formName, const QString &caption, const QString &iconName,
              QWidget *parent = nullptr);
    ~ListChild() override;

    // ListWindow
    int childKind() const override { return m_kind; }
    DataGrid *listGrid() const override { return m_grid; }
    zdb::RecordSet *listRecordSet() const override;

    QToolBar *toolBar() const;
    ListHeader *header() const { return m_header; }
    DataGrid *grid() const { return m_grid; }
    GridSorter *sorter() const;
    // The row the grid stands in; a window may put widgets beside it or in its place.
    QHBoxLayout *gridRow() const;
    zdb::Table *table() const { return m_table; }

    // A command of this window: its shortcut works while the focus is inside
    // the window; run is guarded by the general error handling.
    QAction *addCommand(const QString &objectName, const QString &caption, const QString &hint,
                        const QKeySequence &shortcut, const QString &iconName, std::function<void()> run = {});

    // Tool bar and pop-up menu contents; nullptr stands for a separator.
    void setToolBarCommands(const QList<QAction *> &actions);
    // The tool bar button of action carries a menu of these commands; with
    // menuOnly the button just opens the menu (a command with no effect of its own).
    void setDropDown(QAction *action, const QList<QAction *> &menuActions, bool menuOnly = false);
    void setPopupCommands(const QList<QAction *> &actions);
    // Double-click and Enter on a row run this command.
    void setActivateCommand(QAction *action);
    // Commands that act on the current row: enabled only while there is one.
    void setRowCommands(const QList<QAction *> &actions);

    // The grid shows the table through the columns; title clicks sort it.
    void showTable(zdb::Table *table, const QList<GridColumn> &columns);
    // Re-applied whenever the grid's width changes (also when first shown).
    void setWidthShares(int reserved, const QList<FieldShare> &shares);

    // The opening sort: order, reopen, label and the shaded column.
    void initialSort(const QString &field, const QString &title);
    // A table opened and ordered by another window: the label, the shading
    // and the quick search follow its order when a column shows that order.
    void adoptTableOrder();

    // Runs once when the window goes, closed or destroyed (in reverse order
    // of registration). Must not touch members of derived classes.
    void onClosing(std::function<void()> cleanup);

public Q_SLOTS:
    // Closes the frame around the window, or the window itself.
    void closeWindow();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QSize sizeHint() const override;

private:
    std::exception_ptr runClosing();

    int m_kind;
    ListPane *m_pane = nullptr;
    ListCommandBar *m_commands = nullptr;
    ListHeader *m_header = nullptr;
    QAction *m_findKey = nullptr;   // Ctrl+F: the list's own search box
    DataGrid *m_grid = nullptr;
    QPointer<zdb::Table> m_table;
    std::vector<std::function<void()>> m_closing;
    bool m_closed = false;
    bool m_shownOnce = false;
};
