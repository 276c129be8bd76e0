#include "app/helpers/core/tablewatch.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QTimer>

namespace {

const char *const kWatched = "zentavoWatchedTables";
const char *const kBatch = "zentavoRefreshedInBatch";
const char *const kPending = "zentavoRefreshPending";
const char *const kReopen = "zentavoReopenPending";

bool watches(const zdb::RecordSet *rs, const QString &table)
{
    if (const auto *tbl = qobject_cast<const zdb::Table *>(rs))
        if (table.compare(tbl->tableName().trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return rs->property(kWatched).toStringList().contains(table, Qt::CaseInsensitive);
}

void reload(zdb::RecordSet *rs)
{
    rs->setProperty(kPending, false);
    if (!rs->isOpen()) {
        rs->open();   // a refresh that failed before
        return;
    }
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

// A refresh no user action asked for (another desk's commit, an editor
// closing): a failure (the file locked just then) is not the user's to
// read; the rows are read again at the next change.
void reloadQuietly(zdb::RecordSet *rs)
{
    try {
        reload(rs);
        rs->setProperty(kReopen, false);
    } catch (const std::exception &) {
        rs->setProperty(kReopen, true);
    }
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
                         if (source == rs || !watches(rs, table))
                             return;
                         if (!rs->isOpen() && !rs->property(kReopen).toBool())
                             return;
                         // Several tables announced at once refresh the rows once.
                         if (const quint64 batch = zdb::TableChanges::batch()) {
                             if (rs->property(kBatch).toULongLong() == batch)
                                 return;
                             rs->setProperty(kBatch, batch);
                         }
                         if (rs->isEditing()) {
                             // Never under an editor: the rows are read again once it closes.
                             rs->setProperty(kPending, true);
                             return;
                         }
                         if (zdb::TableChanges::batch() || rs->property(kReopen).toBool())
                             reloadQuietly(rs);
                         else
                             reload(rs);
                     });
    QObject::connect(rs, &zdb::RecordSet::modeChanged, rs, [rs](zdb::RecordSet::Mode mode) {
        if (mode != zdb::RecordSet::Mode::Browsing || !rs->property(kPending).toBool())
            return;
        // After the editor is done with the row: its own post or cancel
        // finishes first.
        QTimer::singleShot(0, rs, [rs] {
            if (!rs->property(kPending).toBool() || !rs->isOpen() || rs->isEditing())
                return;
            reloadQuietly(rs);
        });
    });
}
