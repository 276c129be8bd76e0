#include "app/helpers/textprint.h"

#include "db/dberror.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <QTextOption>

int PrintPlainText(QPrinter *printer, const QString &text, const PlainTextPage &setup)
{
    if (!setup.docName.isEmpty())
        printer->setDocName(setup.docName);
    printer->setCopyCount(1);
    printer->setPageMargins(setup.marginsMm, QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(printer))
        throw zdb::Error(QStringLiteral("A nyomtatás nem indítható el"));

    const double dpmm = printer->resolution() / 25.4;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double band = setup.bandMm * dpmm;
    const QRectF body(0, band, page.width(), page.height() - 2 * band);

    QTextDocument doc;
    doc.setDefaultFont(setup.font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QFontMetricsF metrics(setup.font, printer);
    option.setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * setup.tabWidth);
    doc.setDefaultTextOption(option);
    doc.documentLayout()->setPaintDevice(printer);
    doc.setPlainText(text);
    doc.setTextWidth(body.width());
    doc.setPageSize(body.size());

    const int pages = doc.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            printer->newPage();
        if (setup.decorate) {
            painter.save();
            setup.decorate(painter, QRectF(0, 0, page.width(), band),
                           QRectF(0, page.height() - band, page.width(), band), p + 1, pages);
            painter.restore();
        }
        painter.save();
        painter.translate(body.left(), body.top() - p * body.height());
        const QRectF clip(0, p * body.height(), body.width(), body.height());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = clip;
        ctx.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, ctx);
        painter.restore();
    }
    painter.end();
    return pages;
}

void PrintPlainTextOnDefaultPrinter(const QString &text, const PlainTextPage &page)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw zdb::Error(QStringLiteral("Nincs alapértelmezett nyomtató beállítva, a szöveg nem nyomtatható ki"));
    QPrinter printer(info, QPrinter::HighResolution);
    PrintPlainText(&printer, text, page);
}
