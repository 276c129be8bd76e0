#pragma once

#include <QDialog>

class DataGrid;
class QCheckBox;
class QLineEdit;
class QToolBar;
namespace zdb {
class Table;
}

// "Felhasználók adatai": the users and their rights.
class Tfrm_Felhasznalo : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Felhasznalo(QWidget *parent = nullptr);
    ~Tfrm_Felhasznalo() override;

    zdb::Table *table() const { return m_tbl; }
    DataGrid *grid() const { return m_grid; }
    // Commands, by their object names.
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr, *aBezar = nullptr;

protected:
    void done(int result) override;

private:
    void editUser(bool isNew);
    void deleteUser();

    zdb::Table *m_tbl = nullptr;
    DataGrid *m_grid = nullptr;
    QToolBar *m_toolBar = nullptr;
};

// "Felhasználó adatainak szerkesztése", over the users window's record set.
class Tfrm_FelhasznaloSzerkeszt : public QDialog
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

    void loadFromRow();

protected:
    void done(int result) override;

private:
    bool storeAndCheck();

    zdb::Table *m_tbl;
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
