#include "app/logindialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tfrm_Login::Tfrm_Login(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Login"));
    setWindowTitle(QStringLiteral("Belépés azonosítás"));
    setWindowIcon(ZIcon(QStringLiteral("felhasznalo")));

    m_tbl = new zdb::Table(Db1(), QStringLiteral("felhasznalo"), this);
    zdb::DeclareFields(*m_tbl, QStringLiteral("felhasznalo"), {}, zdb::FieldTitles::Names);

    auto *picture = new QLabel(this);
    picture->setPixmap(ZIcon(QStringLiteral("felhasznalo")).pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop);
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("edFelhasznalo"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("edJelszo"));
    m_password->setEchoMode(QLineEdit::Password);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Felhasználó"), m_user);
    form->addRow(QStringLiteral("Jelszó"), m_password);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(form, 1);

    m_ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    m_newPassword = new QPushButton(ZIcon(QStringLiteral("felhasznalo")), QStringLiteral("Új jelszó"), this);
    m_cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_newPassword);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setTabOrder(m_user, m_password);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, m_newPassword);
    setTabOrder(m_newPassword, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, [this] { RunGuarded([this] { okClicked(); }, this); });
    connect(m_newPassword, &QPushButton::clicked, this, [this] { RunGuarded([this] { newPasswordClicked(); }, this); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(340, sizeHint().height());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Tfrm_Login::~Tfrm_Login() = default;

void Tfrm_Login::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    RunGuarded([this] { m_tbl->open(); }, this);
}

void Tfrm_Login::openUsers()
{
    m_tbl->open();
}

void Tfrm_Login::hideEvent(QHideEvent *e)
{
    m_tbl->close();
    QDialog::hideEvent(e);
}

bool Tfrm_Login::checkLogin()
{
    // Code and password both count letter case.
    m_tbl->open();
    if (m_tbl->locate(QStringLiteral("felhasznalo"), m_user->text())
        && VarToStrNull(m_tbl->value(QStringLiteral("jelszo"))) == m_password->text()) {
        TBeall &beall = Beall();
        beall.IsAdministrator = m_tbl->text(QStringLiteral("rendszergazda")) == QLatin1String("I");
        beall.CanEditMasterData = m_tbl->text(QStringLiteral("torzsszerkeszt")) == QLatin1String("I");
        return true;
    }
    ShowError(QStringLiteral("Érvénytelen felhasználó, vagy jelszó"), this);
    return false;
}

void Tfrm_Login::okClicked()
{
    m_success = checkLogin();
    Beall().CurrentUser = m_user->text();
    if (m_success)
        accept();
}

void Tfrm_Login::newPasswordClicked()
{
    if (!checkLogin())
        return;
    QString first;
    if (!InputWithMask(QStringLiteral("Jelszó megadása"), QStringLiteral("Add meg az új jelszót"), QString(), first))
        return;
    QString second;
    if (!InputWithMask(QStringLiteral("Megerősítés"), QStringLiteral("Add újra az új jelszót"), QString(), second))
        return;
    if (first != second) {
        ShowError(QStringLiteral("A megadott jelszavak nem egyezőek"), this);
        return;
    }
    m_tbl->edit();
    try {
        m_tbl->setValue(QStringLiteral("jelszo"), first);
        m_tbl->post();
    } catch (...) {
        m_tbl->cancel();
        throw;
    }
    ShowInfo(QStringLiteral("Jelszó változtatás kész."), this);
}

bool RunLogin(QWidget *parent)
{
    Tfrm_Login dialog(parent);
    // Opened before the dialog appears, so that a database whose users cannot
    // be read ends the start instead of offering a login that cannot succeed.
    dialog.openUsers();
    const int result = execDialog(&dialog);
    return result == QDialog::Accepted && dialog.succeeded();
}
