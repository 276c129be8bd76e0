#include "app/aboutdialog.h"

#include "app/helpers/actions.h"
#include "app/mainwindow.h"
#include "app/helpers/testhooks.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tfrm_Nevjegy::Tfrm_Nevjegy(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Nevjegy"));
    setWindowTitle(QStringLiteral("Névjegy"));

    auto *logo = new QLabel(this);
    InitZentavoResources();
    QPixmap pic(QStringLiteral(":/pics/logo_small.png"));
    logo->setPixmap(pic.isNull() ? ZIcon(QStringLiteral("zentavo")).pixmap(96, 96) : pic.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    logo->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto *name = new QLabel(QStringLiteral("Zentavo"), this);
    name->setObjectName(QStringLiteral("lblNev"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2.0);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignRight);
    auto *version = new QLabel(QStringLiteral("V1.0.0.52"), this);
    version->setObjectName(QStringLiteral("lblVerzio"));
    version->setAlignment(Qt::AlignRight);
    auto *header = new QVBoxLayout;
    header->addWidget(name);
    header->addWidget(version);
    header->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(logo);
    top->addLayout(header, 1);

    auto *tagline = new QLabel(QStringLiteral("Naptár, és határidőnapló program"), this);
    QFont italic = tagline->font();
    italic.setItalic(true);
    tagline->setFont(italic);

    auto *contact = new QLabel(this);
    contact->setTextFormat(Qt::RichText);
    contact->setTextInteractionFlags(Qt::TextBrowserInteraction);
    contact->setOpenExternalLinks(true);
    contact->setText(QStringLiteral("<b>Elérhetőség</b><br>Bertalox Szoftver<br>Honlap: <a href=\"%1\">%1</a><br>E-mail: "
                                    "<a href=\"mailto:%2\">%2</a>")
                         .arg(QString::fromLatin1(MakerHomePage), QString::fromLatin1(MakerSupportEmail)));
    contact->setFrameShape(QFrame::StyledPanel);
    contact->setMargin(8);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tagline);
    layout->addWidget(contact);
    layout->addLayout(buttons);

    setFixedSize(360, sizeHint().height());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ShowAbout(QWidget *parent)
{
    Tfrm_Nevjegy box(parent);
    execDialog(&box);
}
