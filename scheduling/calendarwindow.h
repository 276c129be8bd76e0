#pragma once

// The calendar window "Naptár": the entries of one day, the program's current
// calendar day, from the main window's shared calendar record set, ordered by
// hour, with day stepping and the commands that create, edit, delete and mark
// entries done.

#include "app/helpers/listchild.h"

#include <QDate>

class Tfrm_Naptar : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Naptar(QWidget *parent = nullptr);

    // The header strip's text: the shown day.
    QString listSubtitle() const override;

    // Makes day the current calendar day and shows its entries.
    void showDay(const QDate &day);

    // The commands (the actions run these).
    void newEntry();
    void editEntry();
    void deleteEntry();
    void toggleDone();
    void previousDay();
    void nextDay();
    void chooseDay();
    // "Naptár export (.ics)...": the shown day's month offered as the period.
    void exportCalendar();

    // Commands, by their object names.
    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aTegnap = nullptr;
    QAction *aDatumra = nullptr;
    QAction *aHolnap = nullptr;
    QAction *aKesz = nullptr;
    QAction *aIcs = nullptr;
    QAction *aBezar = nullptr;

private:
    bool hasCurrentEntry() const;
};
