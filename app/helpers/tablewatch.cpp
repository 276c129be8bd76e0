#include "app/helpers/tablewatch.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QPointer>

void RefreshOnTableChange(zdb::Table *tbl)
{
    QObject::connect(&zdb::TableChanges::instance(), &zdb::TableChanges::changed, tbl,
                     [tbl](const QString &table, const QObject *source) {
                         if (source == tbl || !tbl->isOpen() || tbl->isEditing()
                             || table.compare(tbl->tableName(), Qt::CaseInsensitive) != 0)
                             return;
                         QString idField;
                         try {
                             idField = zdb::CatalogueTable(table).idField;
                         } catch (const zdb::Error &) {
                         }
                         const QVariant id = idField.isEmpty() || tbl->isEmpty() ? QVariant() : tbl->value(idField);
                         tbl->refresh();
                         if (id.isValid())
                             tbl->locate(idField, id);
                     });
}
