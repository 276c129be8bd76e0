#pragma once

// The list report: a data grid printed as a table under the report page
// frame, one line per record, in the grid's column proportions.

#include "output/report.h"
#include "output/reportframe.h"

#include <QList>

struct GridColumn;
struct ListShape;
namespace zdb {
class RecordSet;
}

namespace zrep {

// Where one grid column prints: left edge and width in units. A column that
// starts past the right margin is left out; one that runs past it is cut off.
struct GridColumnPlace
{
    int column;     // index in the columns passed in (display order)
    double x;
    double w;
};

// Each column gets its share of the page width by its share of the grid's
// width (rounded to whole units, halves to the even neighbour), with 4 units
// between columns.
QList<GridColumnPlace> placeGridColumns(const QList<GridColumn> &columns, int gridWidth, double pageWidth);

// The horizontal alignment a column's cells take in print and export: what
// the column states (right or centre), otherwise right for numeric fields
// and left for the rest.
Qt::Alignment cellAlignment(const GridColumn &column, const zdb::RecordSet *recordSet, int field);

// The list report of the list's record set (all its rows, in its order and
// under its filter), read by row so that the grid does not move.
ReportLayout makeGridReport(const ListShape &list, bool portrait, const QString &subtitle, int fontSize,
                            const QString &title);
// The same for columns, width and record set given one by one; `owner` fills
// the header's owner block.
ReportLayout makeGridReport(const QList<GridColumn> &columns, int gridWidth, zdb::RecordSet *recordSet,
                            bool portrait, const QString &subtitle, int fontSize, const QString &title,
                            const ReportOwner &owner);

} // namespace zrep
