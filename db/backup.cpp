#include "db/backup.h"

#include "db/dberror.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zdb {

namespace {

const char kHeaderMagic[] = "SQLite format 3";   // and its terminating zero: 16 bytes
constexpr int kHeaderSize = 100;
constexpr int kIdentityOffset = 68;              // application_id, big-endian

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

QByteArray headerOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(kHeaderSize);
}

bool isDatabaseHeader(const QByteArray &header)
{
    return header.size() >= kHeaderSize && header.startsWith(QByteArray(kHeaderMagic, sizeof kHeaderMagic));
}

bool nonEmptyFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

// A renamed or written file reaches the disk before the program goes on.
void syncFile(const QString &path, bool folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path)
    Q_UNUSED(folder)
#endif
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void copyWhole(const QString &source, const QString &target)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A másolat nem olvasható: %1").arg(source));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Nem írható: %1").arg(target));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size())
            throw Error(QStringLiteral("Nem írható (megtelt a lemez?): %1").arg(target));
    }
    if (in.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("A másolat nem olvasható: %1").arg(source));
    if (!out.flush())
        throw Error(QStringLiteral("Nem írható: %1").arg(target));
    out.close();
    syncFile(target, false);
}

} // namespace

void BackupDatabase(sqlite3 *from, const QString &path, const std::function<void(const QString &)> &beforeRename)
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
    if (rc == SQLITE_OK && beforeRename) {
        try {
            beforeRename(partial);
        } catch (...) {
            QFile::remove(partial);
            throw;
        }
    }
    // The copy appears under its name only when it is whole.
    if (rc != SQLITE_OK || (QFile::exists(path) && !QFile::remove(path)) || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Error(QStringLiteral("A másolat nem készült el (%1): %2")
                        .arg(path, message.isEmpty() ? QStringLiteral("nem írható") : message));
    }
}

IntegrityReport QuickCheck(const QString &path)
{
    IntegrityReport report;
    // A leftover journal or log is what an interrupted writer leaves: reading
    // through a writable connection lets SQLite put the file right first.
    const bool interrupted = nonEmptyFile(path + QStringLiteral("-journal")) || nonEmptyFile(path + QStringLiteral("-wal"));
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             interrupted ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    QStringList findings;
    sqlite3_stmt *stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            report.objects = sqlite3_column_int(stmt, 0);
            rc = SQLITE_OK;
        }
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (rc == SQLITE_OK) {
        report.recovered = interrupted;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr);
    }
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
    // Damage is a verdict; a lock or an unreadable file is not (the start
    // reports those on its own).
    report.code = rc;
    report.checked = rc == SQLITE_OK || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
    report.sound = rc == SQLITE_OK && findings == QStringList{QStringLiteral("ok")};
    report.findings = findings.join(QLatin1Char('\n'));
    return report;
}

FileVerdict ExamineDatabaseFile(const QString &path)
{
    FileVerdict verdict;
    const QFileInfo info(path);
    if (!info.exists()) {
        verdict.state = FileState::Missing;
        return verdict;
    }
    if (info.isFile() && info.size() == 0) {
        verdict.state = FileState::Empty;
        verdict.findings = QStringLiteral("a fájl üres (0 bájt)");
        return verdict;
    }
    const QByteArray header = headerOf(path);
    if (info.isFile() && !header.isNull() && !isDatabaseHeader(header)) {
        verdict.state = FileState::NotADatabase;
        verdict.findings = QStringLiteral("a fájl fejléce nem adatbázisé (file is not a database)");
        return verdict;
    }
    const IntegrityReport report = QuickCheck(path);
    verdict.recovered = report.recovered;
    verdict.findings = report.findings;
    if (!report.checked)
        verdict.state = FileState::Unchecked;
    else if ((report.code & 0xff) == SQLITE_NOTADB)
        verdict.state = FileState::NotADatabase;
    else if (!report.sound)
        verdict.state = FileState::Damaged;
    else if (report.objects == 0) {
        verdict.state = FileState::Empty;
        verdict.findings = QStringLiteral("az adatbázisban nincs egyetlen tábla sem");
    } else
        verdict.state = FileState::Sound;
    return verdict;
}

quint32 ReadDatabaseIdentity(const QString &path)
{
    const QByteArray header = headerOf(path);
    if (!isDatabaseHeader(header))
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(header.constData()) + kIdentityOffset;
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 DatabaseIdentity(sqlite3 *db, bool assign)
{
    if (!db)
        return 0;
    auto read = [db]() -> quint32 {
        sqlite3_stmt *stmt = nullptr;
        quint32 id = 0;
        if (sqlite3_prepare_v2(db, "PRAGMA main.application_id", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW)
            id = quint32(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        return id;
    };
    quint32 id = read();
    // Written once, never inside the user's own transaction (an SQL console
    // session may hold one open), and never over a value already there.
    if (id == 0 && assign && sqlite3_get_autocommit(db)) {
        const quint32 fresh = QRandomGenerator::system()->bounded(1u, 0x7fffffffu);
        const QByteArray sql = "PRAGMA main.application_id = " + QByteArray::number(fresh);
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
            id = read();
    }
    return id;
}

void ReplaceDatabaseFile(const QString &source, const QString &target, const QString &keepOldAs)
{
    const QString partial = target + QStringLiteral(".visszaallitas");
    QFile::remove(partial);
    try {
        copyWhole(source, partial);
        const IntegrityReport report = QuickCheck(partial);
        // A copy of a database kept in WAL mode is read through side files
        // of its own; they belong to no one once it is checked.
        QFile::remove(partial + QStringLiteral("-wal"));
        QFile::remove(partial + QStringLiteral("-shm"));
        if (!report.sound)
            throw Error(QStringLiteral("A másolat sérült, nem teszem a helyére (%1): %2").arg(source, report.findings));
    } catch (...) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        throw;
    }
    std::error_code ec;
    if (!keepOldAs.isEmpty() && QFileInfo::exists(target)) {
        // The old file stays readable under the other name, and the target
        // keeps it until the new one takes its place.
        QFile::remove(keepOldAs);
        std::filesystem::create_hard_link(fsPath(target), fsPath(keepOldAs), ec);
        if (ec && !QFile::copy(target, keepOldAs)) {
            QFile::remove(partial);
            throw Error(QStringLiteral("A régi fájl nem tehető félre: %1").arg(keepOldAs));
        }
    }
    // Side files left beside the target describe the old contents; beside
    // the new file SQLite would apply them to it. They go before the rename.
    for (const char *side : {"-wal", "-shm", "-journal"}) {
        const QString file = target + QLatin1String(side);
        if (!QFileInfo::exists(file))
            continue;
        const bool gone = keepOldAs.isEmpty() ? QFile::remove(file)
                                              : (QFile::remove(keepOldAs + QLatin1String(side)),
                                                 QFile::rename(file, keepOldAs + QLatin1String(side)));
        if (!gone) {
            QFile::remove(partial);
            throw Error(QStringLiteral("A(z) %1 fájl nem tehető félre").arg(file));
        }
    }
    std::filesystem::rename(fsPath(partial), fsPath(target), ec);
    if (ec) {
        QFile::remove(partial);
        throw Error(QStringLiteral("A másolat nem tehető a helyére (%1): %2")
                        .arg(target, QString::fromLocal8Bit(ec.message().c_str())));
    }
    syncFile(QFileInfo(target).absolutePath(), true);
}

} // namespace zdb
