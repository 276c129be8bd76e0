#pragma once

// Keeps a record set current when a table it shows is written elsewhere: by
// another record set over the same table, by a bound update of many rows (a
// master-data window rewriting copied names, the comment flag) or by a free
// statement. The record set reloads with its filter and order, keeps its
// current row (by identifier where the table has one), and leaves a row being
// edited alone. The list-window and list-dialog bases watch the record sets
// they show; anything else showing data may watch its own.

#include <QStringList>

namespace zdb {
class RecordSet;
}

// Watches the record set's own table (a table record set) and `moreTables`
// (the tables a query reads, or whose copies a list shows). Watching the same
// record set again only adds tables.
void RefreshOnTableChange(zdb::RecordSet *rs, const QStringList &moreTables = {});
