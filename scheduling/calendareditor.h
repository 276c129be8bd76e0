#pragma once

// The calendar entry editor "Bejegyzés szerkesztés" over the calendar record
// set's row in insert or edit mode; opened through EditCalendarEntry
// (entries.h).

#include "scheduling/entryeditor.h"

class QLineEdit;

class Tfrm_Naptar_Szerkeszt : public EntryEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Naptar_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

protected:
    void loadOwnFields() override;
    void storeOwnFields() override;
    bool readyToStore() override;

private:
    void hourEdited(const QString &text);

    DateField *m_datum;
    QLineEdit *m_ora;
    QLineEdit *m_rovid;
    bool m_hourEdited = false;
};
