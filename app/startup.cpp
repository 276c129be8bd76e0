// The start sequence and the ini file of the main window.

#include "app/mainwindow.h"
#include "app/restoredialog.h"

#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/logindialog.h"

#include "db/connection.h"
#include "db/recordset.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// Ini values written by hand or by other programs may be anything: a value
// that does not read as a number keeps the default.
int iniInt(const QSettings &ini, const QString &key, int fallback)
{
    bool ok = false;
    const int v = ini.value(key).toString().trimmed().toInt(&ok);
    return ok ? v : fallback;
}

bool iniBool(const QSettings &ini, const QString &key)
{
    const QString v = ini.value(key).toString().trimmed().toLower();
    return v == QLatin1String("1") || v == QLatin1String("true") || v == QLatin1String("-1");
}

QString defaultHtmlDir()
{
    return ProgramPath(QStringLiteral("Html"));
}

} // namespace

void Tfrm_Main::readIni()
{
    TBeall &beall = Beall();
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    beall.FullScreen = iniBool(ini, QStringLiteral("Screen/FullScreen"));
    beall.CalendarDay = QDate::currentDate();
    const int left = iniInt(ini, QStringLiteral("Screen/Left"), 0);
    const int top = iniInt(ini, QStringLiteral("Screen/Top"), 0);
    int width = iniInt(ini, QStringLiteral("Screen/Width"), 777);
    int height = iniInt(ini, QStringLiteral("Screen/Height"), 550);
    // A window of no size could not be found again.
    if (width < 200)
        width = 777;
    if (height < 150)
        height = 550;
    setGeometry(left, top, width, height);
    resize(width, height);

    beall.DatabasePath = ini.value(QStringLiteral("Database/Path")).toString().trimmed();
    if (beall.DatabasePath.isEmpty())
        beall.DatabasePath = ProgramPath(QStringLiteral("Zentavo.sqb"));
    beall.HtmlDir = ini.value(QStringLiteral("Defaults/HtmlPath"), defaultHtmlDir()).toString().trimmed();
}

void Tfrm_Main::writeIni()
{
    const TBeall &beall = Beall();
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Screen/FullScreen"), beall.FullScreen ? 1 : 0);
    const QRect bounds = geometry();
    ini.setValue(QStringLiteral("Screen/Left"), bounds.left());
    ini.setValue(QStringLiteral("Screen/Top"), bounds.top());
    ini.setValue(QStringLiteral("Screen/Width"), bounds.width());
    ini.setValue(QStringLiteral("Screen/Height"), bounds.height());
    ini.setValue(QStringLiteral("Database/Path"), beall.DatabasePath);
    ini.setValue(QStringLiteral("Defaults/HtmlPath"), beall.HtmlDir);
    ini.sync();
    m_iniWritten = true;
}

void Tfrm_Main::openDatabase()
{
    if (m_db->isConnected())
        m_db->close();
    m_db->setPath(Beall().DatabasePath);
    m_db->driverDll = ProgramPath(QStringLiteral("sqlite3"));
    // Another program holding the file locked makes a statement wait this
    // long, then fail with SQLite's message instead of hanging the program.
    m_db->timeOut = 5000;
    // The program never creates its database, not even when the file
    // vanished after the start checked it.
    m_db->mustExist = true;
    m_db->open();
}

void Tfrm_Main::readSettingsRow()
{
    TBeall &beall = Beall();
    m_tblBeallit->open();
    beall.LoginRequired = m_tblBeallit->text(QStringLiteral("vanbelep")) == QLatin1String("I");
    beall.SenderName = VarToStrNull(m_tblBeallit->value(QStringLiteral("sendername")));
    beall.SenderEmail = VarToStrNull(m_tblBeallit->value(QStringLiteral("senderemil")));
    m_tblBeallit->close();
}

void Tfrm_Main::readOwnerName()
{
    const bool wasOpen = m_tblTulajdonos->isOpen();
    if (!wasOpen)
        m_tblTulajdonos->open();
    const QString owner = VarToStrNull(m_tblTulajdonos->value(QStringLiteral("tulajdonos")));
    if (!wasOpen)
        m_tblTulajdonos->close();
    setWindowTitle(QStringLiteral("Zentavo: [") + owner + QLatin1Char(']'));
}

bool Tfrm_Main::startUp()
{
    TBeall &beall = Beall();
    beall.clearWindowFlags();

    QDir().mkpath(defaultHtmlDir());

    readIni();
    // The file the connection will open: a name without an extension gets
    // ".sqb", and a check of the bare name would let SQLite create an empty one.
    m_db->setPath(beall.DatabasePath);
    if (!QFileInfo(m_db->fullPath()).isFile()) {
        ShowError(QStringLiteral("Nem létező adatbázis"), this);
        return false;
    }
    // A damaged file is not opened: nothing may be written to it.
    if (!CheckDatabaseAtStart(m_db->fullPath(), this))
        return false;
    const QFileInfo html(beall.HtmlDir);
    if (beall.HtmlDir.isEmpty() || !html.isDir())
        beall.HtmlDir = defaultHtmlDir();

    // A database that cannot be opened or read is reported; the window still
    // opens, and each list then reports its own database error.
    beall.LoginRequired = false;
    const bool dbOk = RunGuarded([this] {
        openDatabase();
        readSettingsRow();
        readOwnerName();
    }, this);

    if (!dbOk || !beall.LoginRequired) {
        beall.IsAdministrator = true;
        beall.CurrentUser = QStringLiteral("rendszergazda");
        beall.CanEditMasterData = true;
        return true;
    }

    try {
        return RunLogin(this);
    } catch (...) {
        ShowError(QStringLiteral("Ismeretlen hiba, indítsa újra a programot.\r\n") + ExceptionMessage(std::current_exception()), this);
        return false;
    }
}
