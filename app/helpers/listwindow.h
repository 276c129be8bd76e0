#pragma once

// The main window's list commands act on the active child window through
// this interface; the subsystems register their windows and the output
// entries here as they land, so the main window knows none of them by name.

#include <QString>
#include <functional>

class QWidget;
class DataGrid;
namespace zdb {
class RecordSet;
}

// ChildKind numbers of the six list windows.
enum ChildKindNumber { KindTasks = 1, KindCustomers = 2, KindProducts = 3, KindProjects = 4, KindCalendar = 5, KindNotes = 6 };

class ListWindow
{
public:
    virtual ~ListWindow() = default;
    virtual int childKind() const = 0;
    virtual DataGrid *listGrid() const = 0;
    virtual zdb::RecordSet *listRecordSet() const = 0;
    // The calendar's header strip text; empty for the others.
    virtual QString listSubtitle() const { return {}; }
};

// Creates the list window of a kind as a child of the main window.
using ListWindowFactory = std::function<QWidget *(QWidget *mainWindow)>;
void RegisterListWindow(int kind, ListWindowFactory factory);
ListWindowFactory ListWindowFactoryOf(int kind);

// Creates (or shows) the quick list, a top-level window.
void RegisterQuickList(std::function<void()> open);
std::function<void()> QuickListOpener();

enum class ListCommand { Print, Preview, Excel, Html, Sheet, SheetAll, Mail };
using ListCommandHandler = std::function<void(ListWindow *window, ListCommand command)>;
void RegisterListCommandHandler(ListCommand command, ListCommandHandler handler);
ListCommandHandler ListCommandHandlerOf(ListCommand command);

// The caption/title of a kind: "Feladatok", "Ügyfelek", ...
QString ChildKindTitle(int kind);
