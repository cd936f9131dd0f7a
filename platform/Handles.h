#pragma once

// Four-byte handles for windows and icons, as the system functions and the skin engine take them.
// A handle maps back to its object only through this registry: it is never a pointer in disguise,
// and a handle whose object is gone resolves to nothing.

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace platform {

using HWND = int32_t;
using HICON = int32_t;

// The window's handle, assigned on first request and kept for the window's life.
HWND windowHandle(QWidget* window);
// The window behind a handle, or nullptr for a handle never given out or whose window is gone.
QWidget* windowFromHandle(HWND handle);

// The icon's handle; the same icon (by cache key) keeps the same handle.
HICON iconHandle(const QIcon& icon);
std::optional<QIcon> iconFromHandle(HICON handle);

} // namespace platform
