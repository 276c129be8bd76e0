#pragma once

// Grid columns made from a catalogue field: the title, the sort-key column a
// title click orders by, the alignment and the width follow the field's
// declaration, so a window names the field and overrides only what it shows
// differently.

#include "app/helpers/recordsetmodel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zdb {
struct FieldDef;
}

struct ColumnOverrides
{
    QString title;                            // empty: the catalogue's title (the name when it has none)
    int width = 0;                            // 0: the width rule
    std::optional<Qt::Alignment> alignment;   // cells, and the title unless given below; none: left
    std::optional<Qt::Alignment> titleAlignment;
    bool plainOrder = false;                  // title clicks order by the field itself, not its sort key
};

// Throws zdb::Error for a table or field the catalogue does not know.
GridColumn FieldColumn(const QString &table, const QString &field, const ColumnOverrides &overrides = {});
// The columns of several fields, none overridden.
QList<GridColumn> FieldColumns(const QString &table, const QStringList &fields);

// The width rule: a date column is as wide as a date in the application's
// font with a little room; any other column the grid's default.
int FieldColumnWidth(const zdb::FieldDef &field);

// A plain column; sortKey names the sort-key column its title click orders by.
GridColumn TextColumn(const QString &field, const QString &title, const QString &sortKey = {},
                      Qt::Alignment alignment = Qt::AlignLeft);
