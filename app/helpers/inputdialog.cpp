#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

#include <cmath>

namespace {

constexpr int kMaxInputLength = 255;

// Dialog units of the dialog's font: a horizontal unit is a quarter of the
// average character width, a vertical one an eighth of the character height.
struct DialogUnits
{
    double x = 1;
    double y = 1;
    int h(double units) const { return static_cast<int>(std::lround(units * x)); }
    int v(double units) const { return static_cast<int>(std::lround(units * y)); }
};

DialogUnits dialogUnitsOf(const QWidget *w)
{
    const QFontMetrics fm(w->font());
    DialogUnits du;
    du.x = qMax(1, fm.averageCharWidth()) / 4.0;
    du.y = qMax(1, fm.height()) / 8.0;
    return du;
}

// Masks may come in the classic three-part form "mask;keep literals;blank";
// the line edit knows only "mask;blank".
QString lineEditMask(const QString &mask)
{
    static const QRegularExpression threePart(QStringLiteral("^(.*);[01];(.)$"));
    const QRegularExpressionMatch m = threePart.match(mask);
    if (m.hasMatch())
        return m.captured(1) + QLatin1Char(';') + m.captured(2);
    return mask;
}

void centreOnScreen(QWidget *w)
{
    QScreen *screen = nullptr;
    if (QWidget *active = QApplication::activeWindow())
        screen = active->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

bool runInput(const QString &caption, const QString &prompt, const QString &mask, QString &text, bool secret)
{
    if (testhooks::automatic()) {
        bool ok = false;
        QString answer;
        if (testhooks::takeInput(ok, answer)) {
            if (ok)
                text = answer.left(kMaxInputLength);
            return ok;
        }
    }

    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("InputWithMask"));
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    auto *label = new QLabel(&dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(prompt);

    auto *edit = new QLineEdit(&dialog);
    edit->setMaxLength(kMaxInputLength);
    if (!mask.isEmpty())
        edit->setInputMask(lineEditMask(mask));
    edit->setText(text);
    edit->selectAll();
    if (secret)
        edit->setEchoMode(QLineEdit::Password);
    // A single question: Enter answers it instead of moving on to the buttons.
    edit->setProperty("zentavoEnterKeepsDefault", true);

    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Mégsem"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    const DialogUnits du = dialogUnitsOf(&dialog);
    const int left = du.h(8);
    const int inner = du.h(164);
    const int labelHeight = qMax(label->heightForWidth(inner), QFontMetrics(label->font()).height());
    label->setGeometry(left, du.v(8), inner, labelHeight);
    const int editTop = label->geometry().bottom() + 1 + du.v(3);
    edit->setGeometry(left, editTop, inner, edit->sizeHint().height());
    const int buttonTop = edit->geometry().bottom() + 1 + du.v(15);
    ok->setGeometry(du.h(38), buttonTop, du.h(50), du.v(14));
    cancel->setGeometry(du.h(92), buttonTop, du.h(50), du.v(14));
    dialog.setFixedSize(du.h(180), buttonTop + du.v(14) + du.v(13));
    centreOnScreen(&dialog);
    edit->setFocus();

    if (execDialog(&dialog) != QDialog::Accepted)
        return false;
    text = edit->text();
    return true;
}

} // namespace

bool InputWithMask(const QString &caption, const QString &prompt, const QString &mask, QString &text)
{
    return runInput(caption, prompt, mask, text, false);
}

QString AskServerPassword(const QString &address)
{
    QString password;
    if (!runInput(QStringLiteral("Adatbázis-kiszolgáló"),
                  QStringLiteral("Az adatbázis jelszava:\n%1").arg(address), QString(), password, true))
        return QString();
    return password;
}
