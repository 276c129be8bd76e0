#include "app/helpers/listchild.h"

#include "app/helpers/actions.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/listcommandbar.h"
#include "app/helpers/listheader.h"
#include "app/helpers/listpane.h"

#include "db/recordset.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <exception>

ListChild::ListChild(int kind, const QString &formName, const QString &caption, const QString &iconName,
                     QWidget *parent)
    : QWidget(parent), m_kind(kind)
{
    setObjectName(formName);
    setWindowTitle(caption);
    if (!iconName.isEmpty())
        setWindowIcon(ZIcon(iconName));
    setAttribute(Qt::WA_DeleteOnClose);
    EnterWindowArea(m_kind, this);

    m_header = new ListHeader(caption, this);
    m_header->setObjectName(QStringLiteral("header"));

    m_pane = new ListPane(this, m_header);
    m_grid = m_pane->grid();
    m_commands = m_pane->commands();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pane, 1);
    setFocusProxy(m_grid);

    // Ctrl+F inside a list goes to its own search box; the main window's
    // search over everything gives up the key while the focus is here.
    m_findKey = new QAction(this);
    m_findKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_findKey, &QAction::triggered, this, [this] {
        m_header->searchBox()->setFocus();
        m_header->searchBox()->selectAll();
    });
    addAction(m_findKey);
}

ListChild::~ListChild()
{
    // A failed clean-up cannot be reported from here; the window is gone anyway.
    runClosing();
}

zdb::RecordSet *ListChild::listRecordSet() const
{
    return m_grid->recordSet();
}

GridSorter *ListChild::sorter() const
{
    return m_pane->sorter();
}

QHBoxLayout *ListChild::gridRow() const
{
    return m_pane->gridRow();
}

QToolBar *ListChild::toolBar() const
{
    return m_commands->toolBar();
}

QAction *ListChild::addCommand(const QString &objectName, const QString &caption, const QString &hint,
                               const QKeySequence &shortcut, const QString &iconName, std::function<void()> run)
{
    // A window with a Ctrl+F command of its own (the notes' search) keeps
    // the key for it: two owners would leave the key doing nothing.
    if (!shortcut.isEmpty() && shortcut == m_findKey->shortcut())
        m_findKey->setShortcut(QKeySequence());
    return m_commands->addCommand(objectName, caption, hint, shortcut, iconName, std::move(run));
}

void ListChild::setToolBarCommands(const QList<QAction *> &actions)
{
    m_commands->setToolBarCommands(actions);
}

void ListChild::setDropDown(QAction *action, const QList<QAction *> &menuActions, bool menuOnly)
{
    m_commands->setDropDown(action, menuActions, menuOnly);
}

void ListChild::setPopupCommands(const QList<QAction *> &actions)
{
    m_commands->setPopupCommands(actions);
}

void ListChild::setActivateCommand(QAction *action)
{
    m_commands->setActivateCommand(action);
}

void ListChild::setRowCommands(const QList<QAction *> &actions)
{
    m_commands->setRowCommands(actions);
}

void ListChild::showTable(zdb::Table *table, const QList<GridColumn> &columns)
{
    m_table = table;
    m_pane->showRecordSet(table, columns);
}

void ListChild::setWidthShares(int reserved, const QList<FieldShare> &shares)
{
    QList<DataGrid::Share> list;
    for (const FieldShare &s : shares) {
        const int column = m_grid->columnOfField(s.field);
        if (column >= 0)
            list.append({column, s.percent, s.minimum});
    }
    m_grid->setAutoWidthShares(reserved, list);
}

void ListChild::initialSort(const QString &field, const QString &title)
{
    if (GridSorter *sorter = m_pane->sorter()) {
        sorter->sortBy(field, title);
        sorter->shadeColumn(field);
    }
}

void ListChild::adoptTableOrder()
{
    GridSorter *sorter = m_pane->sorter();
    if (!m_table || !sorter)
        return;
    const QString order = m_table->order().trimmed();
    if (order.isEmpty())
        return;
    const QList<GridColumn> cols = m_grid->recordSetModel()->columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).orderField().compare(order, Qt::CaseInsensitive) != 0)
            continue;
        sorter->setSortField(cols.at(i).field);
        m_header->setSortText(ListHeader::sortLabelText(cols.at(i).title));
        m_grid->shadeColumn(i);
        return;
    }
}

void ListChild::onClosing(std::function<void()> cleanup)
{
    m_closing.push_back(std::move(cleanup));
}

void ListChild::closeWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->close();
    else
        close();
}

void ListChild::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    if (std::exception_ptr error = runClosing())
        RunGuarded([&] { std::rethrow_exception(error); }, this);
}

std::exception_ptr ListChild::runClosing()
{
    if (m_closed)
        return {};
    m_closed = true;
    LeaveWindowArea(m_kind, this);
    // Every step runs, even when an earlier one fails.
    std::exception_ptr first;
    for (auto it = m_closing.rbegin(); it != m_closing.rend(); ++it) {
        try {
            (*it)();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    m_closing.clear();
    return first;
}

void ListChild::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A list opens with the keyboard in its rows, not in the search box.
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_grid->setFocus(Qt::OtherFocusReason);
    }
}

QSize ListChild::sizeHint() const
{
    return QSize(720, 420);
}
