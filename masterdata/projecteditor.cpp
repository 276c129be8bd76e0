#include "masterdata/projecteditor.h"

#include "app/helpers/descriptioneditor.h"

#include "app/helpers/appcore.h"
#include "app/helpers/datefield.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tfrm_Projekt_Szerkeszt::Tfrm_Projekt_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_Projekt_Szerkeszt"), QStringLiteral("Projekt szerkesztés"), parent)
{
    m_kod = new QLineEdit(this);
    m_kod->setObjectName(QStringLiteral("edProjektKod"));
    bind().text(m_kod, QStringLiteral("projekt_kod"));
    m_nev = new QLineEdit(this);
    m_nev->setObjectName(QStringLiteral("edProjektNev"));
    bind().text(m_nev, QStringLiteral("projekt_nev"));
    m_indul = new DateField(this);
    m_indul->setObjectName(QStringLiteral("dtIndul"));
    bind().date(m_indul, QStringLiteral("dat_indul"));
    m_megjegyzes = new DescriptionEditor(this);
    m_megjegyzes->setObjectName(QStringLiteral("edMegjegyzes"));
    bind().memo(m_megjegyzes, QStringLiteral("megjegyzes"));
    m_megjegyzes->setMinimumSize(360, 110);
    // The closed state is shown only; "Lezárom" in the list changes it.
    m_lezarva = new QCheckBox(QStringLiteral("lezárva"), this);
    m_lezarva->setObjectName(QStringLiteral("cbLezarva"));
    m_lezarva->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lezarva->setFocusPolicy(Qt::NoFocus);
    m_datLezar = new QLineEdit(this);
    m_datLezar->setObjectName(QStringLiteral("edDatLezar"));
    m_datLezar->setReadOnly(true);
    m_datLezar->setFocusPolicy(Qt::NoFocus);
    m_datLezar->setMaximumWidth(110);

    auto *grid = new QGridLayout;
    auto label = [this, grid](int r, const QString &text, QWidget *w) {
        auto *l = new QLabel(text, this);
        l->setBuddy(w);
        grid->addWidget(l, r, 0, Qt::AlignLeft | Qt::AlignTop);
    };
    label(0, QStringLiteral("kód"), m_kod);
    grid->addWidget(m_kod, 0, 1);
    label(1, QStringLiteral("projekt"), m_nev);
    grid->addWidget(m_nev, 1, 1, 1, 3);
    label(2, QStringLiteral("indul"), m_indul);
    grid->addWidget(m_indul, 2, 1);
    grid->addWidget(m_lezarva, 2, 2, Qt::AlignRight);
    grid->addWidget(m_datLezar, 2, 3);
    label(3, QStringLiteral("megjegyzés"), m_megjegyzes);
    grid->addWidget(m_megjegyzes, 3, 1, 1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_kod, m_nev);
    setTabOrder(m_nev, m_indul);
    setTabOrder(m_indul, m_megjegyzes);
    setTabOrder(m_megjegyzes, okButton());
    setTabOrder(okButton(), cancelButton());
    m_kod->setFocus();
}

void Tfrm_Projekt_Szerkeszt::loadFields()
{
    zdb::Table *tbl = table();
    m_lezarva->setChecked(tbl->text(QStringLiteral("lezarva")) == QLatin1String("I"));
    m_datLezar->setText(tbl->text(QStringLiteral("dat_lezar")));
}

bool EditProject(zdb::Table *tbl, bool isNew)
{
    Tfrm_Projekt_Szerkeszt dlg(tbl, DialogParent());
    return RunRecordEditor(tbl, dlg, isNew, [tbl] {
        tbl->setValue(QStringLiteral("dat_indul"), QDate::currentDate());
        tbl->setValue(QStringLiteral("lezarva"), QStringLiteral("N"));
    });
}
