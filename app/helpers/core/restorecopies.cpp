#include "app/helpers/core/restorecopies.h"

#include "app/helpers/core/common.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/dbcopy.h"
#include "db/dberror.h"
#include "db/pgsession.h"
#include "db/recordset.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

constexpr int kEventCopiesKept = 10;
constexpr int kDailyCopiesKept = 7;
constexpr int kWeeklyDays = 63;     // one daily copy a week for the last nine weeks

QString g_folder;

const char *causeTag(CopyCause cause)
{
    switch (cause) {
    case CopyCause::Import: return "import";
    case CopyCause::Sql: return "sql";
    case CopyCause::Restore: return "visszaallitas";
    case CopyCause::Daily: return "napi";
    }
    return "napi";
}

CopyCause causeOfTag(const QString &tag)
{
    return tag == u"import" ? CopyCause::Import
        : tag == u"sql"     ? CopyCause::Sql
        : tag == u"napi"    ? CopyCause::Daily
                            : CopyCause::Restore;
}

// "Zentavo-20261210-131500-42-import.sqb"; copies of older versions have no
// record beside them and at most a sequence number within the second.
const QRegularExpression &namePattern()
{
    static const QRegularExpression re(
        QStringLiteral("^.+-(\\d{8})-(\\d{6})(?:-(\\d+))?-(import|sql|visszaallitas|napi)\\.sqb$"));
    return re;
}

QString recordOf(const QString &copy)
{
    return copy + QStringLiteral(".ini");
}

QString normalPath(const QString &path)
{
    // A server's address is no path: it is compared as written (without a password).
    if (zdb::isServerAddress(path))
        return zdb::addressWithoutPassword(path).trimmed();
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
}

bool samePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return !a.isEmpty() && normalPath(a).compare(normalPath(b), cs) == 0;
}

QHash<QString, QString> readRecord(const QString &file)
{
    QHash<QString, QString> values;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return values;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

// Written whole or not at all: a half record would misname a copy.
void writeRecord(const QString &file, const QList<std::pair<const char *, QString>> &values)
{
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        throw zdb::Error(QStringLiteral("A másolat adatai nem írhatók: %1").arg(file));
    for (const auto &[key, value] : values) {
        QString v = value;
        v.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        f.write(QByteArray(key) + '=' + v.toUtf8() + '\n');
    }
    if (!f.commit())
        throw zdb::Error(QStringLiteral("A másolat adatai nem írhatók: %1").arg(file));
}

void removeCopy(const RestoreCopy &c)
{
    if (QFile::remove(c.path) || !QFileInfo::exists(c.path))
        QFile::remove(recordOf(c.path));
}

void prune(const DatabaseKey &key, const QString &keep)
{
    const QList<RestoreCopy> mine = RestoreCopiesOf(key);
    QSet<QString> kept;
    if (!keep.isEmpty())
        kept.insert(normalPath(keep));
    // The newest sound copy is the one a damaged database is restored from.
    for (const RestoreCopy &c : mine) {
        if (c.sound) {
            kept.insert(normalPath(c.path));
            break;
        }
    }
    // The newest of each kind stay, and as many sound ones besides: damaged
    // copies never push sound ones out.
    auto tier = [&](bool daily, int n) {
        int all = 0, sound = 0;
        for (const RestoreCopy &c : mine) {
            if ((c.cause == CopyCause::Daily) != daily)
                continue;
            if (all++ < n)
                kept.insert(normalPath(c.path));
            if (c.sound && sound++ < n)
                kept.insert(normalPath(c.path));
        }
    };
    tier(false, kEventCopiesKept);
    tier(true, kDailyCopiesKept);
    // One daily copy a week, a sound one where the week has one.
    const QDate oldest = QDate::currentDate().addDays(-kWeeklyDays);
    QHash<int, const RestoreCopy *> weekly;
    for (const RestoreCopy &c : mine) {
        if (c.cause != CopyCause::Daily || c.taken.date() < oldest)
            continue;
        int year = 0;
        const int week = c.taken.date().weekNumber(&year);
        const RestoreCopy *&best = weekly[year * 100 + week];
        if (!best || (!best->sound && c.sound))
            best = &c;
    }
    for (const RestoreCopy *c : std::as_const(weekly))
        kept.insert(normalPath(c->path));
    for (const RestoreCopy &c : mine)
        if (!kept.contains(normalPath(c.path)))
            removeCopy(c);
}

qint64 nextSerial(const QDir &folder)
{
    qint64 serial = 0;
    for (const QString &name : folder.entryList({QStringLiteral("*.sqb.ini")}, QDir::Files))
        serial = std::max(serial, readRecord(folder.filePath(name)).value(QStringLiteral("serial")).toLongLong());
    return serial + 1;
}

// A server database's copy is a file database written by the reverse copy,
// under a temporary name until it is whole, checked and recorded, as
// BackupDatabase does for a file.
void copyServer(zdb::Connection *db, const QString &path, const std::function<void(const QString &)> &beforeRename)
{
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    try {
        {
            zdb::Connection file;
            file.defaultExt.clear();
            file.setPath(partial);
            zdb::CopyDatabase(*db, file, zdb::FileSchema());
            file.close();
        }
        beforeRename(partial);
        if (!QFile::rename(partial, path))
            throw zdb::Error(QStringLiteral("A másolat nem nevezhető át: %1").arg(path));
    } catch (...) {
        QFile::remove(partial);
        if (!QFileInfo::exists(path))
            QFile::remove(recordOf(path));
        throw;
    }
}

} // namespace

DatabaseKey KeyOfDatabase(zdb::Connection *db)
{
    DatabaseKey key;
    if (!db)
        return key;
    key.path = normalPath(db->fullPath());
    // A server database is known by its address: its copies are files made
    // by the program, with no header of the server's to carry an identity.
    if (db->isServer())
        return key;
    if (!db->isConnected())
        return {key.path, zdb::ReadDatabaseIdentity(key.path)};
    // Only a database of this program gets an identity written into it: a
    // file that lacks the settings table is someone else's, and stays as it is.
    bool ours = false;
    try {
        zdb::Query query(db, QStringLiteral("SELECT COUNT(*) AS n FROM sqlite_master WHERE type = 'table' AND lower(name) = 'beallit';"));
        query.open();
        ours = query.value(QStringLiteral("n")).toInt() > 0;
    } catch (const zdb::Error &) {
        ours = false;
    }
    key.identity = zdb::DatabaseIdentity(db->handle(), ours);
    return key;
}

DatabaseKey KeyOfFile(const QString &path)
{
    if (zdb::isServerAddress(path))
        return {normalPath(path), 0};
    return {normalPath(path), zdb::ReadDatabaseIdentity(path)};
}

bool CopyBelongsTo(const RestoreCopy &copy, const DatabaseKey &key)
{
    if (copy.identity && key.identity)
        return copy.identity == key.identity;
    return samePath(copy.database, key.path);
}

QString RestoreCopyFolder()
{
    return g_folder.isEmpty() ? ProgramPath(QStringLiteral("Backup")) : g_folder;
}

void SetRestoreCopyFolder(const QString &folder)
{
    g_folder = folder.trimmed();
}

QString ChosenRestoreCopyFolder()
{
    return g_folder;
}

QString CopyCauseName(CopyCause cause)
{
    switch (cause) {
    case CopyCause::Import: return QStringLiteral("CSV betöltés előtt");
    case CopyCause::Sql: return QStringLiteral("SQL parancs előtt");
    case CopyCause::Restore: return QStringLiteral("visszaállítás előtt");
    case CopyCause::Daily: return QStringLiteral("napi mentés");
    }
    return {};
}

QString MakeRestoreCopy(zdb::Connection *db, CopyCause cause, const QString &keep)
{
    if (!db || !db->isConnected())
        throw zdb::Error(QStringLiteral("Nincs nyitott adatbázis"));
    const DatabaseKey key = KeyOfDatabase(db);
    const QDir folder(RestoreCopyFolder());
    if (!folder.mkpath(QStringLiteral(".")))
        throw zdb::Error(QStringLiteral("A mentések mappája nem hozható létre: %1").arg(folder.path()));
    const QDateTime now = QDateTime::currentDateTime();
    QString base = SafeFileName(db->databaseName());
    if (base.isEmpty())
        base = QStringLiteral("Zentavo");
    // The order number, not the clock, orders the copies; it also keeps the
    // names of copies taken within one second apart.
    qint64 serial = nextSerial(folder);
    QString path;
    do {
        path = folder.filePath(QStringLiteral("%1-%2-%3-%4.sqb")
                                   .arg(base, now.toString(QStringLiteral("yyyyMMdd-HHmmss")))
                                   .arg(serial++)
                                   .arg(QLatin1String(causeTag(cause))));
    } while (QFileInfo::exists(path) || QFileInfo::exists(recordOf(path)));
    const qint64 taken = serial - 1;
    // The copy is checked before it appears, and its record is in place
    // by then: a copy is never listed without its database and verdict.
    auto record = [&](const QString &partial) {
        const zdb::IntegrityReport report = zdb::QuickCheck(partial);
        const bool sound = report.sound && report.objects > 0;
        writeRecord(recordOf(path), {{"database", key.path},
                                     {"identity", QString::number(key.identity)},
                                     {"serial", QString::number(taken)},
                                     {"taken", now.toUTC().toString(Qt::ISODate)},
                                     {"cause", QLatin1String(causeTag(cause))},
                                     {"sound", sound ? QStringLiteral("1") : QStringLiteral("0")},
                                     {"findings", report.objects > 0 ? report.findings.left(300) : QStringLiteral("üres")}});
    };
    if (db->isServer())
        copyServer(db, path, record);
    else
        zdb::BackupDatabase(db->handle(), path, record);
    prune(key, keep);
    return path;
}

void MakeDailyCopy(zdb::Connection *db)
{
    if (!db || !db->isConnected())
        throw zdb::Error(QStringLiteral("Nincs nyitott adatbázis"));
    const DatabaseKey key = KeyOfDatabase(db);
    const QDate today = QDate::currentDate();
    for (const RestoreCopy &c : RestoreCopiesOf(key)) {
        if (c.cause == CopyCause::Daily && c.taken.date() == today) {
            prune(key, {});
            return;
        }
    }
    MakeRestoreCopy(db, CopyCause::Daily);
}

QList<RestoreCopy> RestoreCopies()
{
    QList<RestoreCopy> copies;
    const QDir folder(RestoreCopyFolder());
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("*.sqb")}, QDir::Files)) {
        RestoreCopy c;
        c.path = info.absoluteFilePath();
        c.size = info.size();
        const QHash<QString, QString> record = readRecord(recordOf(c.path));
        if (!record.isEmpty()) {
            c.database = record.value(QStringLiteral("database"));
            c.identity = record.value(QStringLiteral("identity")).toUInt();
            c.serial = record.value(QStringLiteral("serial")).toLongLong();
            c.taken = QDateTime::fromString(record.value(QStringLiteral("taken")), Qt::ISODate).toLocalTime();
            c.cause = causeOfTag(record.value(QStringLiteral("cause")));
            c.checked = true;
            c.sound = record.value(QStringLiteral("sound")) == u"1";
        } else {
            // A copy of an older version: its database is unknown.
            const QRegularExpressionMatch m = namePattern().match(info.fileName());
            if (!m.hasMatch())
                continue;
            c.taken = QDateTime(QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")),
                                QTime::fromString(m.captured(2), QStringLiteral("HHmmss")));
            c.cause = causeOfTag(m.captured(4));
        }
        copies.append(c);
    }
    std::sort(copies.begin(), copies.end(), [](const RestoreCopy &a, const RestoreCopy &b) {
        if (a.serial != b.serial)
            return a.serial > b.serial;
        return a.taken != b.taken ? a.taken > b.taken : a.path > b.path;
    });
    return copies;
}

QList<RestoreCopy> RestoreCopiesOf(const DatabaseKey &key)
{
    QList<RestoreCopy> mine;
    for (const RestoreCopy &c : RestoreCopies())
        if (CopyBelongsTo(c, key))
            mine.append(c);
    return mine;
}
