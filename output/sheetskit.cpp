#include "output/sheetskit.h"

#include "app/helpers/core/common.h"
#include "db/recordset.h"

#include <QFileInfo>

namespace zrep::sheets {

namespace {

constexpr double IconSize = 16;

// An icon file of the program folder; a missing or unreadable file gives a
// null image, which prints nothing.
QImage loadIcon(const QString &relative)
{
    const QString path = ProgramPath(relative);
    if (!QFileInfo::exists(path))
        return {};
    return QImage(path);
}

} // namespace

ReportBand detailBand(double height)
{
    ReportBand band(height);
    band.bottomRule = DetailRule;
    return band;
}

SheetBuilder::SheetBuilder(const zdb::RecordSet &rs, const Frame &frame, const ReportOwner &owner)
    : m_rs(rs), m_builder(Orientation::Portrait)
{
    m_frame.heading = frame.title;
    m_frame.footerTitle = frame.title;
    m_frame.identifier = frame.identifier;
    m_frame.leftBlockWidth = SheetTitleBlockWidth;
    m_frame.subtitle = frame.subtitle;
    m_frame.subtitlePointSize = 10;
    m_frame.subtitleBold = false;
    // The subtitle stays inside the framed title block.
    m_frame.subtitleWidth = SheetTitleBlockWidth;
    m_frame.owner = owner;
}

int SheetBuilder::rowCount() const
{
    return m_rs.isOpen() ? m_rs.recordCount() : 0;
}

void SheetBuilder::title(double x, double w, const QString &text, FontId font)
{
    m_titles.text(x, ColumnTitleTop, w, LineHeight, text, font);
}

void SheetBuilder::finishFrame()
{
    applyFrame(m_builder, m_frame, m_titles);
}

int SheetBuilder::field(const QString &name) const
{
    // RecordSet::field throws the data layer's own message for a missing one.
    m_rs.field(name);
    return m_rs.fieldIndex(name);
}

void SheetBuilder::cell(ReportBand &band, double x, double top, double w, int row, int field, FontId font)
{
    const QString text = m_rs.displayTextAt(row, field);
    if (!text.isEmpty())
        band.text(x, top, w, LineHeight, text, font);
}

void SheetBuilder::label(ReportBand &band, double x, double top, double w, const QString &text, FontId font)
{
    band.text(x, top, w, LineHeight, text, font);
}

QString SheetBuilder::description(int row, int field) const
{
    QString text = m_rs.textAt(row, field);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

void SheetBuilder::addDescription(ReportBand &band, double x, double top, double w, const QString &text,
                                  FontId font)
{
    band.text(x, top, w, LineHeight, text, font, Qt::AlignLeft | Qt::AlignTop, TextMode::WrapGrow);
}

void SheetBuilder::statusIcon(ReportBand &band, double x, double top, int row, int keszField)
{
    // Loaded once per sheet, on the first row that needs one.
    if (!m_iconsLoaded) {
        m_iconsLoaded = true;
        m_done = loadIcon(QStringLiteral("Pics/save16.ico"));
        m_open = loadIcon(QStringLiteral("Pics/cancel16.ico"));
    }
    const QImage &image = m_rs.textAt(row, keszField) == QLatin1String("I") ? m_done : m_open;
    if (!image.isNull())
        band.icon(x, top, IconSize, IconSize, image);
}

} // namespace zrep::sheets
