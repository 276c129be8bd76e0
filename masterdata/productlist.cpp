#include "masterdata/productlist.h"

#include "masterdata/entries.h"
#include "masterdata/producteditor.h"
#include "scheduling/entries.h"

#include "app/helpers/appcore.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"

#include "db/catalog.h"
#include "db/connection.h"
#include "db/recordset.h"

#include <QAction>

namespace {

QList<GridColumn> productColumns()
{
    return QList<GridColumn>{CommentMarkerColumn()}
           + FieldColumns(QStringLiteral("termek"),
                          {QStringLiteral("cikkszam"), QStringLiteral("termek_nev"), QStringLiteral("kategoria")});
}

} // namespace

void SetUpProductTable(zdb::Table *tbl)
{
    zdb::UseCatalogue(*tbl, QStringLiteral("termek"));
}

Tfrm_Termek::Tfrm_Termek(QWidget *parent)
    : ListChild(KindProducts, QStringLiteral("frm_Termek"), QStringLiteral("Termékek"),
                QStringLiteral("termek"), parent)
{
    m_tbl = new zdb::Table(Db1(), this);
    m_tbl->setObjectName(QStringLiteral("TblTermek"));
    SetUpProductTable(m_tbl);
    // Runs from the base's destructor too: only the table, never this window.
    onClosing([tbl = m_tbl] {
        tbl->close();
    });

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új termék"), QStringLiteral("Új termék"),
                     QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newProduct(); });
    aImport = addCommand(QStringLiteral("aImport"), QStringLiteral("Termékek betöltése"),
                         QStringLiteral("Termékek betöltése"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert),
                         QStringLiteral("import"), [this] { ImportProducts(m_tbl); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editProduct(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteProduct(); });
    linked = AddLinkedCommands(this, LinkProduct, QStringLiteral("termek"), QStringLiteral("termek_nev"),
                               QStringLiteral("Megjegyzés"));
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                        QStringLiteral("bezar"), [this] { closeWindow(); });

    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, linked.aFeladat, linked.aNaptar, nullptr, linked.aMegjegyzes,
                        nullptr, aBezar});
    setDropDown(aUj, {aUj, aImport});
    setDropDown(linked.aFeladat, {linked.aFeladat, linked.aUjFeladat});
    setDropDown(linked.aNaptar, {linked.aNaptar, linked.aUjNaptar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, linked.aFeladat, linked.aUjFeladat, nullptr, linked.aNaptar,
                      linked.aUjNaptar, nullptr, linked.aMegjegyzes, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);

    showTable(m_tbl, productColumns());
    setWidthShares(58, {{QStringLiteral("cikkszam"), 20, 80},
                        {QStringLiteral("termek_nev"), 50, 150},
                        {QStringLiteral("kategoria"), 30, 100}});
    setRowCommands(QList<QAction *>{aSzerkeszt, aTorol} + linked.rowCommands());
    initialSort(QStringLiteral("cikkszam"), QStringLiteral("cikkszám"));
}

Tfrm_Termek::~Tfrm_Termek() = default;

void Tfrm_Termek::newProduct()
{
    EditProduct(m_tbl, true);
    grid()->syncFromRecordSet();
}

int Tfrm_Termek::resaveProducts()
{
    const QList<int> rows = zdb::RowsBeforeSaveWouldChange(*m_tbl, zdb::CatalogueTable(QStringLiteral("termek")));
    if (rows.isEmpty())
        return 0;
    const zdb::RecordSet::Bookmark mark = m_tbl->bookmark();
    zdb::Connection *db = m_tbl->connection();
    // One transaction: a row per commit would take minutes on a large register.
    db->beginTransaction();
    try {
        for (int row : rows) {
            m_tbl->setCurrentRow(row);
            m_tbl->edit();
            PostOrCancel(m_tbl);
        }
        db->commit();
    } catch (...) {
        db->rollback();
        // The loaded rows took values the file no longer holds.
        m_tbl->refresh();
        m_tbl->gotoBookmark(mark);
        grid()->syncFromRecordSet();
        throw;
    }
    m_tbl->gotoBookmark(mark);
    return int(rows.size());
}

void Tfrm_Termek::editProduct()
{
    // Editing an empty list would make a blank product no one asked for.
    if (!m_tbl->isOpen() || m_tbl->currentRow() < 0)
        return;
    resaveProducts();
    grid()->syncFromRecordSet();
    EditProduct(m_tbl, false);
    // Also after "Mégsem": the copies catch up with a name changed elsewhere.
    RewriteCopiedName(QStringLiteral("termek"), QStringLiteral("termek_nev"), CurrentMasterId(this, QStringLiteral("termek")),
                      CurrentMasterName(this, QStringLiteral("termek_nev")));
    grid()->syncFromRecordSet();
}

void Tfrm_Termek::deleteProduct()
{
    if (!m_tbl->isOpen() || m_tbl->currentRow() < 0)
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a terméket?"), QStringLiteral("Megerősítés"), this))
        return;
    m_tbl->remove();
}
