#pragma once

// The customer list "Ügyfelek": every customer, sorted by any column, with
// the commands that add, edit and delete customers and open what hangs on
// the selected one (its tasks, calendar entries, employees and comments).

#include "app/helpers/listchild.h"

class QAction;

class Tfrm_Ugyfel : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Ugyfel(QWidget *parent = nullptr);

    QAction *aUj = nullptr;
    QAction *aImport = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aFeladat = nullptr;
    QAction *aUjFeladat = nullptr;
    QAction *aNaptar = nullptr;
    QAction *aUjNaptar = nullptr;
    QAction *aAlkalmazott = nullptr;
    QAction *aMegjegyzes = nullptr;
    QAction *aVcf = nullptr;
    QAction *aBezar = nullptr;

    // The commands (the actions run these).
    void newCustomer();
    void editCustomer();
    void deleteCustomer();
    void showTasks();
    void newTask();
    void showCalendar();
    void newCalendarEntry();
    void showEmployees();
    // "Névjegy export (.vcf)...": the listed customers and their employees.
    void exportContacts();

private:
    bool hasCurrentCustomer() const;
    int currentId() const;
    QString currentName() const;
};

