#include "app/listcommands.h"

#include "output/output.h"

#include "output/mail.h"

#include "app/helpers/datagrid.h"
#include "db/dberror.h"
#include "scheduling/entries.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listwindow.h"
#include "db/recordset.h"

namespace {

bool isPortrait(int kind)
{
    return kind != KindTasks && kind != KindCalendar;
}

// The data sheet of the list's current record (or of all with -1).
void printSheet(ListWindow *window, bool all)
{
    const int kind = window->childKind();
    if (kind == KindCalendar) {
        QDate first = QDate::currentDate();
        QDate last = first;
        if (AskPeriod(first, last))
            PrintCalendarSheet(first, last);
        return;
    }
    zdb::RecordSet *rs = window->listRecordSet();
    if (!rs)
        return;
    static const QString idFields[] = {{}, QStringLiteral("dolog3"), QStringLiteral("ugyfel"), QStringLiteral("termek"),
                                       QStringLiteral("projekt"), {}, QStringLiteral("jegyzet")};
    int id = -1;
    if (!all) {
        // With no row there is no identifier to print.
        if (!rs->isOpen() || rs->isEmpty())
            throw zdb::Error(QStringLiteral("Nincs kiválasztott sor, az adatlap nem készíthető el"));
        id = VarToIntNull(rs->value(idFields[kind]));
    }
    auto *table = qobject_cast<zdb::Table *>(rs);
    const QString filter = table ? table->filter() : QString();
    const bool filtered = table && table->filtered();
    const QString order = table ? table->order() : QString();
    const QVariantList params = table ? table->filterParams() : QVariantList();
    switch (kind) {
    case KindTasks: PrintTaskSheet(id); break;
    case KindCustomers: PrintCustomerSheet(id, filter, filtered, order, params); break;
    case KindProducts: PrintProductSheet(id, filter, filtered, order, params); break;
    case KindProjects: PrintProjectSheet(id, filter, filtered, order, params); break;
    case KindNotes: PrintNoteSheet(id, filter, filtered, order, params); break;
    default: break;
    }
}

void run(ListWindow *window, ListCommand command)
{
    const int kind = window->childKind();
    const QString title = ChildKindTitle(kind);
    const QString subtitle = kind == KindCalendar ? window->listSubtitle() : QString();
    switch (command) {
    case ListCommand::Print:
    case ListCommand::Preview:
        if (DataGrid *grid = window->listGrid())
            PrintGrid(grid, command == ListCommand::Print, isPortrait(kind), subtitle, QString(), 8, title);
        break;
    case ListCommand::Excel:
        if (zdb::RecordSet *rs = window->listRecordSet())
            ExportDelimited(rs);
        break;
    case ListCommand::Html:
        if (DataGrid *grid = window->listGrid())
            ExportGridToHtml(grid, title, subtitle);
        break;
    case ListCommand::Sheet: printSheet(window, false); break;
    case ListCommand::SheetAll: printSheet(window, true); break;
    case ListCommand::Mail: MailListEntry(window); break;
    }
}

} // namespace

void RegisterListCommands()
{
    for (ListCommand c : {ListCommand::Print, ListCommand::Preview, ListCommand::Excel, ListCommand::Html,
                          ListCommand::Sheet, ListCommand::SheetAll, ListCommand::Mail})
        RegisterListCommandHandler(c, run);
}
