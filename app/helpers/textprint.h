#pragma once

// Plain text printed at once on the default printer, without a dialog: the
// text wrapped into the page body between a header and a footer band, with
// tab stops every few spaces. The readme window and the note editor print
// this way.

#include <QFont>
#include <QMarginsF>
#include <QString>

#include <functional>

class QPainter;
class QPrinter;
class QRectF;

struct PlainTextPage
{
    QString docName;
    QFont font;
    int tabWidth = 8;                        // in spaces
    QMarginsF marginsMm{25, 25, 15, 25};     // left, top, right, bottom
    double bandMm = 15;                      // header and footer height
    // Draws into the header and footer bands of a page (1-based); none: empty bands.
    std::function<void(QPainter &painter, const QRectF &header, const QRectF &footer, int page, int pages)> decorate;
};

// Lays the text out on the printer's pages; the number of pages printed.
// Throws zdb::Error when printing cannot start.
int PrintPlainText(QPrinter *printer, const QString &text, const PlainTextPage &page);

// The same on the default printer, one copy. With no printer installed it
// throws an error that says so (never prints nothing in silence).
void PrintPlainTextOnDefaultPrinter(const QString &text, const PlainTextPage &page);
