#include "output/printgrid.h"

#include "output/output.h"

#include "app/helpers/core/gridcolumn.h"
#include "db/recordset.h"

#include <QHash>
#include <QPixmap>

#include <cmath>

namespace zrep {

namespace {

constexpr double ColumnGap = 4;
constexpr double CellTop = 4;
constexpr double CellGap = 3;   // units between a cell's text and its column's edge
constexpr double DetailHeight = 20;
constexpr double DetailRule = 0.5;
constexpr double PictureSize = 11;

} // namespace

QList<GridColumnPlace> placeGridColumns(const QList<GridColumn> &columns, int gridWidth, double pageWidth)
{
    // A grid not yet laid out has no width of its own; its columns still
    // share the page among themselves.
    qint64 total = gridWidth;
    if (total <= 0) {
        total = 0;
        for (const GridColumn &c : columns)
            total += qMax(0, c.width);
    }
    const qint64 page = qRound64(pageWidth);
    QList<GridColumnPlace> out;
    double x = 0;
    for (int i = 0; i < columns.size(); ++i) {
        // Exact in integers: a fraction such as 28/200 is no exact binary
        // number, and in floating point a half could tip either way.
        double w = 0;
        if (total > 0) {
            const qint64 num = page * qMax(0, columns[i].width);
            const qint64 q = num / total;
            const qint64 twice = (num % total) * 2;
            w = double(twice > total || (twice == total && q % 2 != 0) ? q + 1 : q);
        }
        if (x >= pageWidth)
            break;
        out.append(GridColumnPlace{i, x, qMin(w, pageWidth - x)});
        x += w + ColumnGap;
    }
    return out;
}

Qt::Alignment cellAlignment(const GridColumn &column, const zdb::RecordSet *recordSet, int field)
{
    const Qt::Alignment h = column.alignment & Qt::AlignHorizontal_Mask;
    if (h & (Qt::AlignRight | Qt::AlignTrailing))
        return Qt::AlignRight;
    if (h & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    if (recordSet && field >= 0 && field < recordSet->fieldCount()) {
        const zdb::FieldKind kind = recordSet->field(field).kind;
        if (kind == zdb::FieldKind::Integer || kind == zdb::FieldKind::Float || kind == zdb::FieldKind::Currency)
            return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

ReportLayout makeGridReport(const QList<GridColumn> &columns, int gridWidth, zdb::RecordSet *recordSet,
                            bool portrait, const QString &subtitle, int fontSize, const QString &title,
                            const ReportOwner &owner)
{
    ReportBuilder builder(portrait ? Orientation::Portrait : Orientation::Landscape);
    const double pt = fontSize > 0 ? fontSize : 8;
    const FontId cellFont = builder.font(ReportFont::sans(pt));
    const FontId titleFont = builder.font(ReportFont::sans(pt, false, true));
    const double lineH = qMax(13.0, std::ceil(pt * 1.0677 * 1.5));

    const QList<GridColumnPlace> places = placeGridColumns(columns, gridWidth, builder.width());

    ReportBand titles;
    for (const GridColumnPlace &p : places) {
        const GridColumn &c = columns[p.column];
        const Qt::Alignment align = (c.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        titles.text(p.x, ColumnTitleTop, p.w, lineH, c.title, titleFont, align);
    }

    ReportFrame frame;
    frame.heading = title;
    frame.headingFamily = QStringLiteral("Arial");
    frame.subtitle = subtitle;
    frame.leftBlockWidth = 229;
    frame.footerTitle = title;
    frame.identifier = QStringLiteral("qrGridPrint");
    frame.owner = owner;
    applyFrame(builder, frame, titles);

    if (!recordSet || !recordSet->isOpen())
        return builder.paginate();

    // Field index per printed column (-1: an empty cell).
    struct Cell
    {
        int field;
        float x, w;
        quint16 align;
        const GridColumn *column;
    };
    QList<Cell> cells;
    for (const GridColumnPlace &p : places) {
        const GridColumn &c = columns[p.column];
        const int field = c.field.isEmpty() ? -1 : recordSet->fieldIndex(c.field);
        const Qt::Alignment align = cellAlignment(c, recordSet, field) | Qt::AlignVCenter;
        cells.append(Cell{field, float(p.x), float(p.w), quint16(align.toInt()), &c});
    }

    // Picture columns print the grid's own pictures, each drawn once.
    QHash<QString, QImage> pictures;
    auto pictureOf = [&pictures](const GridColumn &c, const QVariant &value) {
        const QString key = c.field + QLatin1Char('\x1f') + value.toString();
        auto it = pictures.constFind(key);
        if (it == pictures.constEnd())
            it = pictures.insert(key, c.picture(value).toImage());
        return it.value();
    };

    const int rows = recordSet->recordCount();
    builder.reserve(rows, rows * int(cells.size()));
    // A font size larger than the usual 8 pt makes the lines taller.
    ReportBand band(qMax(DetailHeight, CellTop + lineH + 3));
    band.bottomRule = DetailRule;
    band.texts.reserve(cells.size());
    for (int row = 0; row < rows; ++row) {
        band.clear();
        for (const Cell &cell : std::as_const(cells)) {
            if (cell.field < 0)
                continue;
            if (cell.column->isPicture()) {
                const QImage img = pictureOf(*cell.column, recordSet->valueAt(row, cell.field));
                if (!img.isNull()) {
                    const double s = qMin(PictureSize, double(cell.w));
                    band.icon(cell.x + (cell.w - s) / 2, CellTop + (13 - s) / 2, s, s, img);
                }
                continue;
            }
            ReportText t;
            // A gap on either side keeps a right-aligned code off the next column's name.
            const float gap = qMin(float(CellGap), cell.w / 4);
            t.x = cell.x + gap;
            t.y = float(CellTop);
            t.w = cell.w - 2 * gap;
            t.h = float(lineH);
            t.text = recordSet->displayTextAt(row, cell.field);
            t.font = cellFont;
            t.align = cell.align;
            band.texts.append(std::move(t));
        }
        builder.addDetail(band);
    }
    return builder.paginate();
}

ReportLayout makeGridReport(const ListShape &list, bool portrait, const QString &subtitle, int fontSize,
                            const QString &title)
{
    return makeGridReport(list.columns, list.width, list.recordSet, portrait, subtitle, fontSize, title,
                          ReportOwner::load());
}

} // namespace zrep

void PrintGrid(const ListShape &list, bool print, bool portrait, const QString &subtitle, const QString &sumField,
               int fontSize, const QString &title)
{
    // No list of the program prints a totals line.
    Q_UNUSED(sumField);
    const zrep::ReportLayout layout = zrep::makeGridReport(list, portrait, subtitle, fontSize, title);
    zrep::showReport(layout, print);
}
