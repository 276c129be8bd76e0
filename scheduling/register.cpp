#include "entries.h"
#include "listwindow.h"
#include "quicklist.h"

#include "calendarwindow.h"
#include "tasklist.h"

void RegisterSchedulingWindows()
{
    // Each scheduling window registers its factory with the main window here.
    RegisterQuickList([] { OpenQuickList(); });
    RegisterListWindow(KindTasks, [](QWidget *) -> QWidget * { return new Tfrm_Feladat; });
    RegisterListWindow(KindCalendar, [](QWidget *) -> QWidget * { return new Tfrm_Naptar; });
}
