#include "app/helpers/listdialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listcommandbar.h"
#include "app/helpers/listoutput.h"
#include "app/helpers/listpane.h"

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

    m_pane = new ListPane(this);
    m_grid = m_pane->grid();
    m_commands = m_pane->commands();

    aNyomtat = addCommand(QStringLiteral("aNyomtat"), QStringLiteral("Nyomtat"), QStringLiteral("Nyomtat"),
                          QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("nyomtat"), [this] { printList(true); });
    aNyomtatKep = addCommand(QStringLiteral("aNyomtatKep"), QStringLiteral("Nyomtatási kép"),
                             QStringLiteral("Nyomtatási kép"), QKeySequence(Qt::CTRL | Qt::Key_K),
                             QStringLiteral("nyomtatkep"), [this] { printList(false); });
    aExcelbe = addCommand(QStringLiteral("aExcelbe"), QStringLiteral("Excelbe..."), QStringLiteral("Excelbe..."),
                          QKeySequence(Qt::CTRL | Qt::Key_E), QStringLiteral("excel"), [this] {
                              zdb::RecordSet *rs = outputRecordSet();
                              if (rs && CurrentListOutput().exportDelimited)
                                  CurrentListOutput().exportDelimited(rs);
                          });
    aHtml = addCommand(QStringLiteral("aHtml"), QStringLiteral("Html export"), QStringLiteral("Html export"),
                       QKeySequence(Qt::CTRL | Qt::Key_H), QStringLiteral("html"), [this] {
                           DataGrid *g = outputGrid();
                           if (g && CurrentListOutput().exportHtml)
                               CurrentListOutput().exportHtml(g, outputTitle(), outputSubtitle());
                       });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"),
                        QKeySequence(Qt::Key_Escape), QStringLiteral("bezar"), [this] { close(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pane, 1);
    setFocusProxy(m_grid);
    resize(560, 380);
}

ListDialog::~ListDialog() = default;

GridSorter *ListDialog::sorter() const
{
    return m_pane->sorter();
}

QVBoxLayout *ListDialog::mainLayout() const
{
    return m_pane->paneLayout();
}

QHBoxLayout *ListDialog::gridRow() const
{
    return m_pane->gridRow();
}

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
    m_pane->showRecordSet(recordSet, columns);
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
    m_pane->setSearchBox(m_search);
    if (GridSorter *sorter = m_pane->sorter())
        sorter->setSortField(sortField);
}

void ListDialog::setPrintOptions(bool portrait, int fontSize, const QString &sumField)
{
    m_portrait = portrait;
    m_fontSize = fontSize;
    m_sumField = sumField;
}

void ListDialog::printList(bool print)
{
    DataGrid *g = outputGrid();
    if (g && CurrentListOutput().printGrid)
        CurrentListOutput().printGrid(g, print, m_portrait, outputSubtitle(), m_sumField, m_fontSize, outputTitle());
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
