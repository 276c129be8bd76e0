#include "bench/common/tasklistbench.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "scheduling/records.h"
#include "scheduling/tasklist.h"

#include <QStringList>

namespace zbench {

TaskListBench::TaskListBench(const QString &databasePath)
    : m_tasks(&m_conn, QStringLiteral("dolog3"))
{
    m_conn.setPath(databasePath);
    m_conn.open();
    SetUpTaskRecordSet(&m_tasks);
    m_tasks.setFilter(QStringLiteral("kesz='N'"));
    m_tasks.setFiltered(true);
    Shared().Db1 = &m_conn;
    Shared().TblFeladat = &m_tasks;
    Beall() = TBeall{};
}

TaskListBench::~TaskListBench()
{
    Shared() = SharedData{};
}

Tfrm_Feladat *TaskListBench::openWindow(bool painted) const
{
    auto *w = new Tfrm_Feladat;
    w->resize(1000, 600);
    w->show();
    if (painted)
        w->grab();
    return w;
}

QString TaskListBench::gridSelect(const DataGrid *grid) const
{
    QStringList fields;
    for (const GridColumn &c : grid->columns())
        if (!c.field.isEmpty())
            fields << c.field;
    return QStringLiteral("SELECT %1 FROM dolog3 WHERE kesz='N' ORDER BY %2")
        .arg(fields.join(QStringLiteral(", ")), m_tasks.order());
}

} // namespace zbench
