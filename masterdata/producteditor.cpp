#include "masterdata/producteditor.h"

#include "app/helpers/descriptioneditor.h"

#include "app/helpers/appcore.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/recordset.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Article numbers are capitals however they are typed or pasted.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

QStringList ProductCategories()
{
    zdb::Query qry(Db1());
    qry.setSql(QStringLiteral("SELECT DISTINCT COALESCE(kategoria, '') AS kategoria FROM termek ORDER BY 1 COLLATE hungarian;"));
    qry.open();
    QStringList out;
    for (int r = 0; r < qry.recordCount(); ++r)
        out << qry.textAt(r, 0);
    return out;
}

Tfrm_Termek_Szerkeszt::Tfrm_Termek_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_Termek_Szerkeszt"), QStringLiteral("Termék szerkesztés"), parent)
{
    m_cikkszam = new QLineEdit(this);
    m_cikkszam->setObjectName(QStringLiteral("edCikkszam"));
    m_cikkszam->setValidator(new UpperCaseValidator(m_cikkszam));
    bind().text(m_cikkszam, QStringLiteral("cikkszam"), FieldBinder::UpperCase);
    m_nev = new QLineEdit(this);
    m_nev->setObjectName(QStringLiteral("edTermekNev"));
    bind().text(m_nev, QStringLiteral("termek_nev"));
    m_kategoria = new QComboBox(this);
    m_kategoria->setObjectName(QStringLiteral("cbKategoria"));
    m_kategoria->setEditable(true);
    m_kategoria->setInsertPolicy(QComboBox::NoInsert);
    m_kategoria->addItems(ProductCategories());
    bind().text(m_kategoria, QStringLiteral("kategoria"));
    m_megjegyzes = new DescriptionEditor(this);
    m_megjegyzes->setObjectName(QStringLiteral("edMegjegyzes"));
    bind().memo(m_megjegyzes, QStringLiteral("megjegyzes"));
    m_megjegyzes->setMinimumSize(360, 110);

    auto *grid = new QGridLayout;
    auto row = [&](int r, const QString &label, QWidget *w) {
        auto *l = new QLabel(label, this);
        l->setBuddy(w);
        grid->addWidget(l, r, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(w, r, 1);
    };
    row(0, QStringLiteral("cikkszám"), m_cikkszam);
    row(1, QStringLiteral("termék neve"), m_nev);
    row(2, QStringLiteral("kategória"), m_kategoria);
    row(3, QStringLiteral("megjegyzés"), m_megjegyzes);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_cikkszam, m_nev);
    setTabOrder(m_nev, m_kategoria);
    setTabOrder(m_kategoria, m_megjegyzes);
    setTabOrder(m_megjegyzes, okButton());
    setTabOrder(okButton(), cancelButton());
    m_cikkszam->setFocus();
}

bool Tfrm_Termek_Szerkeszt::confirmStore()
{
    return confirmUniqueCode(QStringLiteral("cikkszam"), QStringLiteral("termek_nev"));
}

bool EditProduct(zdb::Table *tbl, bool isNew)
{
    Tfrm_Termek_Szerkeszt dlg(tbl, DialogParent());
    return RunRecordEditor(tbl, dlg, isNew);
}
