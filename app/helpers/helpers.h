#pragma once

// Common helpers used by every window: fixed-caption message boxes, the
// one-line input dialog and remembered dialog positions, plus (through
// common.h) the helpers that need no widgets.

#include "app/helpers/core/common.h"

#include <QRect>
#include <QString>

class QWidget;

// Message boxes with fixed captions and icons.
bool AskYesNo(const QString &message, const QString &caption, QWidget *owner = nullptr);
// The same with "Nem" as the default button: for questions whose safe answer is going back.
bool AskYesNoDefaultNo(const QString &message, const QString &caption, QWidget *owner = nullptr);
// A question with two buttons of its own captions (the first the default,
// the second also Esc); true when the first was chosen. Test hooks answer
// it as they answer AskYesNo.
bool AskChoice(const QString &message, const QString &caption, const QString &first, const QString &second,
               QWidget *owner = nullptr);
void ShowError(const QString &message, QWidget *owner = nullptr);
void ShowWarning(const QString &message, QWidget *owner = nullptr);
void ShowInfo(const QString &message, QWidget *owner = nullptr);
// The general error box: caption "Zentavo", error sign, full-stop rule.
void ShowUnhandledError(const QString &message, QWidget *owner = nullptr);

// One-line input dialog; true when confirmed (text written back).
bool InputWithMask(const QString &caption, const QString &prompt, const QString &mask, QString &text);

// The password of a server database, asked once at start with the input
// dialog (typed unseen); empty when the user cancels.
QString AskServerPassword(const QString &address);

// Dialog positions in the ini file, one section per form name.
void LoadFormPosition(const QString &formName, int &left, int &top);
void SaveFormPosition(const QString &formName, int left, int top);
void LoadFormBounds(const QString &formName, int &left, int &top, int &width, int &height);
void SaveFormBounds(const QString &formName, int left, int top, int width, int height);
// What most dialogs do when shown and when closed: move the window to its
// remembered position (kept on a visible screen), and remember where it is.
void RestoreFormPosition(QWidget *w, const QString &formName);
void RememberFormPosition(QWidget *w, const QString &formName);
// The rectangle moved (and, when larger, shrunk) so that it lies wholly in
// the area: a window never opens with its title bar or last rows out of reach.
QRect ClampToArea(const QRect &rect, const QRect &area);
