// The start sequence and the ini file of the main window.

#include "app/mainwindow.h"
#include "app/restoredialog.h"
#include "app/searchwindow.h"

#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/core/restorecopies.h"
#include "app/logindialog.h"

#include "db/connection.h"
#include "db/pgsession.h"
#include "db/recordset.h"

#include <QDir>
#include <QFile>
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

// A text value as one string. QSettings reads an unquoted value holding a
// comma (a path typed into the file by hand) as a list; such a value is read
// from its line in the file instead, exactly as it stands there.
QString iniText(const QSettings &ini, const QString &key, const QString &fallback = {})
{
    const QVariant value = ini.value(key, fallback);
    if (value.typeId() != QMetaType::QStringList)
        return value.toString().trimmed();
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    const QString section = QLatin1Char('[') + key.left(slash) + QLatin1Char(']');
    const QString name = key.mid(slash + 1);
    QFile file(ini.fileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fallback;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed() == name)
            return line.mid(eq + 1).trimmed();
    }
    return fallback;
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

    beall.DatabasePath = iniText(ini, QStringLiteral("Database/Path"));
    if (beall.DatabasePath.isEmpty())
        beall.DatabasePath = ProgramPath(QStringLiteral("Zentavo.sqb"));
    beall.HtmlDir = iniText(ini, QStringLiteral("Defaults/HtmlPath"), defaultHtmlDir());
    SetRestoreCopyFolder(iniText(ini, QStringLiteral("Database/BackupPath")));
    beall.ReminderMinutes = qBound(0, iniInt(ini, QStringLiteral("Defaults/ReminderMinutes"), 15), kMaxReminderMinutes);
    beall.FeedDir = iniText(ini, QStringLiteral("Defaults/FeedPath"));
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
    // A server's password never goes to the ini file.
    ini.setValue(QStringLiteral("Database/Path"), zdb::addressWithoutPassword(beall.DatabasePath));
    ini.setValue(QStringLiteral("Defaults/HtmlPath"), beall.HtmlDir);
    // Only a folder the user chose is written: the default follows the program folder.
    if (ChosenRestoreCopyFolder().isEmpty())
        ini.remove(QStringLiteral("Database/BackupPath"));
    else
        ini.setValue(QStringLiteral("Database/BackupPath"), ChosenRestoreCopyFolder());
    ini.setValue(QStringLiteral("Defaults/ReminderMinutes"), beall.ReminderMinutes);
    ini.setValue(QStringLiteral("Defaults/FeedPath"), beall.FeedDir);
    ini.sync();
    m_iniWritten = true;
}

void Tfrm_Main::openDatabase()
{
    if (m_db->isConnected())
        m_db->close();
    // A server whose password is in no ~/.pgpass or PGPASSFILE asks once.
    zdb::Connection::setPasswordPrompt(
        [](const QString &address) { return AskServerPassword(zdb::addressWithoutPassword(address)); });
    m_db->setPath(Beall().DatabasePath);
    m_db->driverDll = ProgramPath(QStringLiteral("sqlite3"));
    // Another program holding the file locked makes a statement wait this
    // long, then fail with SQLite's message instead of hanging the program.
    m_db->timeOut = 5000;
    // The program never creates its database, not even when the file
    // vanished after the start checked it.
    m_db->mustExist = true;
    m_db->open();
    KeepSearchIndex(m_db);
}

// The login switch is read by itself, before anything else that could fail,
// so that no later error can leave it switched off. Throws when unreadable.
bool Tfrm_Main::readLoginSwitch()
{
    zdb::Query query(m_db, QStringLiteral("SELECT vanbelep FROM beallit LIMIT 1;"));
    query.open();
    return query.text(QStringLiteral("vanbelep")) == QLatin1String("I");
}

// True when the database answers and has no settings table at all: then
// there is no switch that could ask for a login.
bool Tfrm_Main::hasNoSettingsTable()
{
    bool none = false;
    try {
        zdb::Query query(m_db, m_db->isServer()
            ? QStringLiteral("SELECT COUNT(*) AS n FROM information_schema.tables WHERE table_schema = current_schema() AND lower(table_name) = 'beallit';")
            : QStringLiteral("SELECT COUNT(*) AS n FROM sqlite_master WHERE type = 'table' AND lower(name) = 'beallit';"));
        query.open();
        none = query.value(QStringLiteral("n")).toInt() == 0;
    } catch (...) {
        none = false;
    }
    return none;
}

void Tfrm_Main::readSettingsRow()
{
    TBeall &beall = Beall();
    m_tblBeallit->open();
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
    // A missing or damaged file is not opened: nothing may be written to it.
    // The check offers a copy to put in its place.
    // A server database answers for itself when it is opened.
    if (!m_db->isServer() && !CheckDatabaseAtStart(m_db->fullPath(), this))
        return false;
    const QFileInfo html(beall.HtmlDir);
    if (beall.HtmlDir.isEmpty() || !html.isDir())
        beall.HtmlDir = defaultHtmlDir();

    // A database without a settings table is reported and the window still
    // opens (each list then reports its own database error). When the login
    // switch cannot be read (the settings locked by another program, a file
    // that is no database) nobody can tell whether a password is required,
    // so the start ends. Once the switch says "I", no later error skips the
    // login.
    beall.LoginRequired = false;
    bool switchRead = false;
    RunGuarded([&] {
        openDatabase();
        beall.LoginRequired = readLoginSwitch();
        switchRead = true;
        readSettingsRow();
        readOwnerName();
    }, this);

    if (!switchRead && !(m_db->isConnected() && hasNoSettingsTable()))
        return false;

    if (!beall.LoginRequired) {
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
