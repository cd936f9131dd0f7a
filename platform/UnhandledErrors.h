#pragma once

// The platform's handling of errors that no routine handles: each event handler runs inside a
// guard; an error it raises ends that handler where it was raised, is written to stderr and shown
// to the user, and the program goes on with the next event. No exception crosses Qt's event loop.

#include "platform/PlatformError.h"

#include <QObject>
#include <functional>

namespace platform {

// Shows the error to the user. The default is an Arabic message box; tests put a recorder here.
using ErrorReporter = std::function<void(const PlatformError&)>;
// Installs a reporter and returns the one it replaces; an empty reporter restores the default.
ErrorReporter replaceErrorReporter(ErrorReporter reporter);

void reportUnhandledError(const PlatformError& error);

// Runs a handler under the guard. Returns false when it raised.
bool runHandler(const std::function<void()>& handler) noexcept;

// Connects a signal to a handler that runs under the guard, on the receiver's thread.
template <typename Sender, typename Signal>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, QObject* context,
                                       std::function<void()> handler)
{
    return QObject::connect(sender, signal, context, [handler = std::move(handler)] { runHandler(handler); });
}

} // namespace platform
