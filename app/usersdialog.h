#pragma once

#include "app/helpers/recordeditor.h"
#include "app/helpers/listdialog.h"

class QCheckBox;
class QLineEdit;
namespace zdb {
class Table;
}

// "Felhasználók adatai": the users and their rights.
class Tfrm_Felhasznalo : public ListDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Felhasznalo(QWidget *parent = nullptr);

    // Opens the record set on every user.
    void openList();

    // Commands, by their object names; aBezar is the base's.
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr;

private:
    void editUser(bool isNew);
    void deleteUser();
};

// "Felhasználó adatainak szerkesztése", over the users window's record set.
class Tfrm_FelhasznaloSzerkeszt : public RecordEditor
{
    Q_OBJECT
public:
    Tfrm_FelhasznaloSzerkeszt(zdb::Table *table, QWidget *parent = nullptr);

    QLineEdit *codeEdit() const { return m_code; }
    QCheckBox *adminBox() const { return m_admin; }
    QCheckBox *editorBox() const { return m_editor; }
    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *passwordEdit() const { return m_password; }
    QLineEdit *repeatEdit() const { return m_repeat; }

protected:
    void loadFields() override;
    void storeFields() override;
    bool readyToStore() override;

private:
    QLineEdit *m_code = nullptr;
    QCheckBox *m_admin = nullptr;
    QCheckBox *m_editor = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_repeat = nullptr;
};

// The entry of the "Felhasználók" command.
void ShowUsers(QWidget *parent);
// The user editor on the current row (or a new one); true when posted.
bool EditUser(zdb::Table *table, bool isNew, QWidget *parent);
