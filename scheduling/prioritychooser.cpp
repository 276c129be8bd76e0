#include "scheduling/prioritychooser.h"

#include "scheduling/records.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

constexpr int kPicture = 32;
constexpr int kIndent = 5;
constexpr int kEntries = 4;

void paintEntry(QPainter *painter, const QRect &rect, int index, bool selected, const QPalette &palette)
{
    painter->fillRect(rect, selected ? palette.highlight() : palette.base());
    if (index < 0 || index >= kEntries)
        return;
    const QPixmap picture = PriorityPicture(index, kPicture);
    const int top = rect.top() + (rect.height() - kPicture) / 2;
    painter->drawPixmap(QRect(rect.left() + kIndent, top, kPicture, kPicture), picture);
}

// The drop-down entries: the picture alone, on the highlight colour when selected.
class PriorityDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        paintEntry(painter, option.rect, index.row(), option.state & QStyle::State_Selected, option.palette);
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {kIndent + kPicture + kIndent, kPicture + 4};
    }
};

} // namespace

PriorityChooser::PriorityChooser(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new PriorityDelegate(this));
    for (int i = 0; i < kEntries; ++i)
        addItem(QString(), i);
    setCurrentIndex(0);
}

void PriorityChooser::setValue(int fontos)
{
    setCurrentIndex(fontos >= 0 && fontos < kEntries ? fontos : -1);
}

QSize PriorityChooser::sizeHint() const
{
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QSize content(kIndent + kPicture + kIndent, kPicture + 2);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &opt, content, this);
}

void PriorityChooser::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    // The chosen entry is drawn like a selected one while the chooser has the focus.
    paintEntry(&painter, field, currentIndex(), hasFocus(), palette());
}
