#include "app/helpers/listwindow.h"

#include <QHash>

namespace {
QHash<int, ListWindowFactory> &factories()
{
    static QHash<int, ListWindowFactory> map;
    return map;
}
QHash<int, ListCommandHandler> &handlers()
{
    static QHash<int, ListCommandHandler> map;
    return map;
}
std::function<void()> &quickList()
{
    static std::function<void()> open;
    return open;
}
} // namespace

void RegisterListWindow(int kind, ListWindowFactory factory)
{
    factories().insert(kind, std::move(factory));
}

ListWindowFactory ListWindowFactoryOf(int kind)
{
    return factories().value(kind);
}

void RegisterQuickList(std::function<void()> open)
{
    quickList() = std::move(open);
}

std::function<void()> QuickListOpener()
{
    return quickList();
}

void RegisterListCommandHandler(ListCommand command, ListCommandHandler handler)
{
    handlers().insert(static_cast<int>(command), std::move(handler));
}

ListCommandHandler ListCommandHandlerOf(ListCommand command)
{
    return handlers().value(static_cast<int>(command));
}

QString ChildKindTitle(int kind)
{
    switch (kind) {
    case KindTasks: return QStringLiteral("Feladatok");
    case KindCustomers: return QStringLiteral("Ügyfelek");
    case KindProducts: return QStringLiteral("Termékek");
    case KindProjects: return QStringLiteral("Projektek");
    case KindCalendar: return QStringLiteral("Naptár");
    case KindNotes: return QStringLiteral("Jegyzetek");
    }
    return {};
}
