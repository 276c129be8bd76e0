#include "app/readmedialog.h"

#include "app/helpers/actions.h"
#include "db/dberror.h"
#include "app/helpers/testhooks.h"
#include "app/helpers/guard.h"
#include "app/helpers/textprint.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
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

PlainTextPage Tfrm_Readme::pageSetup()
{
    PlainTextPage page;
    page.docName = QStringLiteral("Felhasználói szerződés");
    page.font = QFont(QStringLiteral("DejaVu Sans"), 10);
    page.decorate = [](QPainter &painter, const QRectF &header, const QRectF &footer, int p, int pages) {
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        painter.drawText(QRectF(header.left(), header.top(), header.width(), header.height() * 0.6),
                         Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Zentavo – Felhasználói szerződés"));
        painter.drawLine(QPointF(header.left(), header.height() * 0.7), QPointF(header.right(), header.height() * 0.7));
        painter.drawText(QRectF(footer.left(), footer.bottom() - footer.height() * 0.6, footer.width(), footer.height() * 0.6),
                         Qt::AlignRight | Qt::AlignBottom, QStringLiteral("%1. oldal / %2").arg(p).arg(pages));
    };
    return page;
}

int Tfrm_Readme::printTo(QPrinter *printer) const
{
    return PrintPlainText(printer, fixedText(), pageSetup());
}

void Tfrm_Readme::print()
{
    // Printed at once, on the default printer, without a dialog.
    PrintPlainTextOnDefaultPrinter(fixedText(), pageSetup());
}

void ShowReadme(QWidget *parent)
{
    Tfrm_Readme window(parent);
    execDialog(&window);
}
