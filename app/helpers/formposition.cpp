#include "app/helpers/helpers.h"

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

void RestoreFormPosition(QWidget *w, const QString &formName)
{
    if (!w)
        return;
    int left = kDefaultCoordinate;
    int top = kDefaultCoordinate;
    LoadFormPosition(formName, left, top);
    QPoint pos(left, top);
    // A position remembered on a screen that is no longer attached would put
    // the dialog out of reach; bring it back onto the main screen.
    const QRect frame(pos, w->frameGeometry().size());
    if (!QGuiApplication::screenAt(frame.topLeft() + QPoint(16, 16))) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            pos.setX(qBound(area.left(), pos.x(), qMax(area.left(), area.right() - frame.width() + 1)));
            pos.setY(qBound(area.top(), pos.y(), qMax(area.top(), area.bottom() - frame.height() + 1)));
        }
    }
    w->move(pos);
}

void RememberFormPosition(QWidget *w, const QString &formName)
{
    if (!w)
        return;
    SaveFormPosition(formName, w->pos().x(), w->pos().y());
}
