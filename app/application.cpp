#include "app/application.h"

#include "app/outputdialogs.h"

#include "app/helpers/actions.h"

#include "app/helpers/dialogbehaviour.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "db/recordset.h"

#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QProxyStyle>
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

namespace {

// Password inputs show "*" for each typed character, on every style. Asked of
// the style rather than set by a style sheet: an application style sheet
// takes over the painting of every line edit, and the inner edit of a date
// field or spin box would then paint over the focus colour of its box.
class StarPasswordStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

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

bool LoadQtTranslations(QApplication &app)
{
    // Qt's own dialogs and texts (file dialogs, print preview, the context
    // menu of the text boxes) speak the program's language. Once per
    // application: a second call finds them installed.
    static QTranslator *installed = nullptr;
    if (installed)
        return true;
    auto *translator = new QTranslator(&app);
    const QLocale hungarian(QLocale::Hungarian, QLocale::Hungary);
    if (!translator->load(hungarian, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    installed = translator;
    QObject::connect(translator, &QObject::destroyed, [] { installed = nullptr; });
    return true;
}

void SetUpApplication(QApplication &app)
{
    InitZentavoResources();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    LoadQtTranslations(app);
    app.setApplicationName(QStringLiteral("Zentavo"));
    app.setApplicationDisplayName(QString());
    // Lets the desktop match the windows to the menu entry and its icon.
    app.setDesktopFileName(QStringLiteral("hu.zentavo.Zentavo"));
    app.setQuitOnLastWindowClosed(false);
    if (!dynamic_cast<StarPasswordStyle *>(app.style()))
        app.setStyle(new StarPasswordStyle);
    InstallDialogBehaviour(&app);
    InstallOutputDialogs();
    app.installEventFilter(new WheelToArrows(&app));
    zdb::RecordSet::setBusyHook([](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    });
}
