#pragma once

// The task editor "Feladat szerkesztés" over the task record set's row in
// insert or edit mode; opened through EditTask (entries.h).

#include "scheduling/entryeditor.h"

class QLineEdit;

class Tfrm_Feladat_Szerkeszt : public EntryEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Feladat_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

private:
    DateField *m_datum;
    DateField *m_hatid;
    QLineEdit *m_rovid;
};

// A new task's deadline: the same day a month later, the month's last day
// when the next month is shorter.
QDate TaskDeadlineFor(const QDate &day);
