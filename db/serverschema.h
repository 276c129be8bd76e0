#pragma once

#include <QString>

namespace zdb {

// The statements that make the tables of a server database: the columns of
// the catalogue with their server types (texts ordered as bytes and matched
// case-blind, as in a file), a rowid the record sets locate rows by, the file schema's indexes,
// a trigger per table that tells the other desks of every change, and the
// search objects of serverSearchSchema().
QString serverSchema(const QString &fileSchema);

// The search table of a server database, its folding functions and the
// triggers that keep it, filled from the searched tables (db/serversearch.cpp).
// Made anew when run again.
QString serverSearchSchema();

// The channel the change triggers notify on; its payload is the table name.
inline constexpr const char *kChangeChannel = "zentavo_changes";

} // namespace zdb
