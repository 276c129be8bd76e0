#include "scheduling/entries.h"
#include "app/helpers/listwindow.h"
#include "scheduling/quicklist.h"

#include "output/output.h"

#include "scheduling/calendarwindow.h"
#include "scheduling/notes.h"
#include "scheduling/tasklist.h"

#include <QDate>

void RegisterSchedulingWindows()
{
    RegisterQuickList([] { OpenQuickList(); });

    RegisterListKind({.kind = KindCalendar, .title = QStringLiteral("Naptár"), .iconName = QStringLiteral("naptar"),
                      .actionName = QStringLiteral("aNaptar"), .trayActionName = QStringLiteral("aTrNaptar"),
                      .group = MenuGroup::Dolgaim, .place = 0,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Naptar; },
                      // The calendar's sheet is of a period, asked for each time.
                      .printSheet = [](const SheetRequest &) {
                          QDate first = QDate::currentDate();
                          QDate last = first;
                          if (AskPeriod(first, last))
                              PrintCalendarSheet(first, last);
                      },
                      .portrait = false});
    RegisterListKind({.kind = KindTasks, .title = QStringLiteral("Feladatok"), .iconName = QStringLiteral("feladat"),
                      .actionName = QStringLiteral("aFeladat"), .trayActionName = QStringLiteral("aTrFeladat"),
                      .group = MenuGroup::Dolgaim, .place = 1,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Feladat; },
                      .idField = QStringLiteral("dolog3"),
                      .printSheet = [](const SheetRequest &r) { PrintTaskSheet(r.id); },
                      .portrait = false});
    RegisterListKind({.kind = KindNotes, .title = QStringLiteral("Jegyzetek"), .iconName = QStringLiteral("jegyzet"),
                      .actionName = QStringLiteral("aJegyzetek"), .trayActionName = QStringLiteral("aTrJegyzet"),
                      .group = MenuGroup::Dolgaim, .place = 2,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Jegyzetek; },
                      .idField = QStringLiteral("jegyzet"),
                      .printSheet = [](const SheetRequest &r) { PrintNoteSheet(r.id, r.filter, r.filtered, r.order, r.filterParams); }});
}
