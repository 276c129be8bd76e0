#include "app/helpers/listdialog.h"

#include "output/output.h"

#include "app/helpers/actions.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listcommandbar.h"
#include "app/helpers/core/tablewatch.h"

#include "db/recordset.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

ListDialog::ListDialog(const QString &formName, const QString &caption, const QString &iconName, QWidget *parent)
    : QDialog(parent), m_formName(formName), m_title(caption)
{
    setObjectName(formName);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (!iconName.isEmpty())
        setWindowIcon(ZIcon(iconName));

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_commands = new ListCommandBar(this, m_grid);

    aNyomtat = addCommand(QStringLiteral("aNyomtat"), QStringLiteral("Nyomtat"), QStringLiteral("Nyomtat"),
                          QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("nyomtat"), [this] { printList(true); });
    aNyomtatKep = addCommand(QStringLiteral("aNyomtatKep"), QStringLiteral("Nyomtatási kép"),
                             QStringLiteral("Nyomtatási kép"), QKeySequence(Qt::CTRL | Qt::Key_K),
                             QStringLiteral("nyomtatkep"), [this] { printList(false); });
    aExcelbe = addCommand(QStringLiteral("aExcelbe"), QStringLiteral("Excelbe..."), QStringLiteral("Excelbe..."),
                          QKeySequence(Qt::CTRL | Qt::Key_E), QStringLiteral("excel"), [this] {
                              if (zdb::RecordSet *rs = outputRecordSet())
                                  ExportDelimited(rs);
                          });
    aHtml = addCommand(QStringLiteral("aHtml"), QStringLiteral("Html export"), QStringLiteral("Html export"),
                       QKeySequence(Qt::CTRL | Qt::Key_H), QStringLiteral("html"), [this] {
                           if (DataGrid *g = outputGrid())
                               ExportGridToHtml(g, outputTitle(), outputSubtitle());
                       });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"),
                        QKeySequence(Qt::Key_Escape), QStringLiteral("bezar"), [this] { close(); });

    m_gridRow = new QHBoxLayout;
    m_gridRow->addWidget(m_grid, 1);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_commands->toolBar());
    m_layout->addLayout(m_gridRow, 1);
    setFocusProxy(m_grid);
    resize(560, 380);
}

ListDialog::~ListDialog() = default;

QToolBar *ListDialog::toolBar() const
{
    return m_commands->toolBar();
}

zdb::RecordSet *ListDialog::recordSet() const
{
    return m_recordSet.data();
}

zdb::Table *ListDialog::table() const
{
    return qobject_cast<zdb::Table *>(m_recordSet.data());
}

QAction *ListDialog::addCommand(const QString &objectName, const QString &caption, const QString &hint,
                                const QKeySequence &shortcut, const QString &iconName, std::function<void()> run)
{
    return m_commands->addCommand(objectName, caption, hint, shortcut, iconName, std::move(run));
}

void ListDialog::setToolBarCommands(const QList<QAction *> &actions)
{
    m_toolActions = actions;
    rebuildToolBar();
}

void ListDialog::rebuildToolBar()
{
    QList<QAction *> all;
    if (m_searchAction)
        all << m_searchAction << nullptr;
    for (QAction *a : std::as_const(m_toolActions))
        all << (a == aNyomtat ? printButtonAction() : a);
    m_commands->setToolBarCommands(all);
}

QWidgetAction *ListDialog::printButtonAction()
{
    if (m_printAction)
        return m_printAction;
    // "Nyomtat" prints when clicked and opens the output menu from its arrow;
    // the menu holds the command itself, so the button carries the menu.
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("NyomtatMenu"));
    AddActions(menu, {aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml});
    auto *button = new QToolButton(this);
    button->setObjectName(QStringLiteral("NyomtatButton"));
    button->setDefaultAction(aNyomtat);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    m_printAction = new QWidgetAction(this);
    m_printAction->setDefaultWidget(button);
    return m_printAction;
}

void ListDialog::setPopupCommands(const QList<QAction *> &actions)
{
    m_commands->setPopupCommands(actions);
}

void ListDialog::setActivateCommand(QAction *action)
{
    m_commands->setActivateCommand(action);
}

void ListDialog::setRowCommands(const QList<QAction *> &actions)
{
    m_commands->setRowCommands(actions);
}

void ListDialog::showRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns)
{
    m_recordSet = recordSet;
    if (recordSet)
        recordSet->setParent(this);
    m_grid->setRecordSet(recordSet, columns);
    delete m_sorter;
    m_sorter = new GridSorter(m_grid, qobject_cast<zdb::Table *>(recordSet), this);
    if (m_search)
        m_sorter->setSearchBox(m_search);
    m_commands->watch(recordSet);
    // What others write into the table shows here without a command.
    RefreshOnTableChange(recordSet);
}

void ListDialog::openFiltered(const QString &filter, const QVariantList &params)
{
    if (!m_recordSet)
        return;
    m_recordSet->close();
    m_recordSet->setFilter(filter, params);
    m_recordSet->setFiltered(!filter.isEmpty());
    m_recordSet->open();
    m_grid->syncFromRecordSet();
}

void ListDialog::addQuickSearch(const QString &sortField)
{
    if (!m_search) {
        m_search = new QLineEdit(this);
        m_search->setObjectName(QStringLiteral("edKeres"));
        m_search->setMaximumWidth(160);
        // Held by the dialog, so that rebuilding the tool bar keeps the box.
        m_searchAction = new QWidgetAction(this);
        m_searchAction->setDefaultWidget(m_search);
        rebuildToolBar();
    }
    if (m_sorter) {
        m_sorter->setSearchBox(m_search);
        m_sorter->setSortField(sortField);
    }
}

void ListDialog::setPrintOptions(bool portrait, int fontSize, const QString &sumField)
{
    m_portrait = portrait;
    m_fontSize = fontSize;
    m_sumField = sumField;
}

void ListDialog::printList(bool print)
{
    if (DataGrid *g = outputGrid())
        PrintGrid(g, print, m_portrait, outputSubtitle(), m_sumField, m_fontSize, outputTitle());
}

void ListDialog::done(int result)
{
    RememberFormPosition(this, m_formName);
    if (m_recordSet && m_recordSet->isOpen()) {
        if (m_recordSet->isEditing())
            m_recordSet->cancel();
        m_recordSet->close();
    }
    QDialog::done(result);
}

void ListDialog::showEvent(QShowEvent *event)
{
    if (!m_positioned) {
        m_positioned = true;
        RestoreFormPosition(this, m_formName);
        m_grid->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}
