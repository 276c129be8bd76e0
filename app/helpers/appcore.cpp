#include "app/helpers/appcore.h"

#include "db/catalog.h"
#include "app/helpers/helpers.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

void TBeall::clearWindowFlags()
{
    // The list windows' flags follow the window area, which is empty at start.
    QuickListOpen = false;
}

TBeall &Beall()
{
    static TBeall beall;
    return beall;
}

int NextId(const QString &field, const QString &table)
{
    return zdb::NextIdOn(Db1(), field, table);
}

void RunSql(const QString &sql, const QVariantMap &params, SqlErrors errors)
{
    try {
        zdb::Query qryRun(Db1());
        qryRun.setSql(sql);
        for (auto it = params.cbegin(); it != params.cend(); ++it)
            qryRun.setParam(it.key(), it.value());
        qryRun.execute();
    } catch (...) {
        // Fire and forget unless asked: the name copies it writes are
        // refreshed on the next edit.
        if (errors == SqlErrors::Report)
            throw;
        return;
    }
    zdb::TableChanges::notify(zdb::TableWrittenBy(sql));
}

namespace {
std::function<void(const QString &)> &openHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}
} // namespace

void SetOpenDocumentHook(std::function<void(const QString &)> hook)
{
    openHook() = std::move(hook);
}

void OpenDocument(const QString &target)
{
    if (openHook()) {
        openHook()(target);
        return;
    }
    // Always through the desktop's handler, never executed: stored paths come
    // from USB sticks and Windows shares where every file is executable.
    QDesktopServices::openUrl(QUrl::fromUserInput(target, ProgramDir(), QUrl::AssumeLocalFile));
}

bool StartSideProgram(const QString &program)
{
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return false;
    return QProcess::startDetached(info.absoluteFilePath(), {}, ProgramDir());
}

QString DocumentFilePath(const QString &path)
{
    const QString trimmed = QDir::fromNativeSeparators(path.trimmed());
    if (trimmed.isEmpty())
        return {};
    QFileInfo info(trimmed);
    if (info.isRelative())
        info.setFile(QDir(ProgramDir()), trimmed);
    return info.absoluteFilePath();
}

bool OpenDocumentFile(const QString &path)
{
    const QString trimmed = path.trimmed();
    const QFileInfo info(DocumentFilePath(trimmed));
    if (trimmed.isEmpty() || !info.exists()) {
        // The desktop would show nothing at all for a missing file.
        ShowError(QStringLiteral("A dokumentum nem található ezen a gépen:\n%1").arg(trimmed));
        return false;
    }
    OpenDocument(QDir::toNativeSeparators(info.absoluteFilePath()));
    return true;
}
