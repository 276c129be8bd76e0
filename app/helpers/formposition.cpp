#include "app/helpers/helpers.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

constexpr int kDefaultCoordinate = 10;

// A value that is missing or not a whole number reads as the default.
int readInt(const QSettings &ini, const QString &key, int fallback)
{
    const QVariant v = ini.value(key);
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok, 10);
    return ok ? n : fallback;
}

} // namespace

void LoadFormPosition(const QString &formName, int &left, int &top)
{
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    ini.beginGroup(formName);
    left = readInt(ini, QStringLiteral("Left"), kDefaultCoordinate);
    top = readInt(ini, QStringLiteral("Top"), kDefaultCoordinate);
}

void SaveFormPosition(const QString &formName, int left, int top)
{
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    ini.beginGroup(formName);
    ini.setValue(QStringLiteral("Left"), left);
    ini.setValue(QStringLiteral("Top"), top);
}

void LoadFormBounds(const QString &formName, int &left, int &top, int &width, int &height)
{
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    ini.beginGroup(formName);
    left = readInt(ini, QStringLiteral("Left"), kDefaultCoordinate);
    top = readInt(ini, QStringLiteral("Top"), kDefaultCoordinate);
    width = readInt(ini, QStringLiteral("Width"), width);
    height = readInt(ini, QStringLiteral("Height"), height);
}

void SaveFormBounds(const QString &formName, int left, int top, int width, int height)
{
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    ini.beginGroup(formName);
    ini.setValue(QStringLiteral("Left"), left);
    ini.setValue(QStringLiteral("Top"), top);
    ini.setValue(QStringLiteral("Width"), width);
    ini.setValue(QStringLiteral("Height"), height);
}

QRect ClampToArea(const QRect &rect, const QRect &area)
{
    if (area.isEmpty())
        return rect;
    QRect r(rect.topLeft(), rect.size().boundedTo(area.size()));
    r.moveLeft(qBound(area.left(), r.left(), area.right() - r.width() + 1));
    r.moveTop(qBound(area.top(), r.top(), area.bottom() - r.height() + 1));
    return r;
}

namespace {

// The work area of the screen the rectangle mostly lies on; the primary
// screen's when it lies on none (a screen that is no longer attached).
QRect workAreaFor(const QRect &frame)
{
    const QScreen *best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best)
        best = QGuiApplication::primaryScreen();
    return best ? best->availableGeometry() : QRect();
}

// The window's outer size once the window system has framed it; before that
// its own size, never a guess: a guessed frame larger than the real one would
// push a dialog at the screen's edge a little further in at every opening.
QSize outerSize(const QWidget *w)
{
    return w->testAttribute(Qt::WA_WState_Created) ? w->frameGeometry().size() : w->size();
}

} // namespace

void RestoreFormPosition(QWidget *w, const QString &formName)
{
    if (!w)
        return;
    QSettings ini(IniFilePath(), QSettings::IniFormat);
    const bool stored = ini.contains(formName + QStringLiteral("/Left")) && ini.contains(formName + QStringLiteral("/Top"));
    const QSize size = outerSize(w);
    QPoint pos;
    if (stored) {
        int left = kDefaultCoordinate;
        int top = kDefaultCoordinate;
        LoadFormPosition(formName, left, top);
        pos = QPoint(left, top);
    } else {
        // Never shown before: centred on the window it belongs to, not over
        // the main window's menu in the corner of the screen.
        const QWidget *owner = w->parentWidget() ? w->parentWidget()->window() : nullptr;
        if (!owner)
            owner = QApplication::activeWindow();
        const QRect around = owner && owner != w && owner->isVisible() ? owner->frameGeometry()
                                                                        : workAreaFor(QRect(QCursor::pos(), QSize(1, 1)));
        pos = around.center() - QPoint(size.width() / 2, size.height() / 2);
    }
    w->move(ClampToArea(QRect(pos, size), workAreaFor(QRect(pos, size))).topLeft());
}

void RememberFormPosition(QWidget *w, const QString &formName)
{
    if (!w)
        return;
    SaveFormPosition(formName, w->pos().x(), w->pos().y());
}
