#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/dberror.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

const char *iconName(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Question: return "question";
    case QMessageBox::Critical: return "error";
    case QMessageBox::Warning: return "warning";
    default: return "information";
    }
}

// Without an owner the box belongs to whatever window the user is working in,
// so it stays in front of it.
QWidget *ownerOrActive(QWidget *owner)
{
    if (owner)
        return owner->window();
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Returns true when the box was answered with Yes.
bool showBox(QMessageBox::Icon icon, const QString &caption, const QString &message, QWidget *owner,
             bool defaultNo = false)
{
    if (testhooks::automatic()) {
        testhooks::recordMessage({caption, message, QLatin1String(iconName(icon))});
        bool yes = false;
        if (icon == QMessageBox::Question)
            testhooks::takeAnswer(yes);
        return yes;
    }

    const bool question = icon == QMessageBox::Question;
    QMessageBox box(icon, caption, message,
                    question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    ownerOrActive(owner));
    // Error texts may quote user input or SQL; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (question) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Igen"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nem"));
        box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    return box.exec() == QMessageBox::Yes;
}

} // namespace

bool AskYesNo(const QString &message, const QString &caption, QWidget *owner)
{
    return showBox(QMessageBox::Question, caption, message, owner);
}

bool AskYesNoDefaultNo(const QString &message, const QString &caption, QWidget *owner)
{
    return showBox(QMessageBox::Question, caption, message, owner, true);
}

bool AskChoice(const QString &message, const QString &caption, const QString &first, const QString &second,
               QWidget *owner)
{
    if (testhooks::automatic()) {
        testhooks::recordMessage({caption, message, QStringLiteral("question")});
        bool yes = false;
        testhooks::takeAnswer(yes);
        return yes;
    }
    QMessageBox box(QMessageBox::Warning, caption, message, QMessageBox::NoButton, ownerOrActive(owner));
    box.setTextFormat(Qt::PlainText);
    QPushButton *one = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton *two = box.addButton(second, QMessageBox::RejectRole);
    box.setDefaultButton(one);
    box.setEscapeButton(two);
    box.exec();
    return box.clickedButton() == one;
}

void ShowError(const QString &message, QWidget *owner)
{
    showBox(QMessageBox::Critical, QStringLiteral("Hiba"), message, owner);
}

void ShowWarning(const QString &message, QWidget *owner)
{
    showBox(QMessageBox::Warning, QStringLiteral("Figyelmeztetés"), message, owner);
}

void ShowInfo(const QString &message, QWidget *owner)
{
    showBox(QMessageBox::Information, QStringLiteral("Üzenet"), message, owner);
}

void ShowUnhandledError(const QString &message, QWidget *owner)
{
    showBox(QMessageBox::Critical, QStringLiteral("Zentavo"), zdb::errorDisplayText(message), owner);
}
