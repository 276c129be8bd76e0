#include "app/helpers/core/tablewatch.h"

#include "db/catalog.h"
#include "db/recordset.h"

namespace {

const char *const kWatched = "zentavoWatchedTables";

bool watches(const zdb::RecordSet *rs, const QString &table)
{
    if (const auto *tbl = qobject_cast<const zdb::Table *>(rs))
        if (table.compare(tbl->tableName().trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return rs->property(kWatched).toStringList().contains(table, Qt::CaseInsensitive);
}

void reload(zdb::RecordSet *rs)
{
    const auto *tbl = qobject_cast<const zdb::Table *>(rs);
    const zdb::TableDecl *decl = tbl ? zdb::FindCatalogueTable(tbl->tableName()) : nullptr;
    const QString idField = decl && rs->fieldIndex(decl->idField) >= 0 ? decl->idField : QString();
    const bool any = !rs->isEmpty() && rs->currentRow() >= 0;
    const QVariant id = any && !idField.isEmpty() ? rs->value(idField) : QVariant();
    const zdb::RecordSet::Bookmark mark = any && tbl ? rs->bookmark() : 0;
    const int row = rs->currentRow();
    rs->refresh();
    if (id.isValid() && rs->locate(idField, id))
        return;
    if (mark && rs->gotoBookmark(mark))
        return;
    // A row that left the list: the one now in its place stays current.
    if (row >= 0 && !rs->isEmpty())
        rs->setCurrentRow(qMin(row, rs->recordCount() - 1));
}

} // namespace

void RefreshOnTableChange(zdb::RecordSet *rs, const QStringList &moreTables)
{
    if (!rs)
        return;
    const QVariant known = rs->property(kWatched);
    QStringList tables = known.toStringList();
    for (const QString &t : moreTables)
        if (!tables.contains(t, Qt::CaseInsensitive))
            tables.append(t.toLower());
    rs->setProperty(kWatched, tables);
    if (known.isValid())
        return;   // already connected
    QObject::connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, rs,
                     [rs](const QString &table, const QObject *source) {
                         if (source == rs || !rs->isOpen() || rs->isEditing() || !watches(rs, table))
                             return;
                         reload(rs);
                     });
}
