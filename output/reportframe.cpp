#include "output/reportframe.h"
#include "output/reportfont.h"

#include "app/helpers/core/shared.h"
#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QLocale>

#include <algorithm>
#include <QRegularExpression>

namespace zrep {

namespace {

constexpr double FrameLineWidth = 1.0;
constexpr QRgb FrameLineColor = 0xff404040;

// The short date and long time of the program's (Hungarian) locale, without
// the time zone that some locales append to the long form.
QString printedAtText(const QDateTime &at)
{
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    timeFormat.replace(zone, QStringLiteral(" "));
    timeFormat = timeFormat.trimmed();
    return locale.toString(at.date(), QLocale::ShortFormat) + QLatin1Char(' ') + locale.toString(at.time(), timeFormat);
}

} // namespace

QString publisherAddress()
{
    return QStringLiteral("www.zentavo.hu");
}

ReportOwner ReportOwner::load()
{
    ReportOwner owner;
    if (!Db1())
        return owner;
    zdb::Table t(Db1(), QStringLiteral("tulajdonos"));
    zdb::DeclareFields(t, QStringLiteral("tulajdonos"),
                       {QStringLiteral("tulajdonos"), QStringLiteral("telefon"), QStringLiteral("irsz"),
                        QStringLiteral("varos"), QStringLiteral("cim")});
    t.open();
    if (!t.isEmpty()) {
        t.first();
        owner.name = t.text(QStringLiteral("tulajdonos"));
        owner.postcodeCity =
            (t.text(QStringLiteral("irsz")) + QLatin1Char(' ') + t.text(QStringLiteral("varos"))).trimmed();
        owner.address = t.text(QStringLiteral("cim"));
        owner.phone = t.text(QStringLiteral("telefon"));
    }
    t.close();
    return owner;
}

ReportBand makePageHeader(ReportBuilder &builder, const ReportFrame &frame)
{
    const double w = builder.width();
    ReportBand band(PageHeaderHeight);
    band.bottomRule = 2;
    band.ruleColor = RuleGrey;

    // Left block: heading and subtitle between two rules.
    const double lw = frame.leftBlockWidth;
    band.line(0, FrameLineWidth / 2, lw, FrameLineWidth / 2, FrameLineWidth, FrameLineColor);
    band.line(0, TitleBlockHeight - FrameLineWidth / 2, lw, TitleBlockHeight - FrameLineWidth / 2, FrameLineWidth,
              FrameLineColor);
    ReportFont heading = ReportFont::sans(16, true);
    heading.family = frame.headingFamily;
    band.text(0, 4, lw, 22, frame.heading, builder.font(heading));
    if (!frame.subtitle.isEmpty()) {
        const ReportFont sub = ReportFont::sans(frame.subtitlePointSize, frame.subtitleBold);
        // Two lines at most; what does not fit is left off.
        const double h = 2 * lineSpacing(sub) + 0.1;
        band.text(0, frame.subtitleTop, frame.subtitleWidth, h, frame.subtitle, builder.font(sub),
                  Qt::AlignLeft | Qt::AlignTop, TextMode::WrapClip);
    }

    // Right block: the owner's name and address.
    const double rx = w - OwnerBlockWidth;
    band.line(rx, FrameLineWidth / 2, w, FrameLineWidth / 2, FrameLineWidth, FrameLineColor);
    band.line(rx, TitleBlockHeight - FrameLineWidth / 2, w, TitleBlockHeight - FrameLineWidth / 2, FrameLineWidth,
              FrameLineColor);
    const FontId ownerBold = builder.font(ReportFont::sans(10, true));
    const FontId ownerFont = builder.font(ReportFont::sans(10));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    // A long business name may reach left past the block into the free space
    // between the two blocks rather than be cut off; it stays right-aligned.
    const double nameLeft = std::min(rx, lw + 8);
    band.text(nameLeft, 4, w - nameLeft, LineHeight + 1, frame.owner.name, ownerBold, right);
    band.text(rx, 20, OwnerBlockWidth, LineHeight, frame.owner.postcodeCity, ownerFont, right);
    band.text(rx, 32, OwnerBlockWidth, LineHeight, frame.owner.address, ownerFont, right);
    band.text(rx, 44, OwnerBlockWidth, LineHeight, frame.owner.phone, ownerFont, right);
    return band;
}

ReportBand makePageFooter(ReportBuilder &builder, const ReportFrame &frame)
{
    const double w = builder.width();
    ReportBand band(PageFooterHeight);
    band.topRule = 1;
    band.ruleColor = RuleGrey;
    const FontId f = builder.font(ReportFont::fixed(8));
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const double h = 12;

    band.text(0, 4, w / 2, h, QStringLiteral("Zentavo"), f, left);
    band.text(w / 2, 4, w / 2, h, printedAtText(frame.printedAt), f, right);
    band.text(0, 16, w, h, frame.footerTitle, f, right);
    band.text(0, 28, w / 3, h, QStringLiteral("oldal: "), f, left);
    band.texts.last().field = TextField::PageNumber;
    band.text(w / 3, 28, w / 3, h, publisherAddress(), f, Qt::AlignHCenter | Qt::AlignVCenter);
    band.text(2 * w / 3, 28, w / 3, h, frame.identifier, f, right);
    return band;
}

void applyFrame(ReportBuilder &builder, const ReportFrame &frame, const ReportBand &columnTitles)
{
    ReportBand header = makePageHeader(builder, frame);
    header.texts.append(columnTitles.texts);
    header.lines.append(columnTitles.lines);
    header.icons.append(columnTitles.icons);
    builder.setPageHeader(header);
    builder.setPageFooter(makePageFooter(builder, frame));
    builder.setTitle(frame.footerTitle.isEmpty() ? frame.heading : frame.footerTitle);
}

} // namespace zrep
