#include "masterdata/masterlist.h"

#include "masterdata/entries.h"
#include "scheduling/entries.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listchild.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QAction>
#include <QPixmapCache>

namespace {

constexpr int kMarkerWidth = 18;

// Every visible cell asks for its picture on each paint; draw each one once.
QPixmap cachedPicture(const QString &name)
{
    const QString key = QStringLiteral("zentavo-marker-") + name;
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = ZPicture(name, 16);
        QPixmapCache::insert(key, pm);
    }
    return pm;
}

GridColumn markerColumn(const QString &field, const QString &title, const QString &otherPicture)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.width = kMarkerWidth;
    c.titleAlignment = Qt::AlignCenter;
    c.picture = [otherPicture](const QVariant &v) {
        return cachedPicture(VarToStrNull(v) == QLatin1String("N") ? QStringLiteral("nem") : otherPicture);
    };
    return c;
}

} // namespace

GridColumn CommentMarkerColumn()
{
    return markerColumn(QStringLiteral("vanmegj"), QStringLiteral("!"), QStringLiteral("megjegyzes_i"));
}

GridColumn ClosedMarkerColumn()
{
    return markerColumn(QStringLiteral("lezarva"), QStringLiteral("?"), QStringLiteral("lakat"));
}

void RewriteCopiedName(const QString &idField, const QString &nameField, int id, const QString &name)
{
    // 0 is "no master record": every unlinked task would get the name.
    if (id == 0)
        return;
    // The values are bound; the tables' before-save rule moves the sort-key
    // copy with the name, so a list sorted by that column puts the rows in
    // their place. A failure is reported, never swallowed.
    // Tasks and calendar entries change together or not at all: a savepoint
    // inside a transaction someone holds, a transaction of its own outside
    // one (a server has no savepoint outside a transaction).
    zdb::Connection *db = Db1();
    const bool own = !db->inTransaction();
    db->executeDirect(own ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT nevcsere"));
    try {
        for (const QString &table : {QStringLiteral("dolog3"), QStringLiteral("dolog1")})
            zdb::UpdateWhere(db, table, {{nameField, name}}, idField + QStringLiteral("=?"), {id});
        db->executeDirect(own ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE nevcsere"));
    } catch (...) {
        try {
            if (!own)
                db->executeDirect(QStringLiteral("ROLLBACK TO nevcsere; RELEASE nevcsere"));
            else if (db->inTransaction())
                db->rollback();
        } catch (...) {
        }
        // The rows written before the failure are back as they were.
        zdb::TableChanges::notify(QStringLiteral("dolog3"));
        throw;
    }
}

int GiveMasterId(zdb::Table *tbl, const QString &idField)
{
    return zdb::GiveIdentifier(tbl, idField);
}

int CurrentMasterId(const ListChild *w, const QString &idField)
{
    const zdb::Table *tbl = w->table();
    if (!tbl || !tbl->isOpen() || tbl->currentRow() < 0)
        return 0;
    return IntOrZero(tbl->value(idField));
}

QString CurrentMasterName(const ListChild *w, const QString &nameField)
{
    const zdb::Table *tbl = w->table();
    if (!tbl || !tbl->isOpen() || tbl->currentRow() < 0)
        return {};
    return VarToStrNull(tbl->value(nameField));
}

LinkedCommands AddLinkedCommands(ListChild *w, int linkKind, const QString &idField, const QString &nameField,
                                 const QString &commentCaption)
{
    LinkedCommands c;
    auto target = [w, idField, nameField](const std::function<void(int, const QString &)> &run, bool links = false) {
        return [w, idField, nameField, run, links] {
            // Nothing is linked to an empty list.
            if (!w->table() || w->table()->currentRow() < 0)
                return;
            const int id = links ? GiveMasterId(w->table(), idField) : CurrentMasterId(w, idField);
            if (links && id == 0)
                return;
            run(id, CurrentMasterName(w, nameField));
        };
    };
    c.aFeladat = w->addCommand(QStringLiteral("aFeladat"), QStringLiteral("Feladatok"), QStringLiteral("Feladatok"), {},
                               QStringLiteral("feladat"),
                               target([linkKind](int id, const QString &) { ShowRelatedTasks(linkKind, id); }));
    c.aUjFeladat = w->addCommand(QStringLiteral("aUjFeladat"), QStringLiteral("Új feladat"), QStringLiteral("Új feladat"),
                                 {}, QStringLiteral("uj"), target([linkKind](int id, const QString &name) {
                                     EditTask(true, linkKind, id, name);
                                 }, true));
    c.aNaptar = w->addCommand(QStringLiteral("aNaptar"), QStringLiteral("Naptár"), QStringLiteral("Naptár"), {},
                              QStringLiteral("naptar"),
                              target([linkKind](int id, const QString &) { ShowRelatedCalendar(linkKind, id); }));
    c.aUjNaptar = w->addCommand(QStringLiteral("aUjNaptar"), QStringLiteral("Új naptár bejegyzés"),
                                QStringLiteral("Új naptár bejegyzés"), {}, QStringLiteral("uj"),
                                target([linkKind](int id, const QString &name) {
                                    EditCalendarEntry(true, linkKind, id, name);
                                }, true));
    c.aMegjegyzes = w->addCommand(QStringLiteral("aMegjegyzes"), commentCaption, QStringLiteral("Megjegyzések"),
                                  QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("megjegyzes"),
                                  target([linkKind](int id, const QString &name) { ShowComments(linkKind, id, name); }, true));
    return c;
}

QList<QAction *> LinkedCommands::rowCommands() const
{
    QList<QAction *> out;
    for (QAction *a : {aFeladat, aUjFeladat, aNaptar, aUjNaptar, aMegjegyzes})
        if (a)
            out << a;
    return out;
}

void PostOrCancel(zdb::RecordSet *recordSet)
{
    try {
        recordSet->post();
    } catch (...) {
        recordSet->cancel();
        throw;
    }
}
