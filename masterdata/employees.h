#pragma once

// The employees of one customer ("Alkalmazottak") and their editor.

#include "app/helpers/recordeditor.h"
#include "app/helpers/listdialog.h"

class QLineEdit;

class Tfrm_Alkalmazott : public ListDialog
{
    Q_OBJECT
public:
    Tfrm_Alkalmazott(int customerId, const QString &customerName, QWidget *parent = nullptr);

    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;

    void newEmployee();
    void editEmployee();
    void deleteEmployee();

protected:
    QString outputSubtitle() const override { return m_customerName; }

private:
    int m_customerId;
    QString m_customerName;
};

class Tfrm_Alkalmazott_Szerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    explicit Tfrm_Alkalmazott_Szerkeszt(zdb::Table *tbl, QWidget *parent = nullptr);

    QLineEdit *edNev = nullptr;
    QLineEdit *edEmil = nullptr;
    QLineEdit *edTelefon = nullptr;

protected:
    void loadFields() override;
};

// The editor on a new employee of the customer or on the current one.
bool EditEmployee(zdb::Table *tbl, bool isNew, int customerId);
