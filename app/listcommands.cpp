#include "app/listcommands.h"

#include "app/delimitedexportdialog.h"
#include "app/htmlexportdialog.h"

#include "output/output.h"

#include "app/helpers/mail.h"

#include "app/helpers/datagrid.h"
#include "db/dberror.h"
#include "app/helpers/helpers.h"
#include "app/helpers/listoutput.h"
#include "app/helpers/listwindow.h"
#include "db/recordset.h"

namespace {

// The data sheet of the list's current record (or of all with -1), as the
// kind's module registered it.
void printSheet(ListWindow *window, const ListKind &kind, bool all)
{
    if (!kind.printSheet)
        return;
    SheetRequest request;
    request.window = window;
    if (!kind.idField.isEmpty()) {
        zdb::RecordSet *rs = window->listRecordSet();
        if (!rs)
            return;
        // With no row there is no identifier to print.
        if (!all && (!rs->isOpen() || rs->isEmpty()))
            throw zdb::Error(QStringLiteral("Nincs kiválasztott sor, az adatlap nem készíthető el"));
        if (!all)
            request.id = VarToIntNull(rs->value(kind.idField));
        if (auto *table = qobject_cast<zdb::Table *>(rs)) {
            request.filter = table->filter();
            request.filterParams = table->filterParams();
            request.filtered = table->filtered();
            request.order = table->order();
        }
    }
    kind.printSheet(request);
}

void run(ListWindow *window, ListCommand command)
{
    const ListKind kind = ListKindOf(window->childKind());
    const QString subtitle = window->listSubtitle();
    switch (command) {
    case ListCommand::Print:
    case ListCommand::Preview:
        if (DataGrid *grid = window->listGrid())
            PrintGrid(grid->shape(), command == ListCommand::Print, kind.portrait, subtitle, QString(), 8, kind.title);
        break;
    case ListCommand::Excel:
        if (zdb::RecordSet *rs = window->listRecordSet())
            ExportDelimited(rs);
        break;
    case ListCommand::Html:
        if (DataGrid *grid = window->listGrid())
            ExportGridToHtml(grid, kind.title, subtitle);
        break;
    case ListCommand::Sheet: printSheet(window, kind, false); break;
    case ListCommand::SheetAll: printSheet(window, kind, true); break;
    case ListCommand::Mail: MailListEntry(window); break;
    }
}

} // namespace

void InstallListOutput()
{
    SetListOutput({.printGrid =
                       [](DataGrid *grid, bool print, bool portrait, const QString &subtitle, const QString &sumField,
                          int fontSize, const QString &title) {
                           if (grid)
                               PrintGrid(grid->shape(), print, portrait, subtitle, sumField, fontSize, title);
                       },
                   .exportDelimited = ExportDelimited,
                   .exportHtml = ExportGridToHtml});
}

void RegisterListCommands()
{
    InstallListOutput();
    for (ListCommand c : {ListCommand::Print, ListCommand::Preview, ListCommand::Excel, ListCommand::Html,
                          ListCommand::Sheet, ListCommand::SheetAll, ListCommand::Mail})
        RegisterListCommandHandler(c, run);
}
