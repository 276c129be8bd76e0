#include "scheduling/tasklist.h"

#include "scheduling/calendarexport.h"
#include "scheduling/followup.h"
#include "scheduling/entries.h"
#include "scheduling/listcolumns.h"
#include "scheduling/records.h"
#include "scheduling/schedulingevents.h"

#include "app/helpers/appcore.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/guard.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listheader.h"

#include "db/catalog.h"
#include "db/recordset.h"

#include <QAction>
#include <QPointer>

namespace {

const QString kOpenTasks = QStringLiteral("kesz='N'");

QList<GridColumn> taskColumns()
{
    return QList<GridColumn>{PriorityColumn(), StatusColumn(), DoneColumn()}
           + FieldColumns(QStringLiteral("dolog3"),
                          {QStringLiteral("datum"), QStringLiteral("dat_hatid"), QStringLiteral("rovid"),
                           QStringLiteral("ugyfel_nev"), QStringLiteral("termek_nev"), QStringLiteral("projekt_nev")});
}

} // namespace

Tfrm_Feladat::Tfrm_Feladat(QWidget *parent)
    : ListChild(KindTasks, QStringLiteral("frm_Feladat"), QStringLiteral("Feladatok"),
                QStringLiteral("feladat"), parent)
{
    zdb::Table *tbl = Shared().TblFeladat;
    if (!tbl)
        throw zdb::Error(QStringLiteral("A feladatok adatai nem érhetők el."));

    // The quick list shares the record set; whoever goes last closes it.
    QPointer<zdb::Table> shared(tbl);
    onClosing([shared] {
        if (shared && !Beall().QuickListOpen)
            shared->close();
    });

    aSzur = addCommand(QStringLiteral("aSzur"), QStringLiteral("Szűrés"), QStringLiteral("Szűrés"),
                                QKeySequence(Qt::Key_F8), QStringLiteral("szur"));
    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új feladat"), QStringLiteral("Új feladat"),
                              QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newTask(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                                     QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editTask(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteTask(); });
    aKesz = addCommand(QStringLiteral("aKesz"), QStringLiteral("Kész!"), QStringLiteral("Kész!"),
                                QKeySequence(Qt::Key_F7), QStringLiteral("kesz"), [this] { toggleDone(); });
    aStatusz = addCommand(QStringLiteral("aStatusz"), QStringLiteral("Státusz"), QString(), {},
                                   QStringLiteral("statusz"));
    // No hint of its own: the button only opens the status menu.
    aStatusz->setStatusTip(QString());
    aStatusz->setToolTip(QStringLiteral("Státusz"));
    QList<QAction *> statusCommands;
    for (int status = StatusReceived; status <= StatusRejected; ++status) {
        const QString name = TaskStatusName(status);
        QAction *a = addCommand(QStringLiteral("aStatusz%1").arg(status), name, QStringLiteral("Státusz: ") + name, {},
                                QString(), [this, status] { setStatus(status); });
        a->setIcon(QIcon(StatusPicture(status, 16)));
        statusCommands << a;
    }
    aMunka = addCommand(QStringLiteral("aMunka"), QStringLiteral("Részfeladat"),
                                 QStringLiteral("Részfeladatok, végzett munkák"), {}, QStringLiteral("munka"),
                                 [this] { openWorkLog(); });
    aIcs = addCommand(QStringLiteral("aIcs"), QStringLiteral("Naptár export (.ics)..."),
                      QStringLiteral("A határidős feladatok és a bejegyzések kiírása naptárfájlba (iCalendar)"), {},
                      QStringLiteral("mentes"), [this] { exportCalendar(); });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                                 QStringLiteral("bezar"), [this] { closeWindow(); });

    // The check mark shows what the list shows: the filter belongs to the
    // record set and outlives the window.
    aSzur->setCheckable(true);
    aSzur->setChecked(tbl->filtered() && !tbl->filter().trimmed().isEmpty());
    connect(aSzur, &QAction::triggered, this, [this](bool on) { RunGuarded([&] { setOpenTasksFilter(on); }, this); });

    setToolBarCommands({aSzur, nullptr, aUj, aSzerkeszt, aTorol, nullptr, aMunka, nullptr, aStatusz, nullptr, aKesz,
                        nullptr, aIcs, nullptr, aBezar});
    setDropDown(aStatusz, statusCommands, true);
    setPopupCommands({aSzur, nullptr, aUj, aSzerkeszt, aTorol, nullptr, aMunka, nullptr, aKesz, nullptr, aIcs, nullptr,
                      aBezar});
    setActivateCommand(aSzerkeszt);

    showTable(tbl, taskColumns());
    // A date stays readable in the font at hand, whatever its share comes to.
    const int dateMinimum = qMax(64, grid()->fontMetrics().horizontalAdvance(zdb::dateToText(QDate(2000, 12, 28))) + 10);
    setWidthShares(97, {{QStringLiteral("datum"), 10, dateMinimum},
                        {QStringLiteral("dat_hatid"), 10, dateMinimum},
                        {QStringLiteral("rovid"), 33, 140},
                        {QStringLiteral("ugyfel_nev"), 16, 80},
                        {QStringLiteral("termek_nev"), 16, 80},
                        {QStringLiteral("projekt_nev"), 15, 80}});

    QList<QAction *> rowCommands{aSzerkeszt, aTorol, aKesz, aStatusz, aMunka};
    rowCommands << statusCommands;
    setRowCommands(rowCommands);

    if (!Beall().QuickListOpen) {
        initialSort(QStringLiteral("dat_hatid"), QStringLiteral("határidő"));
    } else {
        // Taken over as the quick list left it; it is open there already.
        if (!tbl->isOpen())
            tbl->open();
        adoptTableOrder();
        grid()->syncFromRecordSet();
    }
}

bool Tfrm_Feladat::hasCurrentTask() const
{
    const zdb::Table *tbl = table();
    return tbl && tbl->isOpen() && tbl->currentRow() >= 0;
}

int Tfrm_Feladat::currentTaskId() const
{
    return hasCurrentTask() ? VarToIntNull(table()->value(QStringLiteral("dolog3"))) : 0;
}

void Tfrm_Feladat::newTask()
{
    EditTask(true, LinkCustomer, -1, QString());
    grid()->syncFromRecordSet();
}

void Tfrm_Feladat::editTask()
{
    // On an empty list there is nothing to edit (editing would start a new, unasked-for row).
    if (!hasCurrentTask())
        return;
    EditTask(false, LinkCustomer, -1, QString());
    grid()->syncFromRecordSet();
}

void Tfrm_Feladat::deleteTask()
{
    if (!hasCurrentTask())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a feladatot?"), QStringLiteral("Megerősítés"), this))
        return;
    table()->remove();
}

void Tfrm_Feladat::toggleDone()
{
    if (!hasCurrentTask())
        return;
    zdb::Table *tbl = table();
    ToggleTaskDone(tbl, StatusDone);
    ReopenKeepingPlace(tbl, QStringLiteral("dolog3"));
    grid()->syncFromRecordSet();
}

void Tfrm_Feladat::setOpenTasksFilter(bool on)
{
    zdb::Table *tbl = table();
    if (!tbl)
        return;
    const int id = currentTaskId();
    aSzur->setChecked(on);
    tbl->close();
    tbl->setFilter(on ? kOpenTasks : QString());
    tbl->setFiltered(on);
    tbl->open();
    // Stay on the task the user was on when it is still listed.
    if (id > 0 && !tbl->locate(QStringLiteral("dolog3"), id))
        tbl->first();
    grid()->syncFromRecordSet();
}

void Tfrm_Feladat::setStatus(int status)
{
    if (!hasCurrentTask())
        return;
    // The row keeps its place until the next reload, even if the filter would hide it now.
    SetTaskStatus(table(), status);
}

void Tfrm_Feladat::openWorkLog()
{
    if (!hasCurrentTask())
        return;
    // Entries of a task without an identifier would hang on 0: it gets one first.
    const int id = zdb::GiveIdentifier(table(), QStringLiteral("dolog3"));
    if (id != 0)
        OpenWorkLog(id);
}

void Tfrm_Feladat::exportCalendar()
{
    const QDate today = FollowUpNow().date();
    const QDate first(today.year(), today.month(), 1);
    ExportCalendarWithPrompts(first, first.addYears(1).addDays(-1), this);
}
