#pragma once

// The base of the modal list dialogs (work log, employees, related views,
// comments): a tool bar of commands, the one data grid over the dialog's own
// record set, title-click sorting with shading but no sort label, an
// optional quick-search box at the start of the tool bar, and the standard
// output commands "Nyomtat" (a drop-down of print, preview, delimited and
// HTML export) and "Bezár". The position is restored when first shown and
// remembered when closed, under the form name; the record set is closed
// when the dialog closes.
//
// A concrete dialog: constructs the base with its form name and caption,
// adds its own commands with addCommand (kept as typed QAction members),
// calls showRecordSet with its record set and columns, lays out the tool bar
// with setToolBarCommands (aNyomtat gets its drop-down there), and opens the
// list with openFiltered. It supplies the print/HTML title and subtitle by
// overriding outputTitle()/outputSubtitle() or with setOutputTitle().

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

#include "app/helpers/recordsetmodel.h"

class DataGrid;
class GridSorter;
class ListCommandBar;
class ListPane;
class QAction;
class QHBoxLayout;
class QKeySequence;
class QLineEdit;
class QToolBar;
class QVBoxLayout;
class QWidgetAction;

namespace zdb {
class RecordSet;
class Table;
}

class ListDialog : public QDialog
{
    Q_OBJECT
public:
    ~ListDialog() override;

    QToolBar *toolBar() const;
    DataGrid *grid() const { return m_grid; }
    GridSorter *sorter() const;
    zdb::RecordSet *recordSet() const;
    zdb::Table *table() const;            // nullptr over a query
    QLineEdit *searchBox() const { return m_search; }   // nullptr without quick search

    // The standard commands, made by the base.
    QAction *aNyomtat = nullptr;      // "Nyomtat", Ctrl+P; carries the drop-down
    QAction *aNyomtatKep = nullptr;   // "Nyomtatási kép", Ctrl+K
    QAction *aExcelbe = nullptr;      // "Excelbe...", Ctrl+E
    QAction *aHtml = nullptr;         // "Html export", Ctrl+H
    QAction *aBezar = nullptr;        // "Bezár", Esc

    void done(int result) override;

protected:
    ListDialog(const QString &formName, const QString &caption, const QString &iconName, QWidget *parent);

    // A command of this dialog; run is guarded by the general error handling.
    QAction *addCommand(const QString &objectName, const QString &caption, const QString &hint,
                        const QKeySequence &shortcut, const QString &iconName, std::function<void()> run = {});
    // nullptr stands for a separator. aNyomtat, when listed, gets the
    // drop-down "Nyomtat", "Nyomtatási kép", separator, "Excelbe...", "Html export".
    void setToolBarCommands(const QList<QAction *> &actions);
    void setPopupCommands(const QList<QAction *> &actions);
    // Double-click and Enter on a row run this command.
    void setActivateCommand(QAction *action);
    // Enabled only while the list has a current row.
    void setRowCommands(const QList<QAction *> &actions);

    // The dialog takes the record set over (it becomes its child) and shows
    // it through the columns. A table sorts on title clicks: by the column's
    // sort-key column where the column names one, otherwise by its field.
    void showRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns);
    // Sets the record set's filter with its bound values, switches
    // filtering on and opens it (closing it first when open); an empty
    // filter lists every row.
    void openFiltered(const QString &filter, const QVariantList &params = {});

    // A search box at the start of the tool bar: every change locates the
    // first row whose sort field begins with the text (sortField starts it).
    void addQuickSearch(const QString &sortField);

    // Grid rows in a box under the tool bar; a dialog adds widgets beside
    // (gridRow) or under (mainLayout) the grid.
    QVBoxLayout *mainLayout() const;
    QHBoxLayout *gridRow() const;

    // Output of the print and export commands.
    void setOutputTitle(const QString &title) { m_title = title; }
    void setPrintOptions(bool portrait, int fontSize, const QString &sumField = {});
    virtual QString outputTitle() const { return m_title; }
    virtual QString outputSubtitle() const { return {}; }
    // What the commands act on; a dialog with pages returns the shown page's.
    virtual DataGrid *outputGrid() const { return m_grid; }
    virtual zdb::RecordSet *outputRecordSet() const { return recordSet(); }
    // Print and preview: PrintGrid by default.
    virtual void printList(bool print);

    void showEvent(QShowEvent *event) override;

private:
    void rebuildToolBar();
    QWidgetAction *printButtonAction();

    QString m_formName;
    ListPane *m_pane = nullptr;
    DataGrid *m_grid = nullptr;
    ListCommandBar *m_commands = nullptr;
    QPointer<zdb::RecordSet> m_recordSet;
    QLineEdit *m_search = nullptr;
    QWidgetAction *m_searchAction = nullptr;
    QWidgetAction *m_printAction = nullptr;
    QList<QAction *> m_toolActions;
    QString m_title;
    QString m_sumField;
    bool m_portrait = true;
    int m_fontSize = 8;
    bool m_positioned = false;
};
