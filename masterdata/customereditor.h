#pragma once

// The customer editor "Ügyfél szerkesztés": a modal dialog over the customer
// list's record set, on a new customer or the current one.

#include "app/helpers/recordeditor.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

class Tfrm_Ugyfel_Szerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Ugyfel_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    QLineEdit *edKod = nullptr;
    QLineEdit *edNev = nullptr;
    QLineEdit *edTelefon = nullptr;
    QLineEdit *edFax = nullptr;
    QLineEdit *edMobil = nullptr;
    QToolButton *btNevMasol = nullptr;   // the name is the contact
    QLineEdit *edKapcsolattarto = nullptr;
    QLineEdit *edEmil = nullptr;
    QLineEdit *edIrsz = nullptr;
    QLineEdit *edVaros = nullptr;
    QLineEdit *edCim = nullptr;
    QPlainTextEdit *edMegjegyzes = nullptr;

    // The code shown to a new customer when the editor opened: left as it
    // is, it is only a proposal, given anew when saved if another desk took
    // it meanwhile.
    int proposedCode = 0;
    bool keepsProposedCode() const;

protected:
    void loadFields() override;
    bool confirmStore() override;
};

// Runs the editor; for a new customer the code is preset to the next free one
// unless presetCode is false. True when the row was stored.
bool EditCustomer(zdb::Table *tbl, bool isNew, bool presetCode = true);
