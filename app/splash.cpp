#include "app/splash.h"

#include "app/helpers/actions.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

Tfrm_Logo::Tfrm_Logo(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("frm_Logo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(400, 240);
    InitZentavoResources();
    m_logo = QPixmap(QStringLiteral(":/pics/logo.png"));
    if (!m_logo.isNull()) {
        m_logo = m_logo.scaled(size());
        setMask(m_logo.createMaskFromColor(QColor(128, 128, 128), Qt::MaskInColor));
    }
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void Tfrm_Logo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_logo.isNull())
        painter.drawPixmap(0, 0, m_logo);
    else
        painter.fillRect(rect(), palette().window());
}

Tfrm_Logo *ShowSplash()
{
    auto *splash = new Tfrm_Logo;
    splash->show();
    QTimer::singleShot(4000, splash, &QWidget::close);
    return splash;
}
