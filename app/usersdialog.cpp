#include "app/usersdialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QString kUsersForm = QStringLiteral("frm_Felhasznalo");
const QString kEditorForm = QStringLiteral("frm_FelhasznaloSzerkeszt");
const QString kYes = QStringLiteral("I");
const QString kNo = QStringLiteral("N");
} // namespace

Tfrm_Felhasznalo::Tfrm_Felhasznalo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(kUsersForm);
    setWindowTitle(QStringLiteral("Felhasználók adatai"));
    setWindowIcon(ZIcon(QStringLiteral("felhasznalo")));

    m_tbl = new zdb::Table(Db1(), QStringLiteral("felhasznalo"), this);
    zdb::DeclareFields(*m_tbl, QStringLiteral("felhasznalo"));
    m_tbl->setOrder(QStringLiteral("felhasznalo"));

    aUj = MakeAction(this, QStringLiteral("aUj"), QStringLiteral("Új Felhasználó"), {}, QKeySequence(Qt::Key_Insert), QStringLiteral("uj"));
    aSzerkeszt = MakeAction(this, QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), {}, QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"));
    aTorol = MakeAction(this, QStringLiteral("aTorol"), QStringLiteral("Töröl"), {}, QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"));
    aBezar = MakeAction(this, QStringLiteral("aBezar"), QStringLiteral("Bezár"), {}, QKeySequence(Qt::Key_Escape), QStringLiteral("bezar"));
    for (QAction *a : {aUj, aSzerkeszt, aTorol, aBezar}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(aUj, &QAction::triggered, this, Guarded([this] { editUser(true); }));
    connect(aSzerkeszt, &QAction::triggered, this, Guarded([this] { editUser(false); }));
    connect(aTorol, &QAction::triggered, this, Guarded([this] { deleteUser(); }));
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);

    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->addAction(aUj);
    m_toolBar->addAction(aSzerkeszt);
    m_toolBar->addAction(aTorol);
    m_toolBar->addSeparator();
    m_toolBar->addAction(aBezar);

    m_grid = new DataGrid(this);
    GridColumn code{QStringLiteral("felhasznalo"), QStringLiteral("felh.kód"), 110};
    GridColumn name{QStringLiteral("felhasznalo_nev"), QStringLiteral("felh.név"), 160};
    GridColumn admin{QStringLiteral("rendszergazda"), QStringLiteral("rendszergazda"), 95};
    admin.picture = DataGrid::yesNoPicture();
    GridColumn editor{QStringLiteral("torzsszerkeszt"), QStringLiteral("törzs.szerkeszt"), 95};
    editor.picture = DataGrid::yesNoPicture();
    m_grid->setRecordSet(m_tbl, {code, name, admin, editor});
    m_grid->setPopupActions({aUj, aSzerkeszt, aTorol, nullptr, aBezar});
    connect(m_grid, &DataGrid::activated, aSzerkeszt, &QAction::trigger);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_grid, 1);
    setFixedSize(520, 330);
    RestoreFormPosition(this, kUsersForm);
}

Tfrm_Felhasznalo::~Tfrm_Felhasznalo() = default;

void Tfrm_Felhasznalo::done(int result)
{
    RememberFormPosition(this, kUsersForm);
    QDialog::done(result);
}

void Tfrm_Felhasznalo::editUser(bool isNew)
{
    EditUser(m_tbl, isNew, this);
    m_grid->syncFromRecordSet();
}

void Tfrm_Felhasznalo::deleteUser()
{
    if (AskYesNo(QStringLiteral("Valóban töröljem a sort?"), QStringLiteral("Megerősítés"), this))
        m_tbl->remove();
}

Tfrm_FelhasznaloSzerkeszt::Tfrm_FelhasznaloSzerkeszt(zdb::Table *table, QWidget *parent)
    : QDialog(parent)
    , m_tbl(table)
{
    setObjectName(kEditorForm);
    setWindowTitle(QStringLiteral("Felhasználó adatainak szerkesztése"));
    setWindowIcon(ZIcon(QStringLiteral("felhasznalo")));

    m_code = new QLineEdit(this);
    m_code->setMaxLength(15);
    m_admin = new QCheckBox(QStringLiteral("Rendszergazda"), this);
    m_editor = new QCheckBox(QStringLiteral("Szerkesztés"), this);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(20);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(15);
    m_repeat = new QLineEdit(this);
    m_repeat->setEchoMode(QLineEdit::Password);
    m_repeat->setMaxLength(15);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("felhasználó kódja"), m_code);
    auto *rights = new QHBoxLayout;
    rights->addWidget(m_admin);
    rights->addWidget(m_editor);
    rights->addStretch(1);
    form->addRow(QString(), rights);
    form->addRow(QStringLiteral("felhasználó neve"), m_name);
    form->addRow(QStringLiteral("jelszó"), m_password);
    form->addRow(QStringLiteral("jelszó még egyszer"), m_repeat);

    auto *ok = new QPushButton(ZIcon(QStringLiteral("ok")), QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(ZIcon(QStringLiteral("megsem")), QStringLiteral("Mégsem"), this);
    cancel->setObjectName(QStringLiteral("btnMegsem"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    setTabOrder(m_code, m_admin);
    setTabOrder(m_admin, m_editor);
    setTabOrder(m_editor, m_name);
    setTabOrder(m_name, m_password);
    setTabOrder(m_password, m_repeat);
    setTabOrder(m_repeat, ok);
    setTabOrder(ok, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        if (RunGuarded([this] { if (storeAndCheck()) accept(); }, this))
            return;
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(380, sizeHint().height());
    RestoreFormPosition(this, kEditorForm);
}

void Tfrm_FelhasznaloSzerkeszt::loadFromRow()
{
    m_code->setText(VarToStrNull(m_tbl->value(QStringLiteral("felhasznalo"))));
    m_admin->setChecked(m_tbl->text(QStringLiteral("rendszergazda")) == kYes);
    m_editor->setChecked(m_tbl->text(QStringLiteral("torzsszerkeszt")) == kYes);
    m_name->setText(VarToStrNull(m_tbl->value(QStringLiteral("felhasznalo_nev"))));
    m_password->setText(VarToStrNull(m_tbl->value(QStringLiteral("jelszo"))));
    // An existing user can be saved without typing the password again.
    m_repeat->setText(m_password->text());
    for (QLineEdit *e : {m_code, m_name, m_password, m_repeat})
        e->setModified(false);
}

bool Tfrm_FelhasznaloSzerkeszt::storeAndCheck()
{
    // Like bound fields: what the user typed goes into the edit buffer; an
    // input never typed into leaves its field as it was (null for a new row).
    if (m_code->isModified())
        m_tbl->setValue(QStringLiteral("felhasznalo"), m_code->text());
    if (m_name->isModified())
        m_tbl->setValue(QStringLiteral("felhasznalo_nev"), m_name->text());
    if (m_password->isModified())
        m_tbl->setValue(QStringLiteral("jelszo"), m_password->text());
    m_tbl->setValue(QStringLiteral("rendszergazda"), m_admin->isChecked() ? kYes : kNo);
    m_tbl->setValue(QStringLiteral("torzsszerkeszt"), m_editor->isChecked() ? kYes : kNo);

    if (m_tbl->isNull(QStringLiteral("jelszo"))) {
        ShowError(QStringLiteral("Hiányos adat megadás"), this);
        return false;
    }
    if (m_tbl->text(QStringLiteral("jelszo")) != m_repeat->text()) {
        ShowError(QStringLiteral("Hibás jelszó megadás"), this);
        return false;
    }
    return true;
}

void Tfrm_FelhasznaloSzerkeszt::done(int result)
{
    RememberFormPosition(this, kEditorForm);
    QDialog::done(result);
}

bool EditUser(zdb::Table *table, bool isNew, QWidget *parent)
{
    Tfrm_FelhasznaloSzerkeszt dialog(table, parent);
    if (isNew) {
        table->insert();
        table->setValue(QStringLiteral("rendszergazda"), kNo);
        table->setValue(QStringLiteral("torzsszerkeszt"), kNo);
    } else {
        table->edit();
    }
    dialog.loadFromRow();
    if (execDialog(&dialog) != QDialog::Accepted) {
        table->cancel();
        return false;
    }
    try {
        table->post();
    } catch (...) {
        // The window must stay usable; the error itself is shown by the caller.
        table->cancel();
        throw;
    }
    return true;
}

void ShowUsers(QWidget *parent)
{
    Tfrm_Felhasznalo window(parent);
    window.table()->open();
    execDialog(&window);
    window.table()->close();
}
