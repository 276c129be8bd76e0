#pragma once

// Fonts of the report engine: the Qt font of a report font for a device, and
// the measuring of texts in layout units, device-independent, so that a
// paginated report wraps the same on the screen, in a PDF and on paper.

#include "output/report.h"

#include <QFont>
#include <QStringList>

namespace zrep {

// Layout units per inch (25.4 mm / unit size) and per typographic point.
constexpr double UnitsPerInch = 25.4 / MillimetresPerUnit;
constexpr double UnitsPerPoint = UnitsPerInch / 72.0;

// The font that draws `font` at its size in layout units when the painter's
// coordinates are layout units on a device of `deviceDpi`.
QFont toQFont(const ReportFont &font, double deviceDpi);

// Line spacing of a font, in units.
double lineSpacing(const ReportFont &font);

// A text broken into lines that fit `width` units: at word boundaries where
// possible, anywhere within a word longer than the width. Line breaks of the
// text ("\r\n", "\n", "\r") are kept; tabs become spaces.
QStringList wrapText(const QString &text, const ReportFont &font, double width);

// A one-line text that fits `width` units: whole, or cut at a letter boundary
// and ended with "…" so that the reader sees something is missing.
QString elideText(const QString &text, const ReportFont &font, double width);
// Whether elideText would leave the text whole.
bool fitsOneLine(const QString &text, const ReportFont &font, double width);

} // namespace zrep
