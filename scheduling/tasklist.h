#pragma once

// The task list "Feladatok": the rows of the main window's shared task record
// set, by default the open tasks ordered by deadline, with the commands that
// create, edit, delete, mark done and re-status tasks.

#include "app/helpers/listchild.h"

class Tfrm_Feladat : public ListChild
{
    Q_OBJECT
public:
    explicit Tfrm_Feladat(QWidget *parent = nullptr);

    // The commands (the actions run these).
    void newTask();
    void editTask();
    void deleteTask();
    // "Kész!": open <-> done, then reload and find the task again.
    void toggleDone();
    // "Szűrés": only open tasks (on) or every task (off).
    void setOpenTasksFilter(bool on);
    void setStatus(int status);
    void openWorkLog();
    // "Naptár export (.ics)...": from this month's start a year ahead offered as the period.
    void exportCalendar();

    // Commands, by their object names.
    QAction *aSzur = nullptr;
    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aKesz = nullptr;
    QAction *aStatusz = nullptr;
    QAction *aMunka = nullptr;
    QAction *aIcs = nullptr;
    QAction *aBezar = nullptr;

private:
    bool hasCurrentTask() const;
    int currentTaskId() const;
};
