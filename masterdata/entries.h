#pragma once

// The dialogs of the master-data subsystem that the list windows call.

namespace zdb {
class Table;
}

// CSV import: the import dialog over a list window's open record set.
void ImportCustomers(zdb::Table *tbl);
void ImportProducts(zdb::Table *tbl);
void ImportProjects(zdb::Table *tbl);
