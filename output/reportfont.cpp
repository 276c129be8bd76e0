#include "output/reportfont.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>
#include <QTextOption>

#include <optional>

namespace zrep {

namespace {

// Texts are measured at ten times their size on a 720 dpi reference image, so
// that the metrics have the precision of printer output, not of the screen.
constexpr double MeasureScale = 10.0;
constexpr double MeasureDpi = 720.0;

const QImage &measureDevice()
{
    static const QImage image = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        const int dpm = qRound(MeasureDpi / 0.0254);
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    return image;
}

QFont measureFont(const ReportFont &font)
{
    QFont f = toQFont(font, MeasureDpi);
    f.setPointSizeF(f.pointSizeF() * MeasureScale);
    return f;
}

} // namespace

QFont toQFont(const ReportFont &font, double deviceDpi)
{
    QFont f;
    if (font.fixedPitch) {
        f.setFamily(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
    } else {
        f.setFamily(font.family.isEmpty() ? QStringLiteral("Arial") : font.family);
        f.setStyleHint(QFont::SansSerif);
    }
    // A point of the report is UnitsPerPoint units; the device turns points
    // into its pixels by its dpi, the painter's scale does the rest.
    f.setPointSizeF(font.pointSize * UnitsPerInch / deviceDpi);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    // Unhinted glyph advances scale linearly, so measured widths hold at
    // every resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

double lineSpacing(const ReportFont &font)
{
    const QFontMetricsF fm(measureFont(font), &measureDevice());
    return fm.lineSpacing() / MeasureScale;
}

namespace {

// The metrics of the font measured last: a report measures cell after cell
// in the same few fonts.
const QFontMetricsF &metricsOf(const ReportFont &font)
{
    static ReportFont last;
    static std::optional<QFontMetricsF> metrics;
    if (!metrics || !(last == font)) {
        metrics.emplace(measureFont(font), &measureDevice());
        last = font;
    }
    return *metrics;
}

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return line;
}

} // namespace

bool fitsOneLine(const QString &text, const ReportFont &font, double width)
{
    const QFontMetricsF &fm = metricsOf(font);
    const double scaledWidth = qMax(0.0, width * MeasureScale);
    // Short texts fit without measuring them letter by letter.
    if (text.size() * fm.maxWidth() <= scaledWidth)
        return true;
    return fm.horizontalAdvance(oneLine(text)) <= scaledWidth;
}

QString elideText(const QString &text, const ReportFont &font, double width)
{
    if (fitsOneLine(text, font, width))
        return text;
    return metricsOf(font).elidedText(oneLine(text), Qt::ElideRight, qMax(0.0, width * MeasureScale));
}

QStringList wrapText(const QString &text, const ReportFont &font, double width)
{
    QString clean = text;
    clean.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    clean.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    clean.replace(QLatin1Char('\t'), QLatin1Char(' '));
    // Trailing line breaks would only print empty lines.
    while (clean.endsWith(QLatin1Char('\n')))
        clean.chop(1);

    const QFont f = measureFont(font);
    const double scaledWidth = qMax(1.0, width * MeasureScale);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    QStringList lines;
    const QStringList paragraphs = clean.split(QLatin1Char('\n'));
    for (const QString &para : paragraphs) {
        if (para.trimmed().isEmpty()) {
            lines.append(QString());
            continue;
        }
        QTextLayout layout(para, f, &measureDevice());
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(scaledWidth);
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            QString part = para.mid(line.textStart(), line.textLength());
            // The space a line was broken at belongs to neither line.
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
            lines.append(part);
        }
    }
    return lines;
}

} // namespace zrep
