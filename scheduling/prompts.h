#pragma once

// The date prompt "Dátum megadása" (AskDate) and the period prompt
// "Időszak megadása" (AskPeriod); entries.h declares the entries.

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QDateEdit;

// Borderless, centred on the desktop: a month calendar with week numbers; a
// double-click on a day confirms like "OK".
class Tfrm_Datum : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Datum(const QDate &date, QWidget *parent = nullptr);
    QDate date() const;
    QCalendarWidget *calendar() const { return m_calendar; }

private:
    QCalendarWidget *m_calendar;
};

// Fixed size, centred on the desktop: the start and the end of a period.
class Tfrm_Idoszak : public QDialog
{
    Q_OBJECT
public:
    Tfrm_Idoszak(const QDate &from, const QDate &to, QWidget *parent = nullptr);
    QDate from() const;
    QDate to() const;

private:
    QDateEdit *m_from;
    QDateEdit *m_to;
};

// The month calendars of the program: Hungarian, Monday first, week numbers.
void SetUpMonthCalendar(QCalendarWidget *calendar);
