#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"

#include "db/dberror.h"

#include <QApplication>
#include <QGuiApplication>

QString ExceptionMessage(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const zdb::Error &e) {
        return e.message();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Nincs elég memória");
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Ismeretlen hiba");
    }
}

bool RunGuarded(const std::function<void()> &action, QWidget *owner)
{
    try {
        action();
        return true;
    } catch (const zdb::BusyDeclined &) {
        // The user was asked about the locked file and chose to stop.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return false;
    } catch (...) {
        const QString message = ExceptionMessage(std::current_exception());
        // A busy pointer left by an interrupted load must not outlive the action.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        ShowUnhandledError(message, owner ? owner : QApplication::activeWindow());
        return false;
    }
}
