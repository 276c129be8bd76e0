#pragma once

// Common helpers used by every window: fixed-caption message boxes, null-safe
// readers, text folding and cleaning, tolerant number parsing, the one-line
// input dialog and remembered dialog positions.

#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;

// The program folder: the executable's folder (no trailing separator), or the
// folder named by ZENTAVO_DIR. Set once at start by InitProgramDir().
const QString &ProgramDir();
void InitProgramDir();                       // reads ZENTAVO_DIR, else the executable's folder
void SetProgramDir(const QString &dir);      // tests
void ClearProgramDir();
QString ProgramPath(const QString &relative); // ProgramDir + separator + relative, native separators
QString IniFilePath();                        // ProgramDir/Zentavo.ini

// Message boxes with fixed captions and icons.
bool AskYesNo(const QString &message, const QString &caption, QWidget *owner = nullptr);
void ShowError(const QString &message, QWidget *owner = nullptr);
void ShowWarning(const QString &message, QWidget *owner = nullptr);
void ShowInfo(const QString &message, QWidget *owner = nullptr);
// The general error box: caption "Zentavo", error sign, full-stop rule.
void ShowUnhandledError(const QString &message, QWidget *owner = nullptr);

// Null-safe readers of record-set values (an invalid QVariant is empty).
QString VarToStrNull(const QVariant &v);
int VarToIntNull(const QVariant &v);         // throws zdb::Error for a non-integer text
double VarToFloatNull(const QVariant &v);
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
QChar DecimalSeparator();                    // of the program's locale

int YearOfDate(const QDate &d);
int MonthOfDate(const QDate &d);
int DayOfDate(const QDate &d);

// One-line input dialog; true when confirmed (text written back).
bool InputWithMask(const QString &caption, const QString &prompt, const QString &mask, QString &text);

// Dialog positions in the ini file, one section per form name.
void LoadFormPosition(const QString &formName, int &left, int &top);
void SaveFormPosition(const QString &formName, int left, int top);
void LoadFormBounds(const QString &formName, int &left, int &top, int &width, int &height);
void SaveFormBounds(const QString &formName, int left, int top, int width, int height);
// What most dialogs do when shown and when closed: move the window to its
// remembered position (kept on a visible screen), and remember where it is.
void RestoreFormPosition(QWidget *w, const QString &formName);
void RememberFormPosition(QWidget *w, const QString &formName);
