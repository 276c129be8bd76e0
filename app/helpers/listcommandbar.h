#pragma once

// The commands of a list, shared by the list windows and the modal list
// dialogs: commands made as actions of the window (shortcuts work while the
// focus is inside it, runs are guarded by the general error handling), the
// tool bar with its drop-down buttons, the grid's pop-up menu, the command
// that double-click and Enter run, and the row commands that are enabled
// only while the list has a current row.

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class DataGrid;
class QAction;
class QKeySequence;
class QToolBar;
class QWidget;

namespace zdb {
class RecordSet;
}

class ListCommandBar : public QObject
{
    Q_OBJECT
public:
    // Makes the tool bar (text under pictures) as a child of owner.
    ListCommandBar(QWidget *owner, DataGrid *grid);

    QToolBar *toolBar() const { return m_toolBar; }

    QAction *addCommand(const QString &objectName, const QString &caption, const QString &hint,
                        const QKeySequence &shortcut, const QString &iconName, std::function<void()> run = {});

    // nullptr stands for a separator.
    void setToolBarCommands(const QList<QAction *> &actions);
    // The tool bar button of action carries a menu of these commands; with
    // menuOnly the button just opens the menu.
    void setDropDown(QAction *action, const QList<QAction *> &menuActions, bool menuOnly = false);
    void setPopupCommands(const QList<QAction *> &actions);
    void setActivateCommand(QAction *action);
    void setRowCommands(const QList<QAction *> &actions);

    // The row commands follow this record set's rows (also when another
    // window sharing it moves or reloads it).
    void watch(zdb::RecordSet *recordSet);
    void updateRowCommands();

private:
    QWidget *m_owner;
    DataGrid *m_grid;
    QToolBar *m_toolBar;
    QPointer<zdb::RecordSet> m_recordSet;
    QList<QPointer<QAction>> m_rowCommands;
};
