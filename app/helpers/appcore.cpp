#include "app/helpers/appcore.h"
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
    ProductWindowOpen = CustomerWindowOpen = ProjectWindowOpen = false;
    TaskWindowOpen = CalendarWindowOpen = NotesWindowOpen = QuickListOpen = false;
}

TBeall &Beall()
{
    static TBeall beall;
    return beall;
}

SharedData &Shared()
{
    static SharedData shared;
    return shared;
}

zdb::Connection *Db1()
{
    return Shared().Db1;
}

int NextId(const QString &field, const QString &table)
{
    const QString from = table.isEmpty() ? field : table;
    zdb::Query qryMax(Db1());
    qryMax.setSql(QStringLiteral("SELECT MAX(") + field + QStringLiteral(") AS maxid FROM ") + from + QLatin1Char(';'));
    qryMax.open();
    const int maxId = VarToIntNull(qryMax.value(QStringLiteral("maxid")));
    qryMax.close();
    return maxId + 1;
}

void RunSql(const QString &sql)
{
    try {
        zdb::Query qryRun(Db1());
        qryRun.setSql(sql);
        qryRun.execute();
    } catch (...) {
        // Fire and forget: the name copies it writes are refreshed on the next edit.
    }
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
    const QUrl url = QUrl::fromUserInput(target, ProgramDir(), QUrl::AssumeLocalFile);
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        // A program is started on its own; everything else goes to the desktop's handler.
        if (info.isFile() && info.isExecutable() && info.suffix().isEmpty()) {
            QProcess::startDetached(info.absoluteFilePath(), {}, ProgramDir());
            return;
        }
    }
    QDesktopServices::openUrl(url);
}
