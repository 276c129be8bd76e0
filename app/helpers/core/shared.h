#pragma once

// The one database connection of the running program and the record sets
// the main window owns. Widget-free, so that the engines in output/ reach the
// connection without the windows; the main window fills it at start.

class QWidget;

namespace zdb {
class Connection;
class Table;
}

struct SharedData
{
    zdb::Connection *Db1 = nullptr;
    zdb::Table *TblFeladat = nullptr;
    zdb::Table *TblNaptar = nullptr;
    zdb::Table *TblBeallit = nullptr;
    zdb::Table *TblTulajdonos = nullptr;
    QWidget *mainWindow = nullptr;   // the parent of dialogs the engines open
};
SharedData &Shared();
zdb::Connection *Db1();
