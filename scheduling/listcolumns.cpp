#include "scheduling/listcolumns.h"

#include "app/helpers/helpers.h"
#include "scheduling/records.h"

#include <QPixmapCache>

#include <functional>

namespace {

// Every visible cell asks for its picture on each paint; draw each one once.
QPixmap cached(const QString &key, const std::function<QPixmap()> &draw)
{
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = draw();
        QPixmapCache::insert(key, pm);
    }
    return pm;
}


GridColumn pictureColumn(const QString &field, const QString &title,
                         std::function<QPixmap(const QVariant &)> picture)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = PictureColumnWidth;
    c.alignment = Qt::AlignCenter;
    c.titleAlignment = Qt::AlignCenter;
    c.picture = std::move(picture);
    return c;
}

} // namespace

GridColumn PriorityColumn()
{
    return pictureColumn(QStringLiteral("fontos"), QStringLiteral("!"), [](const QVariant &v) {
        const int n = IntOrZero(v);
        return cached(QStringLiteral("zentavo-prio-%1").arg(n), [n] { return PriorityPicture(n, 16); });
    });
}

GridColumn StatusColumn()
{
    return pictureColumn(QStringLiteral("statusz"), QStringLiteral("!"), [](const QVariant &v) {
        const int n = IntOrZero(v);
        return cached(QStringLiteral("zentavo-status-%1").arg(n), [n] { return StatusPicture(n, 16); });
    });
}

GridColumn DoneColumn()
{
    return pictureColumn(QStringLiteral("kesz"), QStringLiteral("?"), [](const QVariant &v) {
        const QString kesz = VarToStrNull(v);
        const bool done = IsDoneFlag(kesz);
        return cached(done ? QStringLiteral("zentavo-done-i") : QStringLiteral("zentavo-done-n"),
                      [kesz] { return DonePicture(kesz, 16); });
    });
}
