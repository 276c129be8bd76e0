#pragma once

// The helpers that need no widgets: the program folder, null-safe readers,
// text folding and cleaning, tolerant number parsing and date parts. A
// library of their own (Qt Core only), so headless tools and fuzzers use the
// very same code as the windows.

#include <QChar>
#include <QDate>
#include <QString>
#include <QVariant>

namespace zdb { class RecordSet; }

// The program folder (no trailing separator): the folder named by ZENTAVO_DIR,
// else for an installed program (<prefix>/bin beside <prefix>/share/zentavo)
// the user's data folder $XDG_DATA_HOME/zentavo, else the executable's folder.
// An installed program takes the read-only files (help, pictures) from the
// shared folder when the program folder has no copy of its own.
// Set once at start by InitProgramDir().
struct ProgramFolders
{
    QString programDir;
    QString sharedDir;   // empty when the program is not installed
};
ProgramFolders ResolveProgramFolders(const QString &executableDir, const QString &envDir, const QString &dataHome);
const QString &ProgramDir();
const QString &SharedFilesDir();
void InitProgramDir();                       // reads ZENTAVO_DIR, the executable's folder, the data folder
void SetProgramDir(const QString &dir, const QString &sharedDir = {});   // tests
void ClearProgramDir();
// ProgramDir + separator + relative, native separators; a file missing there
// but present in the shared folder gives the shared one.
QString ProgramPath(const QString &relative);
QString IniFilePath();                        // ProgramDir/Zentavo.ini

// Null-safe readers of record-set values (an invalid QVariant is empty).
QString VarToStrNull(const QVariant &v);
int VarToIntNull(const QVariant &v);         // throws zdb::Error for a non-integer text
double VarToFloatNull(const QVariant &v);
// An integer, or 0 for an empty value or a text that is no number: rows
// written by other programs may hold anything in an integer column.
int IntOrZero(const QVariant &v);
QDate VarToDateNull(const QVariant &v);      // empty gives 1899-12-30

// Text helpers
QString SortKeyOf(const QString &text);
QString ExtractToken(QChar separator, const QString &text, int n);
QString ReplaceChar(const QVariant &value, QChar a, QChar b);
QString RemoveSpaces(const QString &text);
QString JoinLines(const QString &text);
QString SafeFileName(const QString &text);
double ParseFloatLoose(const QString &text);
int ParseIntLoose(const QString &text);
// The trimming rule of loose parsing and imports: spaces, tabs and the
// no-break space, line ends and other control characters at both ends go.
QString TrimLoose(const QString &text);
QChar DecimalSeparator();                    // of the program's locale

int YearOfDate(const QDate &d);
int MonthOfDate(const QDate &d);
int DayOfDate(const QDate &d);


// Reads the rows again and puts the user back on the row they were on. A row
// that has left the list (a done task under the open-tasks filter) gives its
// place to the row after it, or the one before it at the end of the list, so
// a second command never lands on a row the user did not choose.
void ReopenKeepingPlace(zdb::RecordSet *rs, const QString &idField);
// A field of the record set's current row (the row being edited included);
// empty text / 0 when there is none or no record set.
QString CurrentRowText(const zdb::RecordSet *rs, const QString &field);
int CurrentRowInt(const zdb::RecordSet *rs, const QString &field);
