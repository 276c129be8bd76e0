#pragma once

// The main window's side of the task list for the GUI benchmarks: the
// connection, the shared record set of open tasks ordered as the window opens
// it, and the window itself.

#include "db/connection.h"
#include "db/recordset.h"

#include <QString>

class DataGrid;
class Tfrm_Feladat;

namespace zbench {

class TaskListBench
{
public:
    // Opens `databasePath` and publishes the connection and the task record
    // set (filtered to kesz='N') the way the main window does at start.
    explicit TaskListBench(const QString &databasePath);
    ~TaskListBench();   // withdraws them again; delete the windows first
    TaskListBench(const TaskListBench &) = delete;
    TaskListBench &operator=(const TaskListBench &) = delete;

    zdb::Connection &connection() { return m_conn; }
    zdb::Table &tasks() { return m_tasks; }

    // A shown 1000 x 600 task list window; `painted` also waits for its
    // first paint, header and visible rows included. The caller deletes it.
    Tfrm_Feladat *openWindow(bool painted) const;

    // The SELECT of the fields `grid` shows, over the same rows in the same
    // order, for the sqlite3 shell.
    QString gridSelect(const DataGrid *grid) const;

private:
    zdb::Connection m_conn;
    zdb::Table m_tasks;
};

} // namespace zbench
