#include "app/helpers/listwindow.h"

#include <QHash>
#include <QWidget>

#include <algorithm>
#include <map>

namespace {
std::map<int, ListKind> &kinds()
{
    static std::map<int, ListKind> map;
    return map;
}
QHash<int, QPointer<QWidget>> &area()
{
    static QHash<int, QPointer<QWidget>> map;
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

void RegisterListKind(ListKind kind)
{
    const int number = kind.kind;
    kinds()[number] = std::move(kind);
}

void UnregisterListKind(int kind)
{
    kinds().erase(kind);
}

ListKind ListKindOf(int kind)
{
    const auto it = kinds().find(kind);
    return it == kinds().end() ? ListKind{} : it->second;
}

QList<ListKind> ListKinds()
{
    QList<ListKind> list;
    for (const auto &[number, kind] : kinds())
        list.append(kind);
    std::stable_sort(list.begin(), list.end(), [](const ListKind &a, const ListKind &b) {
        return a.group != b.group ? a.group < b.group : a.place < b.place;
    });
    return list;
}

void RegisterListWindow(int kind, ListWindowFactory factory)
{
    ListKind &entry = kinds()[kind];
    entry.kind = kind;
    entry.factory = std::move(factory);
}

ListWindowFactory ListWindowFactoryOf(int kind)
{
    return ListKindOf(kind).factory;
}

QString ChildKindTitle(int kind)
{
    return ListKindOf(kind).title;
}

void EnterWindowArea(int kind, QWidget *window)
{
    area().insert(kind, window);
}

void LeaveWindowArea(int kind, const QWidget *window)
{
    // A window that already left must not take a newer one of its kind along.
    const auto it = area().find(kind);
    if (it != area().end() && (it.value().isNull() || it.value().data() == window))
        area().erase(it);
}

QWidget *ListWindowOfKind(int kind)
{
    return area().value(kind).data();
}

bool IsListWindowOpen(int kind)
{
    return ListWindowOfKind(kind) != nullptr;
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
