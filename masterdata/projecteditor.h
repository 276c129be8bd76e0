#pragma once

// The project editor "Projekt szerkesztés" over the project list's current
// row: code, name, start date and the free note; the closed state is shown,
// not changed ("Lezárom" in the list does that).

#include "app/helpers/recordeditor.h"

class DateField;
class DescriptionEditor;
class QCheckBox;
class QLineEdit;

class Tfrm_Projekt_Szerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Projekt_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    QLineEdit *projektKod() const { return m_kod; }
    QLineEdit *projektNev() const { return m_nev; }
    DateField *indul() const { return m_indul; }
    DescriptionEditor *megjegyzes() const { return m_megjegyzes; }
    QCheckBox *lezarva() const { return m_lezarva; }
    QLineEdit *datLezar() const { return m_datLezar; }

protected:
    void loadFields() override;

private:
    QLineEdit *m_kod;
    QLineEdit *m_nev;
    DateField *m_indul;
    DescriptionEditor *m_megjegyzes;
    QCheckBox *m_lezarva;
    QLineEdit *m_datLezar;
};

// The editor on a new project (isNew: started today, open) or the current
// row of `tbl`; true when stored.
bool EditProject(zdb::Table *tbl, bool isNew);
