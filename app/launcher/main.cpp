// zentavo-start: what the menu entry runs. On the very first start of a user
// (neither the ini file nor the database in the program folder) it makes an
// empty database with zentavo-mkdb and says so; then it runs the program.
// The program itself never creates its database, so a database that goes
// missing later is still reported as missing.

#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString besideMe(const char *name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

// Returns false, after telling the user why, when no database could be made.
bool makeFirstDatabase(const QString &dbPath)
{
    QProcess mkdb;
    mkdb.setProcessChannelMode(QProcess::MergedChannels);
    mkdb.start(besideMe("zentavo-mkdb"), {dbPath});
    const bool finished = mkdb.waitForFinished(60000);
    if (!finished || mkdb.exitStatus() != QProcess::NormalExit || mkdb.exitCode() != 0) {
        QString detail = QString::fromLocal8Bit(mkdb.readAll()).trimmed();
        if (detail.isEmpty())
            detail = mkdb.errorString();
        ShowError(QStringLiteral("Az első indításkor nem sikerült elkészíteni az adatbázist:\n%1\n\n%2")
                      .arg(QDir::toNativeSeparators(dbPath), detail));
        return false;
    }
    ShowInfo(QStringLiteral("Üdvözöljük! Ez a Zentavo első indítása, ezért elkészült egy új, üres adatbázis:\n%1\n\n"
                            "Másik adatbázist a Rendszer / Beállítások ablakban választhat.")
                 .arg(QDir::toNativeSeparators(dbPath)));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    int rc = 0;
    QByteArray program;
    {
        QApplication app(argc, argv);
        app.setApplicationName(QStringLiteral("Zentavo"));
        app.setDesktopFileName(QStringLiteral("hu.zentavo.Zentavo"));
        testhooks::armFromEnvironment();
        InitProgramDir();
        program = QFile::encodeName(besideMe("zentavo"));

        const QString dbPath = ProgramPath(QStringLiteral("Zentavo.sqb"));
        const bool firstStart = !QFileInfo::exists(IniFilePath()) && !QFileInfo::exists(dbPath);
        if (firstStart) {
            QDir().mkpath(ProgramDir());
            if (!makeFirstDatabase(dbPath))
                rc = 1;
        }
    }
    if (rc != 0)
        return rc;

    // The program takes this process over, so the desktop sees one program
    // starting and the exit code is the program's.
    char *const args[] = {const_cast<char *>(program.constData()), nullptr};
    ::execv(program.constData(), args);
    std::fprintf(stderr, "zentavo-start: %s: %s\n", program.constData(), std::strerror(errno));
    return 127;
}
