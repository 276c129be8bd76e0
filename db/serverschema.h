#pragma once

#include <QString>

namespace zdb {

// The statements that make the tables of a server database: the columns of
// the catalogue with their server types (texts ordered as bytes and matched
// case-blind, as in a file), a rowid the record sets locate rows by, the file schema's indexes,
// and a trigger per table that tells the other desks of every change.
QString serverSchema(const QString &fileSchema);

// The channel the change triggers notify on; its payload is the table name.
inline constexpr const char *kChangeChannel = "zentavo_changes";

} // namespace zdb
