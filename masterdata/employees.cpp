#include "masterdata/employees.h"

#include "masterdata/entries.h"

#include "app/helpers/actions.h"
#include "app/helpers/appcore.h"
#include "app/helpers/datagrid.h"
#include "app/helpers/datagridsorter.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTable = QStringLiteral("alkalmazott");

GridColumn column(const QString &field, int width)
{
    return FieldColumn(kTable, field, {.width = width});
}

} // namespace

Tfrm_Alkalmazott::Tfrm_Alkalmazott(int customerId, const QString &customerName, QWidget *parent)
    : ListDialog(QStringLiteral("frm_Alkalmazott"), QStringLiteral("Alkalmazottak"), QStringLiteral("alkalmazott"), parent),
      m_customerId(customerId), m_customerName(customerName)
{
    auto *tbl = new zdb::Table(Db1(), QStringLiteral("alkalmazott"));
    zdb::UseCatalogue(*tbl, QStringLiteral("alkalmazott"));
    const QList<GridColumn> columns{column(QStringLiteral("alkalmazott_nev"), 200), column(QStringLiteral("emil"), 180),
                                    column(QStringLiteral("telefon"), 120)};
    // Listed by the name's sort key, as a title click on it orders.
    tbl->setOrder(columns.first().orderField());

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új"), QStringLiteral("Új alkalmazott"),
                     QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newEmployee(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkesztés"), QStringLiteral("Szerkesztés"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editEmployee(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteEmployee(); });

    showRecordSet(tbl, columns);
    grid()->horizontalHeader()->setStretchLastSection(true);
    addQuickSearch(QStringLiteral("alkalmazott_nev"));
    // Re-sorting stays on the employee the user was on.
    sorter()->setKeepRowField(QStringLiteral("alkalmazott"));
    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aNyomtat, nullptr, aBezar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, aNyomtat, aNyomtatKep, nullptr, aExcelbe, aHtml, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);
    // With no employee there is nothing to edit or delete.
    setRowCommands({aSzerkeszt, aTorol});
    setOutputTitle(QStringLiteral("Alkalmazottak"));
    setPrintOptions(true, 8);

    openFiltered(QStringLiteral("ugyfel=?"), {customerId});
    sorter()->shadeColumn(QStringLiteral("alkalmazott_nev"));
}

void Tfrm_Alkalmazott::newEmployee()
{
    EditEmployee(table(), true, m_customerId);
    grid()->syncFromRecordSet();
}

void Tfrm_Alkalmazott::editEmployee()
{
    EditEmployee(table(), false, m_customerId);
    grid()->syncFromRecordSet();
}

void Tfrm_Alkalmazott::deleteEmployee()
{
    zdb::Table *tbl = table();
    if (!tbl || tbl->currentRow() < 0)
        return;
    if (AskYesNo(QStringLiteral("Valóban töröljem a sort?"), QStringLiteral("Megerősítés"), this))
        tbl->remove();
}

Tfrm_Alkalmazott_Szerkeszt::Tfrm_Alkalmazott_Szerkeszt(zdb::Table *tbl, QWidget *parent)
    : RecordEditor(tbl, QStringLiteral("frm_Alkalmazott_Szerkeszt"), QStringLiteral("Alkalmazott"), parent)
{
    setWindowIcon(ZIcon(QStringLiteral("alkalmazott")));
    auto *form = new QFormLayout;
    auto addLine = [&](const QString &caption, const QString &objectName) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(objectName);
        form->addRow(caption, edit);
        return edit;
    };
    edNev = addLine(QStringLiteral("alkalmazott"), QStringLiteral("edNev"));
    edEmil = addLine(QStringLiteral("emil"), QStringLiteral("edEmil"));
    edTelefon = addLine(QStringLiteral("telefon"), QStringLiteral("edTelefon"));
    bind().setEmptyStoresNull(true);
    bind().text(edNev, QStringLiteral("alkalmazott_nev"));
    bind().text(edEmil, QStringLiteral("emil"));
    bind().text(edTelefon, QStringLiteral("telefon"));
    setTabOrder(edNev, edEmil);
    setTabOrder(edEmil, edTelefon);
    setTabOrder(edTelefon, okButton());
    setTabOrder(okButton(), cancelButton());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow());
    setFixedSize(400, sizeHint().height());
}

void Tfrm_Alkalmazott_Szerkeszt::loadFields()
{
    edNev->setFocus(Qt::OtherFocusReason);
}

bool EditEmployee(zdb::Table *tbl, bool isNew, int customerId)
{
    Tfrm_Alkalmazott_Szerkeszt dialog(tbl, DialogParent());
    return RunRecordEditor(tbl, dialog, isNew, [tbl, customerId] { tbl->setValue(QStringLiteral("ugyfel"), customerId); });
}

void ShowEmployees(int customerId, const QString &customerName)
{
    Tfrm_Alkalmazott dialog(customerId, customerName, DialogParent());
    execDialog(&dialog);
}
