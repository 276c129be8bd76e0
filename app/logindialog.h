#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
namespace zdb {
class Table;
}

// The login dialog of the start sequence; also changes the own password.
class Tfrm_Login : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_Login(QWidget *parent = nullptr);
    ~Tfrm_Login() override;

    bool succeeded() const { return m_success; }
    // Opens the users record set; a database without usable users throws.
    void openUsers();
    QLineEdit *userEdit() const { return m_user; }
    QLineEdit *passwordEdit() const { return m_password; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *newPasswordButton() const { return m_newPassword; }
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    bool checkLogin();
    void okClicked();
    void newPasswordClicked();

    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_newPassword = nullptr;
    QPushButton *m_cancel = nullptr;
    zdb::Table *m_tbl = nullptr;
    bool m_success = false;
};

// Shows the login dialog; true when the user logged in.
bool RunLogin(QWidget *parent);
