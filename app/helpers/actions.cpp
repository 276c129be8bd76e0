#include "app/helpers/actions.h"

#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void initResourcesOnce()
{
    Q_INIT_RESOURCE(zentavo);
}

void InitZentavoResources()
{
    static const bool done = (initResourcesOnce(), true);
    Q_UNUSED(done);
}

QIcon ZIcon(const QString &name)
{
    InitZentavoResources();
    const QString path = QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QPixmap ZPicture(const QString &name, int size)
{
    InitZentavoResources();
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pics/") + name + QStringLiteral(".svg"));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
}

QAction *MakeAction(QObject *parent, const QString &objectName, const QString &caption,
                    const QString &hint, const QKeySequence &shortcut, const QString &iconName)
{
    auto *action = new QAction(caption, parent);
    action->setObjectName(objectName);
    const QString tip = hint.isEmpty() ? caption : hint;
    action->setStatusTip(tip);
    action->setToolTip(tip);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!iconName.isEmpty())
        action->setIcon(ZIcon(iconName));
    return action;
}

void AddActions(QMenu *menu, const QList<QAction *> &actions)
{
    for (QAction *a : actions) {
        if (a)
            menu->addAction(a);
        else
            menu->addSeparator();
    }
}
