#include "app/helpers/dialogbehaviour.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QRadioButton>
#include <QToolButton>

namespace {

// The toolkit's own dialogs keep their usual keyboard: Enter in a file name
// box must open the file, not move on.
bool isStockDialog(const QWidget *window)
{
    static const char *const stock[] = {
        "QFileDialog", "QMessageBox", "QColorDialog", "QFontDialog", "QInputDialog",
        "QProgressDialog", "QErrorMessage", "QAbstractPrintDialog", "QPageSetupDialog",
        "QPrintPreviewDialog", "QWizard",
    };
    for (const char *name : stock)
        if (window->inherits(name))
            return true;
    return false;
}

// In-place editors of grids and lists follow the view's own keys.
bool insideItemView(const QWidget *w)
{
    for (const QWidget *p = w; p && !p->isWindow(); p = p->parentWidget())
        if (qobject_cast<const QAbstractItemView *>(p))
            return true;
    return false;
}

// The widget that stands for a one-line input: the spin box or combo box that
// owns an inner line edit, or the line edit itself.
QWidget *oneLineInput(QWidget *w)
{
    if (!w || insideItemView(w))
        return nullptr;
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QWidget *parent = edit->parentWidget();
        if (qobject_cast<QAbstractSpinBox *>(parent))
            return parent;
        if (auto *combo = qobject_cast<QComboBox *>(parent); combo && combo->lineEdit() == edit)
            return combo;
        return edit;
    }
    if (qobject_cast<QAbstractSpinBox *>(w))
        return w;
    if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->isEditable())
        return combo;
    return nullptr;
}


bool keepsDefault(const QWidget *w)
{
    return w && w->property("zentavoEnterKeepsDefault").toBool();
}

class DialogBehaviour : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (watched->isWidgetType())
                focusIn(static_cast<QWidget *>(watched));
            break;
        case QEvent::FocusOut:
            if (watched->isWidgetType())
                focusOut(static_cast<QWidget *>(watched), static_cast<QFocusEvent *>(event)->reason());
            break;
        case QEvent::KeyPress:
            if (watched->isWidgetType())
                return keyPress(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
            break;
        default:
            break;
        }
        return false;
    }

private:
    void focusIn(QWidget *w)
    {
        if (!IsZentavoDialog(w))
            return;
        QWidget *input = oneLineInput(w);
        if (!input || input == m_painted)
            return;
        restore();
        m_painted = input;
        m_hadOwnPalette = input->testAttribute(Qt::WA_SetPalette);
        m_original = input->palette();
        QPalette highlighted = m_original;
        highlighted.setColor(QPalette::Base, FocusHighlightColor());
        input->setPalette(highlighted);
    }

    void focusOut(QWidget *w, Qt::FocusReason reason)
    {
        // A drop-down calendar or a context menu does not take the input's place.
        if (reason == Qt::PopupFocusReason || !m_painted)
            return;
        if (oneLineInput(w) == m_painted)
            restore();
        else if (w == m_painted)
            // Only a widget in its destructor no longer passes for an input:
            // leave its palette alone.
            m_painted = nullptr;
    }

    void restore()
    {
        if (m_painted)
            m_painted->setPalette(m_hadOwnPalette ? m_original : QPalette());
        m_painted = nullptr;
    }

    bool keyPress(QWidget *w, QKeyEvent *key)
    {
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        // Unhandled, the event travels on to the parents; none of the kinds
        // acted on here passes Enter on except a spin box's or combo box's
        // inner line edit, whose owner then does the same.
        if (!IsZentavoDialog(w) || insideItemView(w))
            return false;
        QWidget *input = oneLineInput(w);
        if (keepsDefault(w) || keepsDefault(input))
            return false;

        // A tool button sits beside a field and changes it (the name copy, a
        // file chooser): Enter passes it over as it does an input, so one
        // Enter too many never overwrites a field.
        if (input || qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)
            || qobject_cast<QComboBox *>(w) || qobject_cast<QToolButton *>(w)) {
            FocusNextControl(input ? input : w);
            return true;
        }
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->isEnabled())
                button->click();
            return true;
        }
        return false;
    }

    QPointer<QWidget> m_painted;
    QPalette m_original;
    bool m_hadOwnPalette = false;
};

QPointer<DialogBehaviour> &installed()
{
    static QPointer<DialogBehaviour> filter;
    return filter;
}

} // namespace

// The next control in tab order, the way Tab walks the focus chain. Sending
// Tab itself would not do: a date field takes Tab to step to its next part.
void FocusNextControl(QWidget *from)
{
    QWidget *window = from->window();
    for (QWidget *c = from->nextInFocusChain(); c && c != from; c = c->nextInFocusChain()) {
        if ((c->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || c->focusProxy())
            continue;
        if (c->window() != window || !c->isVisibleTo(window) || !c->isEnabled())
            continue;
        if (from->isAncestorOf(c))   // the control's own inner parts
            continue;
        // A browse button beside a field is reached with Tab or the mouse;
        // Enter never lands on it, so one Enter too many opens nothing.
        if (c->property("zentavoEnterPassesOver").toBool())
            continue;
        c->setFocus(Qt::TabFocusReason);
        return;
    }
}

bool IsZentavoDialog(const QWidget *w)
{
    if (!w)
        return false;
    const QWidget *window = w->window();
    const QVariant flag = window->property("zentavoDialog");
    if (flag.isValid())
        return flag.toBool();
    return qobject_cast<const QDialog *>(window) && !isStockDialog(window);
}

void InstallDialogBehaviour(QApplication *app)
{
    if (!app || installed())
        return;
    auto *filter = new DialogBehaviour(app);
    installed() = filter;
    app->installEventFilter(filter);
}
