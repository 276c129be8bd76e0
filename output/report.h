#pragma once

// The report engine. A report is built by code out of bands in layout units
// (A4 with 10 mm margins; 575 units across a portrait page, 838 across a
// landscape one; one unit is 190/575 mm), paginated into pages of positioned
// items that can be inspected without painting, and painted onto any paint
// device (printer, PDF writer, image) scaled from units to the device.
//
//   zrep::ReportBuilder b(zrep::Orientation::Landscape);
//   const auto f8 = b.font(zrep::ReportFont::sans(8));
//   zrep::ReportBand row(20);
//   row.bottomRule = 0.5;
//   row.text(0, 4, 100, 13, name, f8);
//   b.addDetail(row);
//   zrep::showReport(b.paginate(), false);   // preview

#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <Qt>

#include <functional>

class QPainter;
class QPagedPaintDevice;
class QPaintDevice;
class QPrinter;

namespace zrep {

enum class Orientation { Portrait, Landscape };

// Printable area in layout units.
constexpr double PortraitWidth = 575.0;
constexpr double LandscapeWidth = 838.0;
constexpr double MillimetresPerUnit = 190.0 / 575.0;
constexpr double MarginMillimetres = 10.0;
double pageWidth(Orientation o);   // 575 / 838
double pageHeight(Orientation o);  // 838.3 / 575

// The grey of the frame's and the detail bands' rules.
constexpr QRgb RuleGrey = 0xffa0a0a0;

// A font of the report; the builder turns it into a small index.
struct ReportFont
{
    QString family;           // empty: the sans-serif default ("Arial" or its substitute)
    double pointSize = 8;
    bool bold = false;
    bool italic = false;
    bool fixedPitch = false;  // the system's fixed-pitch font; family is ignored

    static ReportFont sans(double pt, bool bold = false, bool italic = false);
    static ReportFont fixed(double pt, bool bold = false);
    bool operator==(const ReportFont &o) const = default;
};
using FontId = quint16;

enum class TextMode : quint8 {
    Clip,      // one line, cut off at the item's width
    WrapClip,  // wrapped at word boundaries inside the rectangle, cut off below it
    WrapGrow,  // wrapped; the item (and its band) grows as tall as the text needs
};

// What the paginator fills in, in the page header and footer: the text is a
// prefix ("oldal: ") and the number is appended.
enum class TextField : quint8 { None, PageNumber, PageCount };

// One positioned text. In a band the position is relative to the band's top
// left; on a page it is relative to the printable area's top left.
struct ReportText
{
    float x = 0, y = 0, w = 0, h = 0;
    QString text;
    FontId font = 0;
    quint16 align = Qt::AlignLeft | Qt::AlignVCenter;
    TextMode mode = TextMode::Clip;
    TextField field = TextField::None;
};

// A straight line from (x1, y1) to (x2, y2), `width` units thick.
struct ReportLine
{
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    float width = 0.5f;
    QRgb color = 0xff000000;
};

// An image scaled into its rectangle; a null image draws nothing (a missing
// icon file leaves its place empty).
struct ReportIcon
{
    float x = 0, y = 0, w = 0, h = 0;
    QImage image;
};

// One band: a strip across the page holding positioned items.
class ReportBand
{
public:
    explicit ReportBand(double height = 0) : height(height) {}

    double height;           // minimum height; WrapGrow texts can make it taller
    double topRule = 0;      // thickness of a rule along the top edge (0: none)
    double bottomRule = 0;   // thickness of a rule along the (final) bottom edge
    QRgb ruleColor = RuleGrey;
    QList<ReportText> texts;
    QList<ReportLine> lines;
    QList<ReportIcon> icons;

    ReportBand &text(double x, double y, double w, double h, const QString &text, FontId font,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, TextMode mode = TextMode::Clip);
    ReportBand &line(double x1, double y1, double x2, double y2, double width = 0.5, QRgb color = 0xff000000);
    ReportBand &icon(double x, double y, double w, double h, const QImage &image);
    // Empties the band but keeps its capacity, for building one row after the other.
    void clear();
};

// One paginated page: everything in page units, ready to paint.
struct ReportPage
{
    QList<ReportText> texts;
    QList<ReportLine> lines;
    QList<ReportIcon> icons;

    // The first text equal to `text` (nullptr when none) — for inspection.
    const ReportText *findText(const QString &text) const;
    QStringList textsInRow(double y, double tolerance = 0.5) const;
};

class ReportLayout
{
public:
    ReportLayout() = default;

    Orientation orientation() const { return m_orientation; }
    double width() const;     // printable width in units
    double height() const;    // printable height in units
    const QString &title() const { return m_title; }
    const QList<ReportPage> &pages() const { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }
    const QList<ReportFont> &fonts() const { return m_fonts; }

    // Paints one page into `target` (device coordinates of the printable
    // area), scaled uniformly so that the whole page fits.
    void paintPage(QPainter &painter, int page, const QRectF &target) const;
    // Sets A4, the orientation and 10 mm margins on the device and paints
    // every page. False when the device cannot be painted on.
    bool print(QPagedPaintDevice *device) const;
    // Paints every page on the device's current page layout (the preview,
    // where the user may have changed it).
    bool paint(QPagedPaintDevice *device) const;
    // One whole A4 page (margins included, white background) at `dpi`.
    QImage renderPage(int page, double dpi) const;

private:
    friend class ReportBuilder;
    friend struct Paginator;
    Orientation m_orientation = Orientation::Portrait;
    QString m_title;
    QList<ReportFont> m_fonts;
    QList<ReportPage> m_pages;
};

// Collects the bands of one report. The page header is printed at the top of
// every page and the page footer at the bottom of every page; detail, group
// header and group footer bands flow in the order they were added. A group
// header is kept on the same page as the band that follows it; a band taller
// than a whole page is split between pages.
class ReportBuilder
{
public:
    explicit ReportBuilder(Orientation orientation = Orientation::Portrait);
    ~ReportBuilder();
    ReportBuilder(const ReportBuilder &) = delete;
    ReportBuilder &operator=(const ReportBuilder &) = delete;

    Orientation orientation() const { return m_orientation; }
    double width() const { return pageWidth(m_orientation); }
    double pageBodyHeight() const;   // page height less the header and footer bands

    // Title of the print job and of the preview window.
    void setTitle(const QString &title) { m_title = title; }
    const QString &title() const { return m_title; }

    // The index of a font, the same index for an equal font.
    FontId font(const ReportFont &font);
    const QList<ReportFont> &fonts() const { return m_fonts; }

    void setPageHeader(const ReportBand &band);
    void setPageFooter(const ReportBand &band);
    const ReportBand &pageHeader() const { return m_header; }
    const ReportBand &pageFooter() const { return m_footer; }

    void addDetail(const ReportBand &band);
    void addGroupHeader(const ReportBand &band);
    void addGroupFooter(const ReportBand &band);
    int bandCount() const { return int(m_bands.size()); }
    void reserve(int bands, int texts);

    // Lays the bands out on pages. An empty report still gives one page with
    // the header and the footer.
    ReportLayout paginate() const;

    // The height a wrapped text needs in its width, in units.
    double wrappedHeight(const QString &text, FontId font, double width) const;

private:
    enum class BandKind : quint8 { Detail, GroupHeader, GroupFooter };
    struct BandRef
    {
        BandKind kind;
        float height;
        float topRule, bottomRule;
        QRgb ruleColor;
        qsizetype textBegin, textEnd, lineBegin, lineEnd, iconBegin, iconEnd;
    };
    void addBand(BandKind kind, const ReportBand &band);
    friend struct Paginator;

    Orientation m_orientation;
    QString m_title;
    QList<ReportFont> m_fonts;
    ReportBand m_header, m_footer;
    QList<BandRef> m_bands;
    QList<ReportText> m_texts;
    QList<ReportLine> m_lines;
    QList<ReportIcon> m_icons;
};

// Prints the report at once to the default printer (print = true; throws
// zdb::Error when no printer is installed) or shows it in the preview window,
// from where it can also be printed or saved as a PDF file.
void showReport(const ReportLayout &layout, bool print);

// Tests: while set, showReport hands the layout to the hook instead of
// printing or previewing it (the no-printer check still comes first when
// checkPrinter is true). An empty function removes the hook.
void setShowReportHook(std::function<void(const ReportLayout &layout, bool print)> hook, bool checkPrinter = false);

} // namespace zrep
