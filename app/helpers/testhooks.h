#pragma once

// Test hooks: when automatic mode is on, no real modal box appears. Message
// boxes, input dialogs and file choosers take their answers from queues, and
// every modal dialog run through execDialog() is handed to a queued callback
// (which fills it in and accepts or rejects it) after it has started.

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

namespace testhooks {

struct ShownMessage
{
    QString caption;
    QString text;
    QString icon;   // "question", "error", "warning", "information"
};

void setAutomatic(bool on);
bool automatic();

// Offscreen there is no system tray; tests of the tray path pretend one.
void setSystemTrayAssumed(bool on);
bool systemTrayAssumed();

// AskYesNo answers; with the queue empty an automatic AskYesNo answers No.
void setNextAnswer(bool yes);
// InputWithMask answers; with the queue empty an automatic input is cancelled.
void setNextInput(bool ok, const QString &text = {});
// File and folder choosers; an empty name means the user cancelled.
void setNextFileName(const QString &fileName);
// The filter the user leaves chosen in the next save-file dialog.
void setNextFileFilter(const QString &filter);
void setNextFolder(const QString &folder);

QList<ShownMessage> shownMessages();
ShownMessage lastMessage();
void clearMessages();

// Called with the dialog once its modal loop runs. With no callback queued an
// automatic dialog is rejected, and so is one the callback leaves open.
void onNextDialog(std::function<void(QDialog *)> callback);
int pendingDialogCallbacks();
// Called with a dialog that opens in automatic mode with no callback queued,
// before it is rejected: tests fail there, since nobody meant it to open.
// Kept across reset(); an empty function removes it.
void onUnexpectedDialog(std::function<void(QDialog *)> handler);
void unexpectedDialog(QDialog *dialog);
void reset();   // clears every queue and the recorded messages

// A whole-program run under a test script (the installed program): with
// ZENTAVO_TEST_QUIT_MS=n in the environment every box is answered
// automatically, each message is also written to the standard error as
// "zentavo-message: <caption>: <text>", and the main window is closed, as the
// user would close it, n ms after the event loop starts. Without it, nothing.
void armFromEnvironment();

// Used by the program itself.
bool takeAnswer(bool &yes);
bool takeInput(bool &ok, QString &text);
bool takeFileName(QString &fileName);
QString takeFileFilter();
bool takeFolder(QString &folder);
void recordMessage(const ShownMessage &m);

} // namespace testhooks

// Runs a modal dialog; every dialog of the program goes through here.
int execDialog(QDialog *dialog);
// The parent of a dialog opened by an entry function: the active window,
// else the main window.
QWidget *DialogParent();
// File choosers that honour the hooks.
QString chooseOpenFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
// selectedFilter, when given, receives the filter chosen in the dialog.
QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                       QString *selectedFilter = nullptr);
// A save chooser for files that carry an extension: a name given without one
// gets the first extension of the chosen filter (else `suffix`, without its
// dot). The dialog itself only knew the name as typed, so when the extension
// was added here and that file exists, the user is asked before it is
// replaced. Empty when the user cancels or keeps the old file.
QString chooseSaveFileWithSuffix(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                                 const QString &suffix, QString *selectedFilter = nullptr);
QString chooseFolder(QWidget *parent, const QString &caption, const QString &dir);
