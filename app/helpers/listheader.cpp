#include "app/helpers/listheader.h"

#include <QAction>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

ListHeader::ListHeader(const QString &title, QWidget *parent) : QWidget(parent)
{
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchBox"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaxLength(255);
    m_search->setFixedWidth(qMax(160, m_search->fontMetrics().averageCharWidth() * 24));
    // Esc in the search box starts the search over; it never closes the list.
    auto *clear = new QAction(m_search);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    clear->setShortcutContext(Qt::WidgetShortcut);
    connect(clear, &QAction::triggered, m_search, &QLineEdit::clear);
    m_search->addAction(clear);

    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    QFont f = m_title->font();
    f.setBold(true);
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * 1.4);
    else
        f.setPixelSize(f.pixelSize() * 7 / 5);
    m_title->setFont(f);

    // Until a list sorts, the label shows the plain word.
    m_sort = new QLabel(QStringLiteral("Sorrend"), this);
    m_sort->setObjectName(QStringLiteral("sortLabel"));
    m_sort->setTextFormat(Qt::PlainText);
    m_sort->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(8);
    layout->addWidget(m_search, 0, Qt::AlignVCenter);
    layout->addWidget(m_title, 1);
    layout->addWidget(m_sort, 0);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString ListHeader::title() const
{
    return m_title->text();
}

void ListHeader::setTitle(const QString &title)
{
    m_title->setText(title);
}

QString ListHeader::sortText() const
{
    return m_sort->text();
}

void ListHeader::setSortText(const QString &text)
{
    m_sort->setText(text);
}

void ListHeader::setSearchVisible(bool visible)
{
    m_search->setVisible(visible);
}

void ListHeader::setSortLabelVisible(bool visible)
{
    m_sort->setVisible(visible);
}

QString ListHeader::sortLabelText(const QString &title)
{
    return QStringLiteral("sorrend\n") + title + QStringLiteral(" szerint");
}
