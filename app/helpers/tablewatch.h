#pragma once

// Keeps a table record set current when its table is written elsewhere: by a
// free statement (a master-data window rewriting copied names) or by another
// record set over the same table. The record set reloads, keeps its current
// row by its identifier, and leaves a row being edited alone.

namespace zdb {
class Table;
}

void RefreshOnTableChange(zdb::Table *tbl);
