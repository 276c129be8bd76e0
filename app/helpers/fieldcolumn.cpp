#include "app/helpers/fieldcolumn.h"

#include "db/catalog.h"
#include "db/dberror.h"
#include "db/recordset.h"

#include <QApplication>
#include <QDate>
#include <QFontMetrics>

int FieldColumnWidth(const zdb::FieldDef &field)
{
    const int kDefault = GridColumn().width;
    if (field.kind != zdb::FieldKind::Date)
        return kDefault;
    // The widest day of the short form, with the cell's margins.
    const QFontMetrics metrics(QApplication::font());
    return qMax(kDefault, metrics.horizontalAdvance(zdb::dateToText(QDate(2000, 12, 28))) + 10);
}

GridColumn FieldColumn(const QString &table, const QString &field, const ColumnOverrides &overrides)
{
    const zdb::TableDecl &decl = zdb::CatalogueTable(table);
    const zdb::FieldDef *def = decl.find(field);
    if (!def)
        throw zdb::Error(QStringLiteral("Unknown field '%1' of table '%2'").arg(field, table));

    GridColumn c;
    c.field = def->name;
    c.title = overrides.title.isEmpty() ? def->displayTitle() : overrides.title;
    c.width = overrides.width > 0 ? overrides.width : FieldColumnWidth(*def);
    c.alignment = overrides.alignment.value_or(Qt::AlignLeft);
    c.titleAlignment = overrides.titleAlignment.value_or(c.alignment);
    if (!overrides.plainOrder) {
        for (const zdb::SortKeyDecl &k : decl.sortKeys) {
            if (k.source == def->name)
                c.sortField = k.key;
        }
    }
    return c;
}

QList<GridColumn> FieldColumns(const QString &table, const QStringList &fields)
{
    QList<GridColumn> out;
    for (const QString &f : fields)
        out.append(FieldColumn(table, f));
    return out;
}

GridColumn TextColumn(const QString &field, const QString &title, const QString &sortKey, Qt::Alignment alignment)
{
    GridColumn c;
    c.field = field;
    c.title = title;
    c.sortField = sortKey;
    c.alignment = alignment;
    c.titleAlignment = alignment;
    return c;
}
