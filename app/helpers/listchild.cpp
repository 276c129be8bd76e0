#include "app/helpers/listchild.h"

#include "app/helpers/actions.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/guard.h"
#include "app/helpers/listcommandbar.h"
#include "app/helpers/listheader.h"
#include "app/helpers/core/tablewatch.h"

#include "db/recordset.h"

#include <QAction>
#include <QCloseEvent>
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

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_commands = new ListCommandBar(this, m_grid);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_commands->toolBar());
    layout->addWidget(m_header);
    layout->addWidget(m_grid, 1);
    setFocusProxy(m_grid);
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

QToolBar *ListChild::toolBar() const
{
    return m_commands->toolBar();
}

QAction *ListChild::addCommand(const QString &objectName, const QString &caption, const QString &hint,
                               const QKeySequence &shortcut, const QString &iconName, std::function<void()> run)
{
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
    m_grid->setRecordSet(table, columns);
    if (!m_sorter) {
        m_sorter = new GridSorter(m_grid, table, this);
        m_sorter->setHeader(m_header);
    }
    m_commands->watch(table);
    // What others write into the table shows here without a command.
    RefreshOnTableChange(table);
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
    if (!m_sorter)
        return;
    m_sorter->sortBy(field, title);
    m_sorter->shadeColumn(field);
}

void ListChild::adoptTableOrder()
{
    if (!m_table || !m_sorter)
        return;
    const QString order = m_table->order().trimmed();
    if (order.isEmpty())
        return;
    const QList<GridColumn> cols = m_grid->recordSetModel()->columns();
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).orderField().compare(order, Qt::CaseInsensitive) != 0)
            continue;
        m_sorter->setSortField(cols.at(i).field);
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
