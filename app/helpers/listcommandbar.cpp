#include "app/helpers/listcommandbar.h"

#include "app/helpers/actions.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"

#include "db/recordset.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

ListCommandBar::ListCommandBar(QWidget *owner, DataGrid *grid)
    : QObject(owner), m_owner(owner), m_grid(grid)
{
    m_toolBar = new QToolBar(owner);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
}

QAction *ListCommandBar::addCommand(const QString &objectName, const QString &caption, const QString &hint,
                                    const QKeySequence &shortcut, const QString &iconName, std::function<void()> run)
{
    QAction *a = MakeAction(m_owner, objectName, caption, hint, shortcut, iconName);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_owner->addAction(a);
    if (run) {
        QWidget *owner = m_owner;
        connect(a, &QAction::triggered, owner, [owner, run = std::move(run)] { RunGuarded(run, owner); });
    }
    return a;
}

void ListCommandBar::setToolBarCommands(const QList<QAction *> &actions)
{
    m_toolBar->clear();
    for (QAction *a : actions) {
        if (a)
            m_toolBar->addAction(a);
        else
            m_toolBar->addSeparator();
    }
}

void ListCommandBar::setDropDown(QAction *action, const QList<QAction *> &menuActions, bool menuOnly)
{
    auto *menu = new QMenu(m_owner);
    AddActions(menu, menuActions);
    auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action));
    // A menu that lists its own command stays the button's: as the command's
    // menu, the toolkit's shortcut lookup would go command -> menu -> command
    // without end whenever the focus is outside the window (a dialog over it).
    if (menuActions.contains(action)) {
        if (button)
            button->setMenu(menu);
    } else {
        action->setMenu(menu);
    }
    if (button)
        button->setPopupMode(menuOnly ? QToolButton::InstantPopup : QToolButton::MenuButtonPopup);
}

void ListCommandBar::setPopupCommands(const QList<QAction *> &actions)
{
    m_grid->setPopupActions(actions);
}

void ListCommandBar::setActivateCommand(QAction *action)
{
    connect(m_grid, &DataGrid::activated, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
}

void ListCommandBar::setRowCommands(const QList<QAction *> &actions)
{
    m_rowCommands.clear();
    for (QAction *a : actions)
        if (a)
            m_rowCommands.append(QPointer<QAction>(a));
    updateRowCommands();
}

void ListCommandBar::watch(zdb::RecordSet *recordSet)
{
    if (m_recordSet)
        disconnect(m_recordSet, nullptr, this, nullptr);
    m_recordSet = recordSet;
    if (recordSet) {
        connect(recordSet, &zdb::RecordSet::reset, this, &ListCommandBar::updateRowCommands);
        connect(recordSet, &zdb::RecordSet::rowInserted, this, &ListCommandBar::updateRowCommands);
        connect(recordSet, &zdb::RecordSet::rowRemoved, this, &ListCommandBar::updateRowCommands);
        connect(recordSet, &zdb::RecordSet::currentChanged, this, &ListCommandBar::updateRowCommands);
    }
    updateRowCommands();
}

void ListCommandBar::updateRowCommands()
{
    const zdb::RecordSet *rs = m_recordSet;
    const bool hasRow = rs && rs->isOpen() && rs->currentRow() >= 0;
    for (const QPointer<QAction> &a : std::as_const(m_rowCommands))
        if (a)
            a->setEnabled(hasRow);
}
