#pragma once

// The program's general error handling: an error that no window catches ends
// the current user action and is shown in one message box captioned
// "Zentavo"; the program goes on.

#include <QString>
#include <exception>
#include <functional>
#include <utility>

class QWidget;

// Runs the action; any exception it throws is shown and swallowed. Returns
// false when the action ended with an error.
bool RunGuarded(const std::function<void()> &action, QWidget *owner = nullptr);

// The message shown for an exception (the error's own message).
QString ExceptionMessage(const std::exception_ptr &error);

// Wraps a slot so that connect() never lets an exception reach the event loop.
template<class F>
auto Guarded(F f)
{
    return [f = std::move(f)](auto &&...) { RunGuarded([&] { f(); }); };
}
