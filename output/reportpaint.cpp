// Painting a paginated report, and the print and preview entry.

#include "output/report.h"
#include "output/reportfont.h"

#include "output/outputhost.h"

#include "app/helpers/core/shared.h"
#include "db/dberror.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QWidget>

namespace zrep {

namespace {

QPageLayout a4Layout(Orientation o)
{
    return QPageLayout(QPageSize(QPageSize::A4),
                       o == Orientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                       QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
}

struct ReportHook
{
    std::function<void(const ReportLayout &, bool)> fn;
    bool checkPrinter = false;
};

ReportHook &reportHook()
{
    static ReportHook hook;
    return hook;
}

void requirePrinter()
{
    if (QPrinterInfo::defaultPrinter().isNull())
        throw zdb::Error(QStringLiteral("Nincs alapértelmezett nyomtató, ezért a nyomtatás nem lehetséges.\n"
                                        "A nyomtatási képből PDF fájlba mentheti."));
}

} // namespace

void ReportLayout::paintPage(QPainter &painter, int page, const QRectF &target) const
{
    if (page < 0 || page >= m_pages.size())
        return;
    const ReportPage &pg = m_pages[page];
    const double scale = qMin(target.width() / width(), target.height() / height());
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96.0;

    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    for (const ReportLine &l : pg.lines) {
        QPen pen{QColor::fromRgba(l.color)};
        pen.setWidthF(l.width);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    for (const ReportIcon &i : pg.icons)
        if (!i.image.isNull())
            painter.drawImage(QRectF(i.x, i.y, i.w, i.h), i.image);

    QList<QFont> fonts;
    fonts.reserve(m_fonts.size());
    for (const ReportFont &f : m_fonts)
        fonts.append(toQFont(f, dpi));
    painter.setPen(Qt::black);
    int current = -1;
    for (const ReportText &t : pg.texts) {
        if (t.text.isEmpty())
            continue;
        const int f = t.font < fonts.size() ? t.font : 0;
        if (f != current) {
            painter.setFont(fonts[f]);
            current = f;
        }
        // drawText clips to the rectangle: what does not fit is cut off.
        painter.drawText(QRectF(t.x, t.y, t.w, t.h), int(t.align) | Qt::TextSingleLine, t.text);
    }
    painter.restore();
}

bool ReportLayout::paint(QPagedPaintDevice *device) const
{
    QPainter painter;
    if (!device || !painter.begin(device))
        return false;
    // The painter's origin is the top left of the printable area.
    const QRectF target(0, 0, device->width(), device->height());
    for (int p = 0; p < pageCount(); ++p) {
        if (p > 0 && !device->newPage()) {
            painter.end();
            return false;
        }
        paintPage(painter, p, target);
    }
    return painter.end();
}

bool ReportLayout::print(QPagedPaintDevice *device) const
{
    if (!device)
        return false;
    if (!device->setPageLayout(a4Layout(m_orientation))) {
        // A printer whose margins cannot be that narrow keeps its own.
        device->setPageSize(QPageSize(QPageSize::A4));
        device->setPageOrientation(m_orientation == Orientation::Portrait ? QPageLayout::Portrait
                                                                          : QPageLayout::Landscape);
    }
    return paint(device);
}

QImage ReportLayout::renderPage(int page, double dpi) const
{
    const QPageLayout pl = a4Layout(m_orientation);
    const QRectF full = pl.fullRect(QPageLayout::Millimeter);
    const QRectF paintRect = pl.paintRect(QPageLayout::Millimeter);
    const double pxPerMm = dpi / 25.4;
    QImage img(qRound(full.width() * pxPerMm), qRound(full.height() * pxPerMm), QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    QPainter painter(&img);
    paintPage(painter, page,
              QRectF(paintRect.x() * pxPerMm, paintRect.y() * pxPerMm, paintRect.width() * pxPerMm,
                     paintRect.height() * pxPerMm));
    painter.end();
    return img;
}

void setShowReportHook(std::function<void(const ReportLayout &, bool)> hook, bool checkPrinter)
{
    reportHook().fn = std::move(hook);
    reportHook().checkPrinter = checkPrinter;
}

void showReport(const ReportLayout &layout, bool print)
{
    const ReportHook &hook = reportHook();
    if (hook.fn) {
        if (print && hook.checkPrinter)
            requirePrinter();
        hook.fn(layout, print);
        return;
    }

    if (print) {
        requirePrinter();
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setDocName(layout.title());
        if (!layout.print(&printer))
            throw zdb::Error(QStringLiteral("A nyomtatás nem sikerült (%1).").arg(info.printerName()));
        return;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(layout.title());
    printer.setPageLayout(a4Layout(layout.orientation()));
    QPrintPreviewDialog dialog(&printer, Shared().mainWindow);
    dialog.setWindowTitle(layout.title().isEmpty() ? QStringLiteral("Nyomtatási kép")
                                                   : QStringLiteral("Nyomtatási kép - %1").arg(layout.title()));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&layout](QPrinter *p) { layout.paint(p); });
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        dialog.resize(avail.width() * 4 / 5, avail.height() * 9 / 10);
    }
    CurrentOutputHost().runDialog(&dialog);
}

} // namespace zrep
