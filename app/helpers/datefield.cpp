#include "app/helpers/datefield.h"

#include <QKeyEvent>

DateField::DateField(QWidget *parent)
    : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    setCalendarPopup(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setMinimumDate(QDate(1752, 9, 14));   // stands for "no date"
    setMaximumDate(QDate(9999, 12, 31));
    setSpecialValueText(QStringLiteral(" "));
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

void DateField::setValue(const QDate &date)
{
    if (date.isValid() && date > minimumDate() && date <= maximumDate())
        setDate(date);
    else
        setBlank();
}

void DateField::stepBy(int steps)
{
    // The first step out of an empty field lands on today, not next to 1752.
    if (isBlank()) {
        setDate(QDate::currentDate());
        return;
    }
    QDateEdit::stepBy(steps);
}

void DateField::keyPressEvent(QKeyEvent *event)
{
    if (isBlank() && !event->text().isEmpty() && event->text().at(0).isDigit()) {
        setDate(QDate::currentDate());
        setSelectedSection(QDateTimeEdit::YearSection);
    }
    QDateEdit::keyPressEvent(event);
}
