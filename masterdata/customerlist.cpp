#include "masterdata/customerlist.h"

#include "masterdata/customereditor.h"
#include "masterdata/entries.h"
#include "masterdata/masterlist.h"

#include "output/vcard.h"

#include "scheduling/entries.h"
#include "scheduling/listcolumns.h"
#include "scheduling/schedulingevents.h"

#include "app/helpers/appcore.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/helpers.h"
#include "app/helpers/testhooks.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QList<GridColumn> customerColumns()
{
    return QList<GridColumn>{CommentMarkerColumn()}
           + FieldColumns(QStringLiteral("ugyfel"), {QStringLiteral("ugyfelkod"), QStringLiteral("ugyfel_nev"),
                                                     QStringLiteral("kapcsolattarto"), QStringLiteral("telefon")});
}

} // namespace

Tfrm_Ugyfel::Tfrm_Ugyfel(QWidget *parent)
    : ListChild(KindCustomers, QStringLiteral("frm_Ugyfel"), QStringLiteral("Ügyfelek"),
                QStringLiteral("ugyfel"), parent)
{
    auto *tbl = new zdb::Table(Db1(), QStringLiteral("ugyfel"), this);
    zdb::UseCatalogue(*tbl, QStringLiteral("ugyfel"));
    tbl->fieldDef(QStringLiteral("ugyfelkod")).displayFormat = QStringLiteral("00000");
    onClosing([tbl] { tbl->close(); });

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új ügyfél"), QStringLiteral("Új ügyfél"),
                     QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newCustomer(); });
    aImport = addCommand(QStringLiteral("aImport"), QStringLiteral("Adatok betöltése import"),
                         QStringLiteral("Adatok betöltése import"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert),
                         QStringLiteral("import"), [tbl] { ImportCustomers(tbl); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editCustomer(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteCustomer(); });
    aFeladat = addCommand(QStringLiteral("aFeladat"), QStringLiteral("Feladatok"), QStringLiteral("Feladatok"), {},
                          QStringLiteral("feladat"), [this] { showTasks(); });
    aUjFeladat = addCommand(QStringLiteral("aUjFeladat"), QStringLiteral("Új feladat"), QStringLiteral("Új feladat"), {},
                            QStringLiteral("uj"), [this] { newTask(); });
    aNaptar = addCommand(QStringLiteral("aNaptar"), QStringLiteral("Naptár"), QStringLiteral("Naptár"), {},
                         QStringLiteral("naptar"), [this] { showCalendar(); });
    aUjNaptar = addCommand(QStringLiteral("aUjNaptar"), QStringLiteral("Új naptár bejegyzés"),
                           QStringLiteral("Új naptár bejegyzés"), {}, QStringLiteral("uj"), [this] { newCalendarEntry(); });
    aAlkalmazott = addCommand(QStringLiteral("aAlkalmazott"), QStringLiteral("Alkalmazott"), QStringLiteral("Alkalmazottak"),
                              {}, QStringLiteral("alkalmazott"), [this] { showEmployees(); });
    aMegjegyzes = addCommand(QStringLiteral("aMegjegyzes"), QStringLiteral("Megj."), QStringLiteral("Megjegyzések"),
                             QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("megjegyzes"), [this] {
                                 if (const int id = GiveMasterId(table(), QStringLiteral("ugyfel")))
                                     ShowComments(LinkCustomer, id, currentName());
                             });
    aVcf = addCommand(QStringLiteral("aVcf"), QStringLiteral("Névjegy export (.vcf)..."),
                      QStringLiteral("Az ügyfelek és alkalmazottaik kiírása névjegyfájlba (vCard)"), {},
                      QStringLiteral("mentes"), [this] { exportContacts(); });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                        QStringLiteral("bezar"), [this] { closeWindow(); });

    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aFeladat, aNaptar, nullptr, aAlkalmazott, nullptr, aMegjegyzes,
                        nullptr, aVcf, aBezar});
    setDropDown(aUj, {aUj, aImport});
    setDropDown(aFeladat, {aFeladat, aUjFeladat});
    setDropDown(aNaptar, {aNaptar, aUjNaptar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, aFeladat, aUjFeladat, nullptr, aNaptar, aUjNaptar, nullptr,
                      aMegjegyzes, nullptr, aVcf, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);

    // Editing stays available on an empty list: it starts a blank customer.
    setRowCommands({aTorol, aFeladat, aUjFeladat, aNaptar, aUjNaptar, aAlkalmazott, aMegjegyzes});

    showTable(tbl, customerColumns());
    setWidthShares(52, {{QStringLiteral("ugyfelkod"), 10, 64},
                        {QStringLiteral("ugyfel_nev"), 40, 150},
                        {QStringLiteral("kapcsolattarto"), 25, 120},
                        {QStringLiteral("telefon"), 24, 120}});
    initialSort(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"));
}

bool Tfrm_Ugyfel::hasCurrentCustomer() const
{
    const zdb::Table *tbl = table();
    return tbl && tbl->isOpen() && tbl->currentRow() >= 0;
}

int Tfrm_Ugyfel::currentId() const
{
    // A value another program stored as text counts as no identifier.
    return hasCurrentCustomer() ? IntOrZero(table()->value(QStringLiteral("ugyfel"))) : 0;
}

QString Tfrm_Ugyfel::currentName() const
{
    return hasCurrentCustomer() ? table()->text(QStringLiteral("ugyfel_nev")) : QString();
}

void Tfrm_Ugyfel::newCustomer()
{
    EditCustomer(table(), true);
    grid()->syncFromRecordSet();
}

void Tfrm_Ugyfel::editCustomer()
{
    if (!hasCurrentCustomer()) {
        // Nothing to edit: a blank customer, its code left for the user.
        EditCustomer(table(), true, false);
        grid()->syncFromRecordSet();
        return;
    }
    EditCustomer(table(), false);
    grid()->syncFromRecordSet();
    // Also after "Mégsem": the copies are brought in line with the stored name.
    RewriteCopiedName(QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev"), currentId(), currentName());
}

void Tfrm_Ugyfel::deleteCustomer()
{
    if (!hasCurrentCustomer())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem az ügyfelet?"), QStringLiteral("Megerősítés"), this))
        return;
    // Only the customer row goes; its tasks, entries, employees and comments stay.
    table()->remove();
}

void Tfrm_Ugyfel::showTasks()
{
    if (hasCurrentCustomer())
        ShowRelatedTasks(LinkCustomer, currentId());
}

void Tfrm_Ugyfel::newTask()
{
    const int id = GiveMasterId(table(), QStringLiteral("ugyfel"));
    if (id == 0)
        return;
    EditTask(true, LinkCustomer, id, currentName());
}

void Tfrm_Ugyfel::showCalendar()
{
    if (hasCurrentCustomer())
        ShowRelatedCalendar(LinkCustomer, currentId());
}

void Tfrm_Ugyfel::newCalendarEntry()
{
    if (const int id = GiveMasterId(table(), QStringLiteral("ugyfel")))
        EditCalendarEntry(true, LinkCustomer, id, currentName());
}

void Tfrm_Ugyfel::showEmployees()
{
    if (hasCurrentCustomer())
        ShowEmployees(currentId(), currentName());
}

void Tfrm_Ugyfel::exportContacts()
{
    zdb::Table *tbl = table();
    if (!tbl || !tbl->isOpen())
        return;
    // In the order the list shows them.
    QList<int> ids;
    const int field = tbl->fieldIndex(QStringLiteral("ugyfel"));
    for (int row = 0; row < tbl->recordCount(); ++row)
        ids << IntOrZero(tbl->valueAt(row, field));
    if (ids.isEmpty()) {
        ShowInfo(QStringLiteral("Nincs kiírható ügyfél."), this);
        return;
    }
    const QString suggested = QDir(Beall().HtmlDir).filePath(QStringLiteral("ugyfelek.vcf"));
    QString file = chooseSaveFile(this, QStringLiteral("Névjegy export"), suggested, QStringLiteral("vCard névjegyek (*.vcf)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".vcf");
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw zdb::Error(QStringLiteral("Az állomány nem hozható létre: ") + QDir::toNativeSeparators(file) + QStringLiteral("\r\n")
                         + out.errorString());
    const int cards = WriteContactsFile(Db1(), ids, false, out);
    if (!out.commit())
        throw zdb::Error(QStringLiteral("Az állomány nem írható: ") + QDir::toNativeSeparators(file) + QStringLiteral("\r\n")
                         + out.errorString());
    ShowInfo(QStringLiteral("Kiírva: %1 névjegy\r\n%2").arg(cards).arg(QDir::toNativeSeparators(file)), this);
}
