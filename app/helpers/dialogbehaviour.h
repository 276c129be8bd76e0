#pragma once

// The keyboard and focus behaviour every dialog of the program shares:
//  - a focused one-line input (line edit, spin box or date field, editable
//    combo box) is painted sky blue and gets its own colour back on leaving;
//  - Enter in such an input, a check box, a radio button, a combo box or a
//    tool button (a field's picture button) moves the focus to the next
//    control in tab order instead of pressing the default button or the tool
//    button; on a push button Enter clicks that button; multi-line editors
//    keep Enter as a new line.
// A dialog is any window that is a QDialog (the toolkit's own file, message,
// print and similar dialogs excepted) or carries the dynamic property
// "zentavoDialog" = true; "zentavoDialog" = false opts a dialog out. A single
// widget keeps the toolkit's Enter handling (the default button) with the
// dynamic property "zentavoEnterKeepsDefault" = true.

#include <QColor>

class QApplication;
class QWidget;

// Installs the behaviour once for the whole application; later calls do nothing.
void InstallDialogBehaviour(QApplication *app);

// The colour of the focused input.
inline QColor FocusHighlightColor() { return QColor(166, 202, 240); }

// Whether the behaviour applies to the window of w.
bool IsZentavoDialog(const QWidget *w);

// Moves the focus to the control that follows `from` in tab order, the way
// Enter does (a control's own inner parts are passed over).
void FocusNextControl(QWidget *from);
