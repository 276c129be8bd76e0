#pragma once

// Whole-database copies with SQLite's online backup API, and the quick
// integrity check. A copy taken while the program or another one writes is
// still a consistent database.

#include <QString>

struct sqlite3;

namespace zdb {

// Copies the open database into a new file at `path` (replaced if present).
// Throws Error; a failed copy leaves no file behind.
void BackupDatabase(sqlite3 *from, const QString &path);

// Replaces the contents of the open database with the database file
// `source`, in one step that other connections see as one change. Throws Error.
void RestoreDatabase(sqlite3 *into, const QString &source);

// The quick integrity check of a database file, opened read-only. A file
// that is locked, cannot be opened or is no database gets no verdict
// (`checked` false).
struct IntegrityReport
{
    bool checked = false;
    bool sound = false;
    QString findings;    // "ok", or what SQLite found or why it could not look
};
IntegrityReport QuickCheck(const QString &path);

} // namespace zdb
