#include "db/backup.h"

#include "db/dberror.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

namespace zdb {

namespace {

QString messageOf(sqlite3 *db, int rc)
{
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    // A database another program holds locked is said in the program's own
    // words, as everywhere else; the other codes concern the copy's file,
    // which SQLite's text names well enough.
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? sqliteErrorText(rc, message) : message;
}

// Copies all pages of `from` into `to` in one step.
int copyPages(sqlite3 *to, sqlite3 *from)
{
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        return sqlite3_errcode(to);
    int rc = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        rc = finish;
    return rc;
}

} // namespace

void BackupDatabase(sqlite3 *from, const QString &path)
{
    if (!from)
        throw Error(QStringLiteral("Nincs nyitott adatbázis"));
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(partial).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = copyPages(to, from);
    const QString message = rc == SQLITE_OK ? QString() : messageOf(to, rc);
    if (sqlite3_close(to) != SQLITE_OK && rc == SQLITE_OK)
        rc = SQLITE_ERROR;
    // The copy appears under its name only when it is whole.
    if (rc != SQLITE_OK || (QFile::exists(path) && !QFile::remove(path)) || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Error(QStringLiteral("A másolat nem készült el (%1): %2")
                        .arg(path, message.isEmpty() ? QStringLiteral("nem írható") : message));
    }
}

void RestoreDatabase(sqlite3 *into, const QString &source)
{
    if (!into)
        throw Error(QStringLiteral("Nincs nyitott adatbázis"));
    sqlite3 *from = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        rc = copyPages(into, from);
    const QString message = rc == SQLITE_OK ? QString() : (rc == SQLITE_BUSY || rc == SQLITE_LOCKED
                                                               ? messageOf(into, rc) : messageOf(from, rc));
    sqlite3_close(from);
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("A visszaállítás nem sikerült (%1): %2").arg(source, message));
}

IntegrityReport QuickCheck(const QString &path)
{
    IntegrityReport report;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList findings;
    sqlite3_stmt *stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            findings << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK)
        findings = QStringList{messageOf(db, rc)};
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    const int primary = rc & 0xff;
    // Damage is a verdict; a lock, an unreadable file or one that is no
    // database at all is not (the start reports those on its own).
    report.checked = rc == SQLITE_OK || primary == SQLITE_CORRUPT;
    report.sound = rc == SQLITE_OK && findings == QStringList{QStringLiteral("ok")};
    report.findings = findings.join(QLatin1Char('\n'));
    return report;
}

} // namespace zdb
