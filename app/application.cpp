#include "app/application.h"

#include "app/helpers/actions.h"

#include "app/helpers/dialogbehaviour.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "db/recordset.h"

#include <QKeyEvent>
#include <QLocale>
#include <QWheelEvent>
#include <QWidget>

ZApplication::ZApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool ZApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    // An error no window caught ends the action, not the program.
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool WheelToArrows::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const auto *wheel = static_cast<QWheelEvent *>(event);
    // Touchpad gestures begin and end with empty wheel messages, and sideways
    // scrolling moves nothing up or down: neither is an arrow press. They are
    // still swallowed, as every wheel message is.
    const int rotation = wheel->angleDelta().y();
    if (rotation == 0)
        return true;
    const int key = rotation > 0 ? Qt::Key_Up : Qt::Key_Down;
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = qobject_cast<QWidget *>(watched);
    if (target) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    return true;
}

void SetUpApplication(QApplication &app)
{
    InitZentavoResources();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    app.setApplicationName(QStringLiteral("Zentavo"));
    app.setApplicationDisplayName(QString());
    // Lets the desktop match the windows to the menu entry and its icon.
    app.setDesktopFileName(QStringLiteral("hu.zentavo.Zentavo"));
    app.setQuitOnLastWindowClosed(false);
    // Password inputs show "*" for each typed character, on every style.
    app.setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    InstallDialogBehaviour(&app);
    app.installEventFilter(new WheelToArrows(&app));
    zdb::RecordSet::setBusyHook([](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    });
}
