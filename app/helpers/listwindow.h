#pragma once

// The main window's list windows, described once per kind: each module
// registers its kinds here (title, icon, where the opening command stands,
// the factory, the data sheet), and the main window builds its commands,
// menus, tool bar, tray menu and list-command dispatch from the registry, so
// it knows none of the windows by name. The window area says which list
// windows live now; the window-exists flags of the settings record read it.

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
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

// The menu an opening command belongs to; it also groups the command in the
// large tool bar and orders it in the tray menu.
enum class MenuGroup { Dolgaim, Adatok };

// What "Adatlap" and "Adatlap lista" hand a kind's data sheet: the identifier
// of the current row (-1: every row) and the list's filter and order.
struct SheetRequest
{
    ListWindow *window = nullptr;
    int id = -1;
    QString filter;
    QVariantList filterParams;   // the filter's bound values
    bool filtered = false;
    QString order;
};
using SheetPrinter = std::function<void(const SheetRequest &request)>;

// What "E-Mail" hands the mail client for the current row of a list.
struct MailDraft
{
    QString subject;
    QString body;
    QString toAddress;   // empty: the user fills it in the mail client
    QString toName;
};
using MailDrafter = std::function<MailDraft(ListWindow *window)>;

struct ListKind
{
    int kind = 0;
    QString title;            // caption of the opening command; title of prints and exports
    QString iconName;
    QString actionName;       // the opening command, "aFeladat"
    QString trayActionName;   // its twin in the tray menu, "aTrFeladat"
    MenuGroup group = MenuGroup::Dolgaim;
    int place = 0;            // order inside the group
    ListWindowFactory factory;
    // The column "Adatlap" reads from the current row; empty when the sheet
    // is not of one row (it then gets -1 and asks for what it needs).
    QString idField;
    SheetPrinter printSheet;  // none: the sheet commands do nothing
    bool portrait = true;     // orientation of the printed list
    // The message "E-Mail" writes; none: the list has no customer to write to.
    MailDrafter mailDraft;
};

// Registers (or replaces) the descriptor of a kind.
void RegisterListKind(ListKind kind);
void UnregisterListKind(int kind);
// The descriptor of a kind; kind 0 when none is registered.
ListKind ListKindOf(int kind);
// Every registered kind, by menu group and place.
QList<ListKind> ListKinds();

// Replaces the factory of a kind (registered bare when unknown); an empty
// factory leaves the kind's command disabled.
void RegisterListWindow(int kind, ListWindowFactory factory);
ListWindowFactory ListWindowFactoryOf(int kind);

// The caption/title of a kind: "Feladatok", "Ügyfelek", ...
QString ChildKindTitle(int kind);

// The window area: a list window enters it when created and leaves it when it
// closes or is destroyed; at most one window of a kind is in it.
void EnterWindowArea(int kind, QWidget *window);
void LeaveWindowArea(int kind, const QWidget *window);
// The living list window of a kind, or nullptr.
QWidget *ListWindowOfKind(int kind);
bool IsListWindowOpen(int kind);

// A window-exists flag of the settings record: true while the window area
// holds a window of its kind. Read like a plain flag, never set by hand.
class WindowOpenFlag
{
public:
    explicit constexpr WindowOpenFlag(int kind) : m_kind(kind) {}
    operator bool() const { return IsListWindowOpen(m_kind); }

private:
    int m_kind;
};

// Creates (or shows) the quick list, a top-level window.
void RegisterQuickList(std::function<void()> open);
std::function<void()> QuickListOpener();

enum class ListCommand { Print, Preview, Excel, Html, Sheet, SheetAll, Mail };
using ListCommandHandler = std::function<void(ListWindow *window, ListCommand command)>;
void RegisterListCommandHandler(ListCommand command, ListCommandHandler handler);
ListCommandHandler ListCommandHandlerOf(ListCommand command);
