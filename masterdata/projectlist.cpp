#include "masterdata/projectlist.h"

#include "masterdata/entries.h"
#include "masterdata/projecteditor.h"
#include "scheduling/entries.h"

#include "app/helpers/appcore.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>

const char *const kOpenProjectsFilter = "lezarva='N'";

namespace {

QList<GridColumn> projectColumns()
{
    return QList<GridColumn>{CommentMarkerColumn(), ClosedMarkerColumn()}
           + FieldColumns(QStringLiteral("projekt"), {QStringLiteral("projekt_kod"), QStringLiteral("projekt_nev"),
                                                      QStringLiteral("dat_indul"), QStringLiteral("dat_lezar")});
}

} // namespace

Tfrm_Projekt::Tfrm_Projekt(QWidget *parent)
    : ListChild(KindProjects, QStringLiteral("frm_Projekt"), QStringLiteral("Projektek"),
                QStringLiteral("projekt"), parent)
{
    m_tbl = new zdb::Table(Db1(), this);
    m_tbl->setObjectName(QStringLiteral("TblProjekt"));
    zdb::UseCatalogue(*m_tbl, QStringLiteral("projekt"));
    m_tbl->setFilter(QString::fromLatin1(kOpenProjectsFilter));
    m_tbl->setFiltered(true);
    // Runs from the base's destructor too: only the table, never this window.
    onClosing([tbl = m_tbl] {
        tbl->close();
    });

    aSzur = addCommand(QStringLiteral("aSzur"), QStringLiteral("Szűrés"), QStringLiteral("Szűrés"),
                       QKeySequence(Qt::Key_F8), QStringLiteral("szur"));
    aSzur->setCheckable(true);
    aSzur->setChecked(true);
    connect(aSzur, &QAction::triggered, this, [this](bool on) { RunGuarded([&] { setOpenProjectsFilter(on); }, this); });
    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új projekt"), QStringLiteral("Új projekt"),
                     QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newProject(); });
    aImport = addCommand(QStringLiteral("aImport"), QStringLiteral("Adatok betöltése import"),
                         QStringLiteral("Adatok betöltése import"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert),
                         QStringLiteral("import"), [this] { ImportProjects(m_tbl); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                            QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editProject(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                        QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteProject(); });
    linked = AddLinkedCommands(this, LinkProject, QStringLiteral("projekt"), QStringLiteral("projekt_nev"),
                               QStringLiteral("Megj."));
    aLezar = addCommand(QStringLiteral("aLezar"), QStringLiteral("Lezárom"), QStringLiteral("Lezárom"), {},
                        QStringLiteral("lezar"), [this] { toggleClosed(); });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                        QStringLiteral("bezar"), [this] { closeWindow(); });

    setToolBarCommands({aSzur, nullptr, aUj, aSzerkeszt, aTorol, nullptr, linked.aFeladat, linked.aNaptar, nullptr,
                        linked.aMegjegyzes, nullptr, aLezar, nullptr, aBezar});
    setDropDown(aUj, {aUj, aImport});
    setDropDown(linked.aFeladat, {linked.aFeladat, linked.aUjFeladat});
    setDropDown(linked.aNaptar, {linked.aNaptar, linked.aUjNaptar});
    setPopupCommands({aSzur, nullptr, aUj, aSzerkeszt, aTorol, nullptr, linked.aFeladat, linked.aUjFeladat, nullptr,
                      linked.aNaptar, linked.aUjNaptar, nullptr, linked.aMegjegyzes, nullptr, aLezar, nullptr, aBezar});
    setActivateCommand(aSzerkeszt);

    showTable(m_tbl, projectColumns());
    setWidthShares(70, {{QStringLiteral("projekt_kod"), 9, 33},
                        {QStringLiteral("projekt_nev"), 40, 120},
                        {QStringLiteral("dat_indul"), 25, 77},
                        {QStringLiteral("dat_lezar"), 25, 77}});
    setRowCommands(QList<QAction *>{aSzerkeszt, aTorol, aLezar} + linked.rowCommands());
    // The opening label names the column in full.
    initialSort(QStringLiteral("projekt_kod"), QStringLiteral("projekt kód"));
}

Tfrm_Projekt::~Tfrm_Projekt() = default;

bool Tfrm_Projekt::hasCurrent() const
{
    return m_tbl->isOpen() && m_tbl->currentRow() >= 0;
}

void Tfrm_Projekt::newProject()
{
    EditProject(m_tbl, true);
    grid()->syncFromRecordSet();
}

void Tfrm_Projekt::editProject()
{
    // Editing an empty list would make a blank project no one asked for.
    if (!hasCurrent())
        return;
    EditProject(m_tbl, false);
    // Also after "Mégsem": the copies catch up with a name changed elsewhere.
    RewriteCopiedName(QStringLiteral("projekt"), QStringLiteral("projekt_nev"),
                      CurrentMasterId(this, QStringLiteral("projekt")),
                      CurrentMasterName(this, QStringLiteral("projekt_nev")));
    grid()->syncFromRecordSet();
}

void Tfrm_Projekt::deleteProject()
{
    if (!hasCurrent())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a projektet?"), QStringLiteral("Megerősítés"), this))
        return;
    m_tbl->remove();
}

void Tfrm_Projekt::setOpenProjectsFilter(bool on)
{
    aSzur->setChecked(on);
    m_tbl->close();
    m_tbl->setFilter(on ? QString::fromLatin1(kOpenProjectsFilter) : QString());
    m_tbl->setFiltered(on);
    m_tbl->open();
    m_tbl->first();
    grid()->syncFromRecordSet();
}

void Tfrm_Projekt::toggleClosed()
{
    // With no project selected there is nothing to close (an edit would post a blank one).
    if (!hasCurrent())
        return;
    const bool open = m_tbl->text(QStringLiteral("lezarva")) == QLatin1String("N");
    m_tbl->edit();
    m_tbl->setValue(QStringLiteral("lezarva"), open ? QStringLiteral("I") : QStringLiteral("N"));
    m_tbl->setValue(QStringLiteral("dat_lezar"), open ? QVariant(QDate::currentDate()) : QVariant());
    PostOrCancel(m_tbl);
    ReopenKeepingPlace(m_tbl, QStringLiteral("projekt"));
    grid()->syncFromRecordSet();
}
