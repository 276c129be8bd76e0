// Bands, the builder and the paginator of the report engine.

#include "output/report.h"
#include "output/reportfont.h"

#include <QtMath>

#include <algorithm>
#include <vector>

namespace zrep {

double pageWidth(Orientation o)
{
    return o == Orientation::Portrait ? PortraitWidth : LandscapeWidth;
}

double pageHeight(Orientation o)
{
    // A4 less the margins: 277 mm tall in portrait, 190 mm in landscape.
    return o == Orientation::Portrait ? (297.0 - 2 * MarginMillimetres) / MillimetresPerUnit : PortraitWidth;
}

ReportFont ReportFont::sans(double pt, bool bold, bool italic)
{
    ReportFont f;
    f.pointSize = pt;
    f.bold = bold;
    f.italic = italic;
    return f;
}

ReportFont ReportFont::fixed(double pt, bool bold)
{
    ReportFont f;
    f.pointSize = pt;
    f.bold = bold;
    f.fixedPitch = true;
    return f;
}

// ---- band ------------------------------------------------------------------------

ReportBand &ReportBand::text(double x, double y, double w, double h, const QString &text, FontId font,
                             Qt::Alignment align, TextMode mode)
{
    ReportText t;
    t.x = float(x);
    t.y = float(y);
    t.w = float(w);
    t.h = float(h);
    t.text = text;
    t.font = font;
    t.align = quint16(align.toInt());
    t.mode = mode;
    texts.append(std::move(t));
    return *this;
}

ReportBand &ReportBand::line(double x1, double y1, double x2, double y2, double width, QRgb color)
{
    lines.append(ReportLine{float(x1), float(y1), float(x2), float(y2), float(width), color});
    return *this;
}

ReportBand &ReportBand::icon(double x, double y, double w, double h, const QImage &image)
{
    icons.append(ReportIcon{float(x), float(y), float(w), float(h), image});
    return *this;
}

void ReportBand::clear()
{
    // QList::clear keeps the capacity of an unshared list.
    texts.clear();
    lines.clear();
    icons.clear();
}

// ---- page ------------------------------------------------------------------------

const ReportText *ReportPage::findText(const QString &text) const
{
    for (const ReportText &t : texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

QStringList ReportPage::textsInRow(double y, double tolerance) const
{
    QList<const ReportText *> row;
    for (const ReportText &t : texts)
        if (qAbs(t.y - y) <= tolerance)
            row.append(&t);
    std::stable_sort(row.begin(), row.end(), [](const ReportText *a, const ReportText *b) { return a->x < b->x; });
    QStringList out;
    for (const ReportText *t : row)
        out.append(t->text);
    return out;
}

double ReportLayout::width() const
{
    return pageWidth(m_orientation);
}

double ReportLayout::height() const
{
    return pageHeight(m_orientation);
}

// ---- builder ---------------------------------------------------------------------

ReportBuilder::ReportBuilder(Orientation orientation) : m_orientation(orientation)
{
    m_fonts.append(ReportFont::sans(8));   // font 0: the default
}

ReportBuilder::~ReportBuilder() = default;

double ReportBuilder::pageBodyHeight() const
{
    return pageHeight(m_orientation) - m_header.height - m_footer.height;
}

FontId ReportBuilder::font(const ReportFont &font)
{
    const qsizetype i = m_fonts.indexOf(font);
    if (i >= 0)
        return FontId(i);
    m_fonts.append(font);
    return FontId(m_fonts.size() - 1);
}

void ReportBuilder::setPageHeader(const ReportBand &band)
{
    m_header = band;
}

void ReportBuilder::setPageFooter(const ReportBand &band)
{
    m_footer = band;
}

void ReportBuilder::addDetail(const ReportBand &band)
{
    addBand(BandKind::Detail, band);
}

void ReportBuilder::addGroupHeader(const ReportBand &band)
{
    addBand(BandKind::GroupHeader, band);
}

void ReportBuilder::addGroupFooter(const ReportBand &band)
{
    addBand(BandKind::GroupFooter, band);
}

void ReportBuilder::reserve(int bands, int texts)
{
    m_bands.reserve(bands);
    m_texts.reserve(texts);
}

void ReportBuilder::addBand(BandKind kind, const ReportBand &band)
{
    BandRef ref;
    ref.kind = kind;
    ref.height = float(band.height);
    ref.topRule = float(band.topRule);
    ref.bottomRule = float(band.bottomRule);
    ref.ruleColor = band.ruleColor;
    ref.textBegin = m_texts.size();
    m_texts.append(band.texts.cbegin(), band.texts.cend());
    ref.textEnd = m_texts.size();
    ref.lineBegin = m_lines.size();
    m_lines.append(band.lines.cbegin(), band.lines.cend());
    ref.lineEnd = m_lines.size();
    ref.iconBegin = m_icons.size();
    m_icons.append(band.icons.cbegin(), band.icons.cend());
    ref.iconEnd = m_icons.size();
    m_bands.append(ref);
}

double ReportBuilder::wrappedHeight(const QString &text, FontId font, double width) const
{
    const ReportFont &f = m_fonts.value(font, m_fonts.first());
    return wrapText(text, f, width).size() * lineSpacing(f);
}

// ---- pagination ------------------------------------------------------------------

// A band ready to be placed: its final height and its items at band-relative
// positions, wrapped texts already broken into lines.
struct BandView
{
    double height = 0;
    double topRule = 0, bottomRule = 0;
    QRgb ruleColor = RuleGrey;
    const ReportText *texts = nullptr;
    qsizetype textCount = 0;
    const ReportLine *lines = nullptr;
    qsizetype lineCount = 0;
    const ReportIcon *icons = nullptr;
    qsizetype iconCount = 0;
};

struct Paginator
{
    const ReportBuilder &b;
    ReportLayout out;
    double pageH = 0, bodyTop = 0, bodyBottom = 0;
    double y = 0;
    bool pageHasBody = false;
    ReportPage *page = nullptr;
    qsizetype lastPageTexts = 0;

    // Wrapped bands are resolved into these (reused) lists.
    QList<ReportText> scratchTexts;
    QList<ReportLine> scratchLines;
    QList<ReportIcon> scratchIcons;
    QList<double> spacing;   // line spacing per font, measured once

    // The header and footer, resolved once.
    QList<ReportText> headerTexts, footerTexts;
    QList<ReportLine> headerLines, footerLines;
    QList<ReportIcon> headerIcons, footerIcons;

    explicit Paginator(const ReportBuilder &builder) : b(builder) {}

    double fontSpacing(FontId id)
    {
        if (spacing.isEmpty()) {
            spacing.resize(b.m_fonts.size(), -1);
        }
        if (id >= spacing.size())
            id = 0;
        if (spacing[id] < 0)
            spacing[id] = lineSpacing(b.m_fonts[id]);
        return spacing[id];
    }

    // Breaks wrapped texts into lines of their own; returns the band's height.
    double resolve(double minHeight, const ReportText *texts, qsizetype count, QList<ReportText> &outTexts)
    {
        double height = minHeight;
        for (qsizetype i = 0; i < count; ++i) {
            const ReportText &t = texts[i];
            const FontId fid = t.font < b.m_fonts.size() ? t.font : FontId(0);
            const ReportFont &font = b.m_fonts[fid];
            if (t.mode == TextMode::Clip) {
                // Half a unit to spare as for wrapped lines; a text too long
                // ends in "…" instead of half a letter.
                ReportText line = t;
                if (t.field == TextField::None)
                    line.text = elideText(t.text, font, qMax(1.0, double(t.w) - 0.5));
                outTexts.append(std::move(line));
                continue;
            }
            const double ls = fontSpacing(fid);
            // Half a unit to spare, so that no device's rounding cuts off a
            // line's last letter.
            QStringList lines = wrapText(t.text, font, qMax(1.0, double(t.w) - 0.5));
            if (t.mode == TextMode::WrapClip) {
                const int fit = qMax(1, int((t.h + 0.01) / ls));
                if (lines.size() > fit) {
                    // The last line that fits shows that the text goes on.
                    const QString rest = lines[fit - 1] + QLatin1Char(' ') + lines[fit];
                    lines.resize(fit);
                    lines[fit - 1] = elideText(rest, font, qMax(1.0, double(t.w) - 0.5));
                }
            }
            const quint16 hAlign = t.align & quint16(Qt::AlignHorizontal_Mask);
            for (int k = 0; k < lines.size(); ++k) {
                if (lines[k].isEmpty())
                    continue;
                ReportText line = t;
                line.y = float(t.y + k * ls);
                line.h = float(ls);
                line.text = lines[k];
                line.mode = TextMode::Clip;
                line.align = quint16(hAlign | Qt::AlignVCenter);
                outTexts.append(std::move(line));
            }
            if (t.mode == TextMode::WrapGrow) {
                // The space the band leaves below the item stays below the text.
                const double below = qMax(0.0, minHeight - (t.y + t.h));
                const double textH = qMax(double(t.h), lines.size() * ls);
                height = qMax(height, t.y + textH + below);
            }
        }
        return height;
    }

    void resolveFixed(const ReportBand &band, QList<ReportText> &texts, QList<ReportLine> &lines,
                      QList<ReportIcon> &icons, double top)
    {
        const double h = resolve(band.height, band.texts.constData(), band.texts.size(), texts);
        lines = band.lines;
        icons = band.icons;
        // Frame bands do not grow; their rules sit on their fixed edges.
        if (band.topRule > 0)
            lines.append(ReportLine{0, float(band.topRule / 2), float(b.width()), float(band.topRule / 2),
                                    float(band.topRule), band.ruleColor});
        if (band.bottomRule > 0)
            lines.append(ReportLine{0, float(h - band.bottomRule / 2), float(b.width()),
                                    float(h - band.bottomRule / 2), float(band.bottomRule), band.ruleColor});
        for (ReportText &t : texts)
            t.y += float(top);
        for (ReportLine &l : lines) {
            l.y1 += float(top);
            l.y2 += float(top);
        }
        for (ReportIcon &i : icons)
            i.y += float(top);
    }

    void newPage()
    {
        out.m_pages.append(ReportPage{});
        page = &out.m_pages.last();
        page->texts.reserve(lastPageTexts + headerTexts.size() + footerTexts.size());
        page->texts.append(headerTexts);
        page->lines.append(headerLines);
        page->icons.append(headerIcons);
        y = bodyTop;
        pageHasBody = false;
    }

    BandView view(const ReportBuilder::BandRef &ref)
    {
        BandView v;
        v.topRule = ref.topRule;
        v.bottomRule = ref.bottomRule;
        v.ruleColor = ref.ruleColor;
        v.lines = b.m_lines.constData() + ref.lineBegin;
        v.lineCount = ref.lineEnd - ref.lineBegin;
        v.icons = b.m_icons.constData() + ref.iconBegin;
        v.iconCount = ref.iconEnd - ref.iconBegin;
        const ReportText *texts = b.m_texts.constData() + ref.textBegin;
        const qsizetype count = ref.textEnd - ref.textBegin;
        // Texts that wrap, or one-line texts too long for their place (they
        // end in "…"), need a resolved copy; the others are used as they are.
        bool wraps = false;
        for (qsizetype i = 0; i < count && !wraps; ++i) {
            const ReportText &t = texts[i];
            wraps = t.mode != TextMode::Clip
                || (t.field == TextField::None
                    && !fitsOneLine(t.text, b.m_fonts[t.font < b.m_fonts.size() ? t.font : FontId(0)], qMax(1.0, double(t.w) - 0.5)));
        }
        if (!wraps) {
            v.height = ref.height;
            v.texts = texts;
            v.textCount = count;
            return v;
        }
        scratchTexts.clear();
        v.height = resolve(ref.height, texts, count, scratchTexts);
        v.texts = scratchTexts.constData();
        v.textCount = scratchTexts.size();
        return v;
    }

    void emitRule(double at, double thickness, QRgb color)
    {
        page->lines.append(ReportLine{0, float(at), float(b.width()), float(at), float(thickness), color});
    }

    // Places the whole band at the current position.
    void emitAll(const BandView &v)
    {
        const float dy = float(y);
        for (qsizetype i = 0; i < v.textCount; ++i) {
            page->texts.append(v.texts[i]);
            page->texts.last().y += dy;
        }
        for (qsizetype i = 0; i < v.lineCount; ++i) {
            ReportLine l = v.lines[i];
            l.y1 += dy;
            l.y2 += dy;
            page->lines.append(l);
        }
        for (qsizetype i = 0; i < v.iconCount; ++i) {
            ReportIcon ic = v.icons[i];
            ic.y += dy;
            page->icons.append(std::move(ic));
        }
        if (v.topRule > 0)
            emitRule(y + v.topRule / 2, v.topRule, v.ruleColor);
        if (v.bottomRule > 0)
            emitRule(y + v.height - v.bottomRule / 2, v.bottomRule, v.ruleColor);
        y += v.height;
        pageHasBody = true;
    }

    // A band taller than a whole page: its items flow over as many pages as
    // they need, each item kept whole.
    void emitSplit(const BandView &v)
    {
        struct Item
        {
            int kind;   // 0 text, 1 line, 2 icon
            qsizetype index;
            double top, bottom;
        };
        std::vector<Item> items;
        for (qsizetype i = 0; i < v.textCount; ++i)
            items.push_back({0, i, v.texts[i].y, double(v.texts[i].y) + v.texts[i].h});
        for (qsizetype i = 0; i < v.lineCount; ++i)
            items.push_back({1, i, qMin(v.lines[i].y1, v.lines[i].y2), qMax(v.lines[i].y1, v.lines[i].y2)});
        for (qsizetype i = 0; i < v.iconCount; ++i)
            items.push_back({2, i, v.icons[i].y, double(v.icons[i].y) + v.icons[i].h});
        std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &c) { return a.top < c.top; });

        double bandTop = 0;   // band position at the current page's y
        size_t next = 0;
        while (next < items.size()) {
            const double cut = bandTop + (bodyBottom - y);
            bool any = false;
            while (next < items.size()) {
                const Item &it = items[next];
                // An item that would not fit even a fresh page is placed anyway.
                if (it.bottom > cut + 0.01 && (any || pageHasBody))
                    break;
                const float dy = float(y - bandTop);
                if (it.kind == 0) {
                    page->texts.append(v.texts[it.index]);
                    page->texts.last().y += dy;
                } else if (it.kind == 1) {
                    ReportLine l = v.lines[it.index];
                    l.y1 += dy;
                    l.y2 += dy;
                    page->lines.append(l);
                } else {
                    ReportIcon ic = v.icons[it.index];
                    ic.y += dy;
                    page->icons.append(std::move(ic));
                }
                if (!any && next == 0 && v.topRule > 0)
                    emitRule(y + v.topRule / 2, v.topRule, v.ruleColor);
                any = true;
                ++next;
            }
            if (next < items.size()) {
                newPage();
                bandTop = items[next].top;
            }
        }
        y += v.height - bandTop;
        if (y > bodyBottom)
            y = bodyBottom;
        if (v.bottomRule > 0)
            emitRule(y - v.bottomRule / 2, v.bottomRule, v.ruleColor);
        pageHasBody = true;
    }

    void place(const BandView &v, double keepWithNext)
    {
        // A band that needs more than a whole page starts where it is, so
        // that no page is left half empty before it.
        if (v.height > bodyBottom - bodyTop) {
            emitSplit(v);
            return;
        }
        const double need = v.height + keepWithNext;
        if (pageHasBody && y + need > bodyBottom + 0.01) {
            lastPageTexts = page->texts.size();
            newPage();
        }
        if (y + v.height <= bodyBottom + 0.01)
            emitAll(v);
        else
            emitSplit(v);
    }

    static QString fieldText(const ReportText &t, int pageNo, int pageCount)
    {
        switch (t.field) {
        case TextField::PageNumber:
            return t.text + QString::number(pageNo);
        case TextField::PageCount:
            return t.text + QString::number(pageCount);
        case TextField::None:
            break;
        }
        return t.text;
    }

    ReportLayout run()
    {
        out.m_orientation = b.m_orientation;
        out.m_title = b.m_title;
        out.m_fonts = b.m_fonts;
        pageH = pageHeight(b.m_orientation);
        resolveFixed(b.m_header, headerTexts, headerLines, headerIcons, 0);
        resolveFixed(b.m_footer, footerTexts, footerLines, footerIcons, pageH - b.m_footer.height);
        bodyTop = b.m_header.height;
        bodyBottom = pageH - b.m_footer.height;

        const qsizetype headerCount = headerTexts.size();
        newPage();
        const auto &bands = b.m_bands;
        for (qsizetype i = 0; i < bands.size(); ++i) {
            const auto &ref = bands[i];
            // A group header stays with the band after it.
            double keep = 0;
            if (ref.kind == ReportBuilder::BandKind::GroupHeader && i + 1 < bands.size())
                keep = bands[i + 1].height;
            place(view(ref), keep);
        }

        const int count = out.pageCount();
        for (int p = 0; p < count; ++p) {
            ReportPage &pg = out.m_pages[p];
            for (qsizetype i = 0; i < headerCount; ++i)
                if (pg.texts[i].field != TextField::None)
                    pg.texts[i].text = fieldText(headerTexts[i], p + 1, count);
            for (const ReportText &t : std::as_const(footerTexts)) {
                pg.texts.append(t);
                if (t.field != TextField::None)
                    pg.texts.last().text = fieldText(t, p + 1, count);
            }
            pg.lines.append(footerLines);
            pg.icons.append(footerIcons);
        }
        return std::move(out);
    }
};

ReportLayout ReportBuilder::paginate() const
{
    Paginator p(*this);
    return p.run();
}

} // namespace zrep
