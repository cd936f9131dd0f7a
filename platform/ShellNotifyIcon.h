#pragma once

// The notification area's side of Shell_NotifyIconA: the function is exported with C linkage, as
// the system library exports it, and reads the 88-byte ANSI icon record the way the system reads
// it. Icons are known by their window's handle and their id; each is shown through the
// NotificationArea and goes away with its window. Mouse activity over an icon reaches the window
// as a WindowMessage with the record's callback message.

#include "platform/Handles.h"
#include "platform/NotificationArea.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// Returns 1 when the request was carried out, 0 when it was refused: an unknown message, a null
// record, a cbSize other than 88, a window or icon handle that names nothing, an add for an id the
// window already shows, a change or removal of an icon never added, or an add where the desktop
// has no notification area. A refused request changes nothing.
extern "C" int32_t Shell_NotifyIconA(uint32_t message, const void* record);

namespace platform::shell32 {

inline constexpr uint32_t NIM_ADD = 0;
inline constexpr uint32_t NIM_MODIFY = 1;
inline constexpr uint32_t NIM_DELETE = 2;

inline constexpr uint32_t NIF_MESSAGE = 0x1;
inline constexpr uint32_t NIF_ICON = 0x2;
inline constexpr uint32_t NIF_TIP = 0x4;

// The record as the system reads it. The tip is Windows-1256 text ending at its NUL.
struct NOTIFYICONDATAA {
    uint32_t cbSize;
    HWND hWnd;
    uint32_t uID;
    uint32_t uFlags;
    uint32_t uCallbackMessage;
    HICON hIcon;
    std::array<char, 64> szTip;
};
static_assert(sizeof(NOTIFYICONDATAA) == 88);
static_assert(offsetof(NOTIFYICONDATAA, szTip) == 24);

// For program tests: the function Shell_NotifyIconA hands its calls to; an empty one restores
// the stand-in above. Returns the one it replaces.
using ShellNotifyIconFunction = std::function<int32_t(uint32_t message, const void* record)>;
ShellNotifyIconFunction replaceShellNotifyIcon(ShellNotifyIconFunction function);

// For tests: the notification area the stand-in shows its icons in; null restores the desktop's.
// The icons shown in the area it replaces are dropped first. Returns the area it replaces.
std::unique_ptr<NotificationArea> replaceNotificationArea(std::unique_ptr<NotificationArea> area);

} // namespace platform::shell32
