#pragma once

// Whole-database copies with SQLite's online backup API, the checks of a
// database file, the identity a database carries in its header, and the
// atomic replacement of a database file by a copy. A copy taken while the
// program or another one writes is still a consistent database.

#include <QString>

#include <functional>

struct sqlite3;

namespace zdb {

// Copies the open database into a new file at `path` (replaced if present).
// The copy is written under a temporary name; `beforeRename`, when given, is
// called with that name once the copy is whole (it may look at it and throw
// to drop it). Throws Error; a failed copy leaves no file behind.
void BackupDatabase(sqlite3 *from, const QString &path,
                    const std::function<void(const QString &partial)> &beforeRename = {});

// The quick integrity check of a database file. A file with a journal or a
// write-ahead log left by an interrupted writer is opened for writing, so
// that SQLite rolls the interrupted work back (or replays the log) first;
// otherwise it is opened read-only. A file that is locked or cannot be
// opened gets no verdict (`checked` false).
struct IntegrityReport
{
    bool checked = false;
    bool sound = false;
    bool recovered = false;   // an interrupted write was rolled back or replayed
    int objects = 0;          // tables, indexes and views: none means an empty database
    int code = 0;             // SQLite's result code when the check could not run
    QString findings;         // "ok", or what SQLite found or why it could not look
};
IntegrityReport QuickCheck(const QString &path);

// Every state a database file can be found in at start.
enum class FileState {
    Missing,         // no file at the path
    Empty,           // 0 bytes, or a database without a single table
    NotADatabase,    // the header is not a database header
    Damaged,         // the integrity check found damaged pages
    Sound,
    Unchecked,       // locked by another program or unreadable: no verdict
};
struct FileVerdict
{
    FileState state = FileState::Unchecked;
    bool recovered = false;   // an interrupted write was rolled back first
    QString findings;
};
FileVerdict ExamineDatabaseFile(const QString &path);

// The database's identity: the `application_id` field of its header, which
// this program writes once with a random value and then only reads (the
// copies carry it in their own header). 0 when the file has none or its
// header is unreadable.
quint32 ReadDatabaseIdentity(const QString &path);
// The identity of the open database; when it has none yet and `assign` is
// set, a new one is written (outside any open transaction only). 0 when none.
quint32 DatabaseIdentity(sqlite3 *db, bool assign);

// Puts the database file `source` in the place of `target` in one rename:
// the new file is written whole beside the target, flushed to the disk and
// checked, and only then renamed over it, so an interruption at any moment
// leaves either the old file or the new one. The target's side files
// (-journal, -wal, -shm) belong to the old contents: they go with it to
// `keepOldAs` (a hard link to the old file, or a copy), or are removed when
// no such name is given. Call with no connection open on the target.
// Throws Error.
void ReplaceDatabaseFile(const QString &source, const QString &target, const QString &keepOldAs = {});

} // namespace zdb
