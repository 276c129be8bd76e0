#include "scheduling/calendarwindow.h"

#include "scheduling/calendarexport.h"
#include "scheduling/entries.h"
#include "scheduling/listcolumns.h"
#include "scheduling/records.h"
#include "scheduling/schedulingevents.h"

#include "app/helpers/appcore.h"
#include "app/helpers/fieldcolumn.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listheader.h"

#include "db/recordset.h"

#include <QAction>
#include <QPointer>

namespace {

QList<GridColumn> calendarColumns()
{
    const QString table = QStringLiteral("dolog1");
    return QList<GridColumn>{PriorityColumn(), DoneColumn(),
                             FieldColumn(table, QStringLiteral("ora"), {.alignment = Qt::AlignCenter})}
           + FieldColumns(table, {QStringLiteral("rovid"), QStringLiteral("ugyfel_nev"), QStringLiteral("termek_nev"),
                                  QStringLiteral("projekt_nev")});
}

QDate currentDay()
{
    const QDate day = Beall().CalendarDay;
    return day.isValid() ? day : QDate::currentDate();
}

} // namespace

Tfrm_Naptar::Tfrm_Naptar(QWidget *parent)
    : ListChild(KindCalendar, QStringLiteral("frm_Naptar"), QStringLiteral("Naptár"),
                QStringLiteral("naptar"), parent)
{
    zdb::Table *tbl = Shared().TblNaptar;
    if (!tbl)
        throw zdb::Error(QStringLiteral("A naptár adatai nem érhetők el."));

    // The quick list shares the record set; whoever goes last closes it.
    QPointer<zdb::Table> shared(tbl);
    onClosing([shared] {
        if (shared && !Beall().QuickListOpen)
            shared->close();
    });

    aUj = addCommand(QStringLiteral("aUj"), QStringLiteral("Új dolog"), QStringLiteral("Új Naptar"),
                              QKeySequence(Qt::Key_Insert), QStringLiteral("uj"), [this] { newEntry(); });
    aSzerkeszt = addCommand(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), QStringLiteral("Szerkeszt"),
                                     QKeySequence(Qt::Key_F2), QStringLiteral("szerkeszt"), [this] { editEntry(); });
    aTorol = addCommand(QStringLiteral("aTorol"), QStringLiteral("Töröl"), QStringLiteral("Töröl"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Delete), QStringLiteral("torol"), [this] { deleteEntry(); });
    aTegnap = addCommand(QStringLiteral("aTegnap"), QStringLiteral("Tegnap"), QStringLiteral("Tegnap"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Left), QStringLiteral("tegnap"), [this] { previousDay(); });
    aDatumra = addCommand(QStringLiteral("aDatumra"), QStringLiteral("Dátumra"), QStringLiteral("Dátumra"),
                                   QKeySequence(Qt::CTRL | Qt::Key_D), QStringLiteral("datumra"), [this] { chooseDay(); });
    aHolnap = addCommand(QStringLiteral("aHolnap"), QStringLiteral("Holnap"), QStringLiteral("Holnap"),
                                  QKeySequence(Qt::CTRL | Qt::Key_Right), QStringLiteral("holnap"), [this] { nextDay(); });
    aKesz = addCommand(QStringLiteral("aKesz"), QStringLiteral("Kész!"), QStringLiteral("Kész!"),
                                QKeySequence(Qt::Key_F7), QStringLiteral("kesz"), [this] { toggleDone(); });
    aIcs = addCommand(QStringLiteral("aIcs"), QStringLiteral("Naptár export (.ics)..."),
                      QStringLiteral("A bejegyzések és a határidős feladatok kiírása naptárfájlba (iCalendar)"), {},
                      QStringLiteral("mentes"), [this] { exportCalendar(); });
    aBezar = addCommand(QStringLiteral("aBezar"), QStringLiteral("Bezár"), QStringLiteral("Bezár"), {},
                                 QStringLiteral("bezar"), [this] { closeWindow(); });

    setToolBarCommands({aUj, aSzerkeszt, aTorol, nullptr, aTegnap, aDatumra, aHolnap, nullptr, aKesz, nullptr, aIcs,
                        nullptr, aBezar});
    setPopupCommands({aUj, aSzerkeszt, aTorol, nullptr, aTegnap, aDatumra, aHolnap, nullptr, aKesz, nullptr, aIcs,
                      nullptr, aBezar});
    setActivateCommand(aSzerkeszt);

    showTable(tbl, calendarColumns());
    setWidthShares(70, {{QStringLiteral("ora"), 5, 25},
                        {QStringLiteral("rovid"), 35, 150},
                        {QStringLiteral("ugyfel_nev"), 20, 75},
                        {QStringLiteral("termek_nev"), 20, 75},
                        {QStringLiteral("projekt_nev"), 19, 75}});
    setRowCommands({aSzerkeszt, aTorol, aKesz});

    // The quick list may change the day; its ShowDay has reloaded the record set.
    connect(SchedulingEvents::instance(), &SchedulingEvents::calendarDayChanged, this,
            [this](const QDate &day) { header()->setTitle(CalendarHeaderText(day)); });

    const QDate day = currentDay();
    if (!Beall().QuickListOpen) {
        // Filter first, so the opening sort reads only the day's entries.
        Beall().CalendarDay = day;
        tbl->close();
        SetCalendarDayFilter(*tbl, day);
        tbl->setFiltered(true);
        initialSort(QStringLiteral("ora"), QStringLiteral("óra"));
    } else {
        // Taken over on the quick list's day and order.
        if (!tbl->isOpen())
            tbl->open();
        adoptTableOrder();
        grid()->syncFromRecordSet();
    }
    header()->setTitle(CalendarHeaderText(day));
}

QString Tfrm_Naptar::listSubtitle() const
{
    return header()->title();
}

bool Tfrm_Naptar::hasCurrentEntry() const
{
    const zdb::Table *tbl = table();
    return tbl && tbl->isOpen() && tbl->currentRow() >= 0;
}

void Tfrm_Naptar::showDay(const QDate &day)
{
    if (!day.isValid())
        return;
    // Announces the day, which sets the header strip here and in the quick list.
    ShowCalendarDay(day);
    header()->setTitle(CalendarHeaderText(day));
    grid()->syncFromRecordSet();
}

void Tfrm_Naptar::newEntry()
{
    EditCalendarEntry(true, -1, -1, QString());
    grid()->syncFromRecordSet();
}

void Tfrm_Naptar::editEntry()
{
    // An empty day has nothing to edit (editing would start a new, unasked-for row).
    if (!hasCurrentEntry())
        return;
    EditCalendarEntry(false, -1, -1, QString());
    grid()->syncFromRecordSet();
}

void Tfrm_Naptar::deleteEntry()
{
    if (!hasCurrentEntry())
        return;
    if (!AskYesNo(QStringLiteral("Valóban töröljem a bejegyzést"), QStringLiteral("Megerősítés"), this))
        return;
    table()->remove();
}

void Tfrm_Naptar::toggleDone()
{
    if (!hasCurrentEntry())
        return;
    zdb::Table *tbl = table();
    ToggleCalendarDone(tbl);
    ReopenKeepingPlace(tbl, QStringLiteral("dolog1"));
    grid()->syncFromRecordSet();
}

void Tfrm_Naptar::previousDay()
{
    showDay(currentDay().addDays(-1));
}

void Tfrm_Naptar::nextDay()
{
    showDay(currentDay().addDays(1));
}

void Tfrm_Naptar::chooseDay()
{
    QDate day = currentDay();
    if (AskDate(day))
        showDay(day);
}

void Tfrm_Naptar::exportCalendar()
{
    const QDate day = currentDay();
    const QDate first(day.year(), day.month(), 1);
    ExportCalendarWithPrompts(first, first.addMonths(1).addDays(-1), this);
}
