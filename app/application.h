#pragma once

#include <QApplication>

// The application object: the last line of the general error handling, and
// the mouse-wheel rule (one wheel message = one arrow key press).
class ZApplication : public QApplication
{
    Q_OBJECT
public:
    ZApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Turns every wheel message into one Up (away from the user) or Down key
// press for the focused window. Installed once on the application.
class WheelToArrows : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Locale, application title, busy pointer hook, dialog behaviour.
void SetUpApplication(QApplication &app);

// Installs Qt's Hungarian translations of its own dialogs and texts; false
// when they are not installed on the machine.
bool LoadQtTranslations(QApplication &app);
