#include "app/helpers/restorecopies.h"

#include "app/helpers/common.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/dberror.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int kEventCopiesKept = 10;
constexpr int kDailyCopiesKept = 7;

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

// "Zentavo-20261210-131500-import.sqb"
const QRegularExpression &namePattern()
{
    static const QRegularExpression re(
        QStringLiteral("^Zentavo-(\\d{8})-(\\d{6})(?:-(\\d+))?-(import|sql|visszaallitas|napi)\\.sqb$"));
    return re;
}

void prune(const QList<RestoreCopy> &copies, bool daily, int keep)
{
    int kept = 0;
    for (const RestoreCopy &c : copies) {
        if ((c.cause == CopyCause::Daily) != daily)
            continue;
        if (++kept > keep)
            QFile::remove(c.path);
    }
}

} // namespace

QString RestoreCopyFolder()
{
    return ProgramPath(QStringLiteral("Backup"));
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

QString MakeRestoreCopy(zdb::Connection *db, CopyCause cause)
{
    if (!db || !db->isConnected())
        throw zdb::Error(QStringLiteral("Nincs nyitott adatbázis"));
    const QDir folder(RestoreCopyFolder());
    if (!folder.mkpath(QStringLiteral(".")))
        throw zdb::Error(QStringLiteral("A mentések mappája nem hozható létre: %1").arg(folder.path()));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // Copies taken within one second are numbered, so their order is kept.
    auto name = [&](int n, CopyCause c) {
        const QString seq = n > 1 ? QStringLiteral("-%1").arg(n) : QString();
        return folder.filePath(QStringLiteral("Zentavo-%1%2-%3.sqb").arg(stamp, seq, QLatin1String(causeTag(c))));
    };
    int n = 1;
    auto taken = [&](int k) {
        for (CopyCause c : {CopyCause::Import, CopyCause::Sql, CopyCause::Restore, CopyCause::Daily})
            if (QFileInfo::exists(name(k, c)))
                return true;
        return false;
    };
    while (taken(n))
        ++n;
    const QString path = name(n, cause);
    zdb::BackupDatabase(db->handle(), path);
    const QList<RestoreCopy> copies = RestoreCopies();
    if (cause == CopyCause::Daily)
        prune(copies, true, kDailyCopiesKept);
    else
        prune(copies, false, kEventCopiesKept);
    return path;
}

void MakeDailyCopy(zdb::Connection *db)
{
    const QDate today = QDate::currentDate();
    const QList<RestoreCopy> copies = RestoreCopies();
    for (const RestoreCopy &c : copies) {
        if (c.cause == CopyCause::Daily && c.taken.date() == today) {
            prune(copies, true, kDailyCopiesKept);
            return;
        }
    }
    MakeRestoreCopy(db, CopyCause::Daily);
}

QList<RestoreCopy> RestoreCopies()
{
    QList<RestoreCopy> copies;
    const QDir folder(RestoreCopyFolder());
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("Zentavo-*.sqb")}, QDir::Files)) {
        const QRegularExpressionMatch m = namePattern().match(info.fileName());
        if (!m.hasMatch())
            continue;
        RestoreCopy c;
        c.path = info.absoluteFilePath();
        c.taken = QDateTime(QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")),
                            QTime::fromString(m.captured(2), QStringLiteral("HHmmss")));
        const QString tag = m.captured(4);
        c.sequence = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        c.cause = tag == u"import" ? CopyCause::Import
            : tag == u"sql"        ? CopyCause::Sql
            : tag == u"napi"       ? CopyCause::Daily
                                   : CopyCause::Restore;
        c.size = info.size();
        copies.append(c);
    }
    std::sort(copies.begin(), copies.end(), [](const RestoreCopy &a, const RestoreCopy &b) {
        return a.taken != b.taken ? a.taken > b.taken : a.sequence > b.sequence;
    });
    return copies;
}
