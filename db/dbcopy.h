#pragma once

#include <QString>

#include <functional>

namespace zdb {

class Connection;

// Moves an office from one database to another, either way between a file
// and a server: the target gets the schema (`fileSchema`, turned into the
// server's where the target is one) and every catalogue table's rows, all in
// one transaction of the target. A value the target's column cannot hold (a
// text in an integer column, an impossible date, a text longer than its
// column on a server) stops the copy with a message naming the table, the
// row and the column, and the target keeps nothing of it.
// `progress` hears each table's name with the rows copied so far.
void CopyDatabase(Connection &from, Connection &to, const QString &fileSchema,
                  const std::function<void(const QString &table, qint64 rows)> &progress = {});

// Puts the rows of `from` (a copy of the database, with every catalogue
// table) in the place of every catalogue table's rows of `to`, in one
// transaction that holds off the other desks' writes: a failure at any point
// leaves `to` as it was, and the commit tells the other desks of every table.
// Values are checked as CopyDatabase checks them. Throws Error.
void RestoreDatabase(Connection &from, Connection &to);

// The file database's schema (db/schema.sql), as the program makes files.
QString FileSchema();

} // namespace zdb
