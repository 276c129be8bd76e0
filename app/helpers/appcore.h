#pragma once

// What the whole program shares: the settings record of the running program,
// the one database connection and the main window's operations. The main
// window fills it at start; every other window reads and writes it directly.

#include <QDate>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "app/helpers/core/shared.h"
#include "app/helpers/listwindow.h"

class QWidget;

namespace zdb {
class Connection;
class Table;
}

// The longest reminder lead the settings accept: a day.
constexpr int kMaxReminderMinutes = 1440;

struct TBeall
{
    bool FullScreen = false;
    QString DatabasePath;
    QString HtmlDir;
    QDate CalendarDay;
    bool IsAdministrator = false;
    bool LoginRequired = false;
    bool CanEditMasterData = false;
    QString CurrentUser;
    // The list windows' flags are read from the window area; the quick list,
    // a top-level window outside it, keeps its own.
    WindowOpenFlag ProductWindowOpen{KindProducts};
    WindowOpenFlag CustomerWindowOpen{KindCustomers};
    WindowOpenFlag ProjectWindowOpen{KindProjects};
    WindowOpenFlag TaskWindowOpen{KindTasks};
    WindowOpenFlag CalendarWindowOpen{KindCalendar};
    WindowOpenFlag NotesWindowOpen{KindNotes};
    bool QuickListOpen = false;
    QString SenderName;
    QString SenderEmail;
    // Minutes before an entry's hour its reminder comes; 0 turns reminders off.
    int ReminderMinutes = 15;
    // Where naptar.ics and ugyfelek.vcf are kept current; empty: nowhere.
    QString FeedDir;

    void clearWindowFlags();
};

// The running program's settings record.
TBeall &Beall();

// Largest identifier plus 1 (1 on an empty table); the table may be empty,
// then it equals the field.
int NextId(const QString &field, const QString &table = {});
// One statement, its values bound to the ":name" parameters of the text, so
// user text never becomes SQL. By default its errors are swallowed; with
// SqlErrors::Report they go up to the general error handling. The table it
// writes is announced through zdb::TableChanges.
enum class SqlErrors { Ignore, Report };
void RunSql(const QString &sql, const QVariantMap &params = {}, SqlErrors errors = SqlErrors::Ignore);
// Hand a document, web address, mail link or program to the desktop.
void OpenDocument(const QString &target);
// Starts one of the program's own side programs from the program folder;
// false when it is missing or could not start.
bool StartSideProgram(const QString &program);
// An attached document's path as a file here: trimmed, and a relative one
// taken from the program folder (documents kept beside the program).
QString DocumentFilePath(const QString &path);
// An attached document file, through OpenDocument. A path that names no file here (a drive or
// network path written on another machine) is reported by name; false then.
bool OpenDocumentFile(const QString &path);
// Tests replace the desktop hand-off to see what would be opened.
void SetOpenDocumentHook(std::function<void(const QString &)> hook);
