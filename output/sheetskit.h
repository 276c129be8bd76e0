#pragma once

// What the data sheet layouts share: the frame with its column titles, the
// cells of the detail lines, the wrapped description line and the
// completion icons.

#include "output/sheets.h"

#include <QImage>

namespace zrep::sheets {

// Tops of the detail lines and of the column titles.
constexpr double Line1 = 4;
constexpr double Line2 = 20;
constexpr double Line3 = 36;
constexpr double DetailRule = 0.5;

// One sheet under construction: the builder, its frame and the record set
// whose rows it prints.
class SheetBuilder
{
public:
    struct Frame
    {
        QString title;        // heading and footer title
        QString identifier;   // footer identifier, "qrFeladat" ...
        QString subtitle;     // printed 10 pt under the heading when set
    };

    SheetBuilder(const zdb::RecordSet &rs, const Frame &frame, const ReportOwner &owner);

    ReportBuilder &builder() { return m_builder; }
    FontId font(const ReportFont &f) { return m_builder.font(f); }
    const zdb::RecordSet &recordSet() const { return m_rs; }
    int rowCount() const;

    // A column title in the page header.
    void title(double x, double w, const QString &text, FontId font);
    // Sets the page header (with the titles) and the footer.
    void finishFrame();

    // The field's index; throws "Field '%s' not found" when the record set lacks it.
    int field(const QString &name) const;
    // A one-line value of `row`, cut off at its width.
    void cell(ReportBand &band, double x, double top, double w, int row, int field, FontId font);
    // A fixed text on a detail line.
    static void label(ReportBand &band, double x, double top, double w, const QString &text, FontId font);

    // The description of `row` as it prints: empty when it holds nothing but
    // white space, else without its trailing white space.
    QString description(int row, int field) const;
    // A wrapped description line; the band grows as tall as the text needs.
    static void addDescription(ReportBand &band, double x, double top, double w, const QString &text,
                               FontId font);

    // The completion icon of `row` (16 x 16 units) unless its file is missing.
    void statusIcon(ReportBand &band, double x, double top, int row, int keszField);

    ReportLayout paginate() const { return m_builder.paginate(); }

private:
    const zdb::RecordSet &m_rs;
    ReportBuilder m_builder;
    ReportFrame m_frame;
    ReportBand m_titles;
    QImage m_done, m_open;
    bool m_iconsLoaded = false;
};

// An empty detail band of `height` with the grey rule along its bottom.
ReportBand detailBand(double height);

} // namespace zrep::sheets
