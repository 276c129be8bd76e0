#include "masterdata/mastercolumns.h"

#include "app/helpers/actions.h"
#include "app/helpers/common.h"

#include <QPixmapCache>

namespace {

QPixmap markerPicture(bool hasComments)
{
    const QString key = hasComments ? QStringLiteral("zentavo-vanmegj-i") : QStringLiteral("zentavo-vanmegj-n");
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = ZPicture(hasComments ? QStringLiteral("megjegyzes_i") : QStringLiteral("kesz_n"), 16);
        QPixmapCache::insert(key, pm);
    }
    return pm;
}

} // namespace

GridColumn CommentMarkerColumn()
{
    GridColumn c;
    c.field = QStringLiteral("vanmegj");
    c.title = QStringLiteral("!");
    c.width = 18;
    c.alignment = Qt::AlignCenter;
    c.titleAlignment = Qt::AlignCenter;
    c.picture = [](const QVariant &v) { return markerPicture(VarToStrNull(v) != QLatin1String("N")); };
    return c;
}
