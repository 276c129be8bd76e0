#include "app/helpers/listpane.h"

#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/listcommandbar.h"
#include "app/helpers/listheader.h"
#include "app/helpers/core/tablewatch.h"

#include "db/recordset.h"

#include <QHBoxLayout>
#include <QToolBar>
#include <QVBoxLayout>

ListPane::ListPane(QWidget *owner, ListHeader *header) : QWidget(owner), m_header(header)
{
    setObjectName(QStringLiteral("pane"));
    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_commands = new ListCommandBar(owner, m_grid);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(m_commands->toolBar());
    if (m_header)
        m_layout->addWidget(m_header);
    m_gridRow = new QHBoxLayout;
    m_gridRow->addWidget(m_grid, 1);
    m_layout->addLayout(m_gridRow, 1);
    setFocusProxy(m_grid);
}

void ListPane::showRecordSet(zdb::RecordSet *recordSet, const QList<GridColumn> &columns)
{
    m_grid->setRecordSet(recordSet, columns);
    if (!m_sorter || m_shown != recordSet) {
        delete m_sorter;
        m_sorter = new GridSorter(m_grid, qobject_cast<zdb::Table *>(recordSet), this);
        if (m_header)
            m_sorter->setHeader(m_header);
        if (m_search)
            m_sorter->setSearchBox(m_search);
    }
    m_shown = recordSet;
    m_commands->watch(recordSet);
    RefreshOnTableChange(recordSet);
}

void ListPane::setSearchBox(QLineEdit *box)
{
    m_search = box;
    if (m_sorter)
        m_sorter->setSearchBox(box);
}
