#include "scheduling/entries.h"
#include "app/helpers/appcore.h"
#include "app/helpers/core/common.h"
#include "app/helpers/listwindow.h"
#include "scheduling/quicklist.h"

#include "output/output.h"

#include "scheduling/calendarwindow.h"
#include "scheduling/notes.h"
#include "scheduling/tasklist.h"

#include "db/recordset.h"

#include <QDate>

namespace {

// The e-mail address of a customer; empty when it has none or is not found.
QString customerEmail(int customerId)
{
    zdb::Query QryUgyf(Db1());
    QryUgyf.setSql(QStringLiteral("SELECT * FROM ugyfel\nWHERE ugyfel = :pugyfel;"));
    QryUgyf.setParam(QStringLiteral("pugyfel"), customerId);
    QryUgyf.open();
    const QString emil = QryUgyf.isEmpty() ? QString() : VarToStrNull(QryUgyf.value(QStringLiteral("emil")));
    QryUgyf.close();
    return emil;
}

// A task or calendar entry goes to its customer.
MailDraft entryDraft(const zdb::RecordSet *rs)
{
    return {CurrentRowText(rs, QStringLiteral("rovid")), CurrentRowText(rs, QStringLiteral("genszoveg")),
            customerEmail(CurrentRowInt(rs, QStringLiteral("ugyfel"))), CurrentRowText(rs, QStringLiteral("ugyfel_nev"))};
}

} // namespace

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
                      .portrait = false,
                      .mailDraft = [](ListWindow *) { return entryDraft(Shared().TblNaptar); }});
    RegisterListKind({.kind = KindTasks, .title = QStringLiteral("Feladatok"), .iconName = QStringLiteral("feladat"),
                      .actionName = QStringLiteral("aFeladat"), .trayActionName = QStringLiteral("aTrFeladat"),
                      .group = MenuGroup::Dolgaim, .place = 1,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Feladat; },
                      .idField = QStringLiteral("dolog3"),
                      .printSheet = [](const SheetRequest &r) { PrintTaskSheet(r.id); },
                      .portrait = false,
                      .mailDraft = [](ListWindow *) { return entryDraft(Shared().TblFeladat); }});
    RegisterListKind({.kind = KindNotes, .title = QStringLiteral("Jegyzetek"), .iconName = QStringLiteral("jegyzet"),
                      .actionName = QStringLiteral("aJegyzetek"), .trayActionName = QStringLiteral("aTrJegyzet"),
                      .group = MenuGroup::Dolgaim, .place = 2,
                      .factory = [](QWidget *) -> QWidget * { return new Tfrm_Jegyzetek; },
                      .idField = QStringLiteral("jegyzet"),
                      .printSheet = [](const SheetRequest &r) { PrintNoteSheet(r.id, r.filter, r.filtered, r.order, r.filterParams); }});
}
