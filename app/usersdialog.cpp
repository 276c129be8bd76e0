#include "app/usersdialog.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kYes = QStringLiteral("I");
const QString kNo = QStringLiteral("N");
const QString kCode = QStringLiteral("felhasznalo");
const QString kName = QStringLiteral("felhasznalo_nev");
const QString kPassword = QStringLiteral("jelszo");
const QString kAdmin = QStringLiteral("rendszergazda");
const QString kEditor = QStringLiteral("torzsszerkeszt");
} // namespace

Tfrm_Felhasznalo::Tfrm_Felhasznalo(QWidget *parent)
    : ListDialog(QStringLiteral("frm_Felhasznalo"), QStringLiteral("Felhasználók adatai"), QStringLiteral("felhasznalo"),
                 parent)
{
    // The users list is neither printed nor exported: the passwords are
    // in its record set.
    for (QAction *a : {aNyomtat, aNyomtatKep, aExcelbe, aHtml}) {
        a->setEnabled(false);
        a->setVisible(false);
    }
    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új Felhasználó"), {}, QKeySequence(Qt::Key_Insert),
                     QStringLiteral("uj"), [this] { editUser(true); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), {}, QKeySequence(Qt::Key_F2),
                            QStringLiteral("szerkeszt"), [this] { editUser(false); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), {}, QKeySequence(Qt::CTRL | Qt::Key_Delete),
                        QStringLiteral("torol"), [this] { deleteUser(); });

    auto *tbl = new zdb::Table(Db1(), kCode, this);
    zdb::UseCatalogue(*tbl, kCode);
    tbl->setOrder(kCode);
    GridColumn code{kCode, QStringLiteral("felh.kód"), 110};
    GridColumn name{kName, QStringLiteral("felh.név"), 160};
    GridColumn admin{kAdmin, QStringLiteral("rendszergazda"), 95};
    admin.picture = DataGrid::yesNoPicture();
    GridColumn editor{kEditor, QStringLiteral("törzs.szerkeszt"), 95};
    editor.picture = DataGrid::yesNoPicture();
    showRecordSet(tbl, {code, name, admin, editor});
    // The list keeps the order by user code: its titles do not sort.
    grid()->horizontalHeader()->setSectionsClickable(false);

    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aBezar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);
    setRowCommands({aSzerkeszt, aTorol});
    setFixedSize(520, 330);
}

void Tfrm_Felhasznalo::openList()
{
    openFiltered({});
}

void Tfrm_Felhasznalo::editUser(bool isNew)
{
    EditUser(table(), isNew, this);
    grid()->syncFromRecordSet();
}

void Tfrm_Felhasznalo::deleteUser()
{
    if (AskYesNo(QStringLiteral("Valóban töröljem a sort?"), QStringLiteral("Megerősítés"), this))
        table()->remove();
}

Tfrm_FelhasznaloSzerkeszt::Tfrm_FelhasznaloSzerkeszt(zdb::Table *table, QWidget *parent)
    : RecordEditor(table, QStringLiteral("frm_FelhasznaloSzerkeszt"), QStringLiteral("Felhasználó adatainak szerkesztése"),
                   parent)
{
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
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow());

    setTabOrder(m_code, m_admin);
    setTabOrder(m_admin, m_editor);
    setTabOrder(m_editor, m_name);
    setTabOrder(m_name, m_password);
    setTabOrder(m_password, m_repeat);
    setTabOrder(m_repeat, okButton());
    setTabOrder(okButton(), cancelButton());
    setFixedSize(380, sizeHint().height());
}

void Tfrm_FelhasznaloSzerkeszt::loadFields()
{
    zdb::Table *tbl = table();
    m_code->setText(VarToStrNull(tbl->value(kCode)));
    m_admin->setChecked(tbl->text(kAdmin) == kYes);
    m_editor->setChecked(tbl->text(kEditor) == kYes);
    m_name->setText(VarToStrNull(tbl->value(kName)));
    m_password->setText(VarToStrNull(tbl->value(kPassword)));
    // An existing user can be saved without typing the password again.
    m_repeat->setText(m_password->text());
    for (QLineEdit *e : {m_code, m_name, m_password, m_repeat})
        e->setModified(false);
}

void Tfrm_FelhasznaloSzerkeszt::storeFields()
{
    // Like bound fields: what the user typed goes into the edit buffer; an
    // input never typed into leaves its field as it was (null for a new row).
    zdb::Table *tbl = table();
    if (m_code->isModified())
        tbl->setValue(kCode, m_code->text());
    if (m_name->isModified())
        tbl->setValue(kName, m_name->text());
    if (m_password->isModified())
        tbl->setValue(kPassword, m_password->text());
    tbl->setValue(kAdmin, m_admin->isChecked() ? kYes : kNo);
    tbl->setValue(kEditor, m_editor->isChecked() ? kYes : kNo);
}

bool Tfrm_FelhasznaloSzerkeszt::readyToStore()
{
    // The password the row would get: typed, or the stored one left alone.
    zdb::Table *tbl = table();
    const bool typed = m_password->isModified();
    if (!typed && tbl->isNull(kPassword)) {
        ShowError(QStringLiteral("Hiányos adat megadás"), this);
        return false;
    }
    const QString password = typed ? m_password->text() : tbl->text(kPassword);
    if (password != m_repeat->text()) {
        ShowError(QStringLiteral("Hibás jelszó megadás"), this);
        return false;
    }
    return true;
}

bool EditUser(zdb::Table *table, bool isNew, QWidget *parent)
{
    Tfrm_FelhasznaloSzerkeszt editor(table, parent);
    return RunRecordEditor(table, editor, isNew, [table] {
        table->setValue(kAdmin, kNo);
        table->setValue(kEditor, kNo);
    });
}

void ShowUsers(QWidget *parent)
{
    Tfrm_Felhasznalo window(parent);
    window.openList();
    execDialog(&window);
}
