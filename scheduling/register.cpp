#include "scheduling/entries.h"
#include "app/helpers/listwindow.h"
#include "scheduling/quicklist.h"

#include "scheduling/calendarwindow.h"
#include "scheduling/notes.h"
#include "scheduling/tasklist.h"

void RegisterSchedulingWindows()
{
    // Each scheduling window registers its factory with the main window here.
    RegisterQuickList([] { OpenQuickList(); });
    RegisterListWindow(KindTasks, [](QWidget *) -> QWidget * { return new Tfrm_Feladat; });
    RegisterListWindow(KindCalendar, [](QWidget *) -> QWidget * { return new Tfrm_Naptar; });
    RegisterListWindow(KindNotes, [](QWidget *) -> QWidget * { return new Tfrm_Jegyzetek; });
}
