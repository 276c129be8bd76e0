#include "app/readmedialog.h"

#include "app/helpers/actions.h"
#include "db/dberror.h"
#include "app/helpers/testhooks.h"
#include "app/helpers/guard.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

Tfrm_Readme::Tfrm_Readme(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Readme"));
    setWindowTitle(QStringLiteral("Fontos információk"));
    setWindowIcon(ZIcon(QStringLiteral("fontos")));
    setSizeGripEnabled(true);

    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setPlainText(fixedText());

    auto *print = new QPushButton(ZIcon(QStringLiteral("nyomtat")), QStringLiteral("Nyomtat"), this);
    print->setObjectName(QStringLiteral("btnNyomtat"));
    auto *close = new QPushButton(ZIcon(QStringLiteral("bezar")), QStringLiteral("Bezár"), this);
    close->setObjectName(QStringLiteral("btnBezar"));
    connect(print, &QPushButton::clicked, this, [this] { RunGuarded([this] { this->print(); }, this); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto *strip = new QHBoxLayout;
    strip->addWidget(print);
    strip->addStretch(1);
    strip->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(strip);
    resize(552, 399);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString Tfrm_Readme::fixedText()
{
    InitZentavoResources();
    QFile file(QStringLiteral(":/readme.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

int Tfrm_Readme::printTo(QPrinter *printer) const
{
    printer->setDocName(QStringLiteral("Felhasználói szerződés"));
    printer->setCopyCount(1);
    printer->setPageMargins(QMarginsF(25, 25, 15, 25), QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(printer))
        throw zdb::Error(QStringLiteral("A nyomtatás nem indítható el"));

    const double dpmm = printer->resolution() / 25.4;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double band = 15 * dpmm; // header and footer
    const QRectF body(0, band, page.width(), page.height() - 2 * band);

    QTextDocument doc;
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    doc.setDefaultFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QFontMetricsF metrics(font, printer);
    option.setTabStopDistance(metrics.horizontalAdvance(QLatin1Char(' ')) * 8);
    doc.setDefaultTextOption(option);
    doc.documentLayout()->setPaintDevice(printer);
    doc.setPlainText(fixedText());
    doc.setTextWidth(body.width());
    doc.setPageSize(body.size());

    const int pages = doc.pageCount();
    QFont small(QStringLiteral("DejaVu Sans"), 8);
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            printer->newPage();
        painter.setFont(small);
        painter.drawText(QRectF(0, 0, page.width(), band * 0.6), Qt::AlignLeft | Qt::AlignBottom,
                         QStringLiteral("Zentavo – Felhasználói szerződés"));
        painter.drawLine(QPointF(0, band * 0.7), QPointF(page.width(), band * 0.7));
        painter.drawText(QRectF(0, page.height() - band * 0.6, page.width(), band * 0.6), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("%1. oldal / %2").arg(p + 1).arg(pages));
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

void Tfrm_Readme::print()
{
    // Printed at once, on the default printer, without a dialog.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw zdb::Error(QStringLiteral("Nincs alapértelmezett nyomtató beállítva, a szöveg nem nyomtatható ki"));
    QPrinter printer(info, QPrinter::HighResolution);
    printTo(&printer);
}

void ShowReadme(QWidget *parent)
{
    Tfrm_Readme window(parent);
    execDialog(&window);
}
