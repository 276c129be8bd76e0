#include "scheduling/prompts.h"

#include "scheduling/entries.h"
#include "scheduling/entryeditor.h"

#include "app/helpers/actions.h"
#include "app/helpers/testhooks.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextCharFormat>
#include <QVBoxLayout>

namespace {

QDate orToday(const QDate &date)
{
    return date.isValid() ? date : QDate::currentDate();
}

void centreOnDesktop(QWidget *w)
{
    w->adjustSize();
    QScreen *screen = w->parentWidget() ? w->parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        w->move(screen->availableGeometry().center() - w->rect().center());
}

QHBoxLayout *okCancelRow(QDialog *dialog)
{
    auto *ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("btOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), dialog);
    cancel->setObjectName(QStringLiteral("btMegsem"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace

void SetUpMonthCalendar(QCalendarWidget *calendar)
{
    calendar->setLocale(QLocale(QLocale::Hungarian, QLocale::Hungary));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    calendar->setGridVisible(false);
}

// ---- date prompt ------------------------------------------------------------

Tfrm_Datum::Tfrm_Datum(const QDate &date, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frm_Datum"));
    setWindowTitle(QStringLiteral("Dátum megadása"));

    // Without a window border the frame marks the prompt's edge.
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    m_calendar = new QCalendarWidget(frame);
    m_calendar->setObjectName(QStringLiteral("MonthCalendar1"));
    SetUpMonthCalendar(m_calendar);
    // Today gets no marking of its own.
    m_calendar->setDateTextFormat(QDate::currentDate(), QTextCharFormat());
    m_calendar->setSelectedDate(orToday(date));
    m_calendar->setMinimumSize(300, 210);

    auto *inner = new QVBoxLayout(frame);
    inner->setContentsMargins(8, 8, 8, 8);
    inner->addWidget(m_calendar);
    inner->addLayout(okCancelRow(this));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    // A double-click (or Enter) on a day confirms it.
    connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);
    m_calendar->setFocus(Qt::OtherFocusReason);
    centreOnDesktop(this);
}

QDate Tfrm_Datum::date() const
{
    return m_calendar->selectedDate();
}

bool AskDate(QDate &date)
{
    Tfrm_Datum dialog(date, DialogParent());
    if (execDialog(&dialog) != QDialog::Accepted)
        return false;
    date = dialog.date();
    return true;
}

// ---- period prompt ----------------------------------------------------------

namespace {

QDateEdit *periodField(QWidget *parent, const QString &objectName, const QDate &date)
{
    auto *field = new QDateEdit(orToday(date), parent);
    field->setObjectName(objectName);
    field->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    field->setCalendarPopup(true);
    SetUpMonthCalendar(field->calendarWidget());
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00.")) + 48);
    return field;
}

} // namespace

Tfrm_Idoszak::Tfrm_Idoszak(const QDate &from, const QDate &to, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Idoszak"));
    setWindowTitle(QStringLiteral("Időszak megadása"));
    setWindowIcon(ZIcon(QStringLiteral("naptar")));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_from = periodField(this, QStringLiteral("edKezdet"), from);
    m_to = periodField(this, QStringLiteral("edVege"), to);
    auto *form = new QFormLayout;
    form->setHorizontalSpacing(12);
    form->addRow(QStringLiteral("kezdete"), m_from);
    form->addRow(QStringLiteral("vége"), m_to);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    QHBoxLayout *buttons = okCancelRow(this);
    layout->addLayout(buttons);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, findChild<QPushButton *>(QStringLiteral("btOK")));
    setTabOrder(findChild<QPushButton *>(QStringLiteral("btOK")), findChild<QPushButton *>(QStringLiteral("btMegsem")));
    m_from->setFocus(Qt::OtherFocusReason);

    layout->addStrut(260);   // room for the caption
    layout->setSizeConstraint(QLayout::SetFixedSize);
    centreOnDesktop(this);
}

QDate Tfrm_Idoszak::from() const
{
    return m_from->date();
}

QDate Tfrm_Idoszak::to() const
{
    return m_to->date();
}

bool AskPeriod(QDate &from, QDate &to)
{
    Tfrm_Idoszak dialog(from, to, DialogParent());
    if (execDialog(&dialog) != QDialog::Accepted)
        return false;
    from = dialog.from();
    to = dialog.to();
    return true;
}
