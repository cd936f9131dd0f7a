#pragma once

// Module1: the program's one notification-icon record and its registration at start. The record
// lives as long as the program and keeps the values RegisterTrayIcon gives it; the program never
// removes the icon, that is the system's when the program ends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The record as the program holds it: the tip is a fixed field of 64 characters.
struct NOTIFYICONDATA {
    uint32_t cbSize = 0;
    int32_t hWnd = 0;
    uint32_t uID = 0;
    uint32_t uFlags = 0;
    uint32_t uCallbackMessage = 0;
    int32_t hIcon = 0;
    std::array<char16_t, 64> szTip{};

    bool operator==(const NOTIFYICONDATA&) const = default;
};

// The same record as Shell_NotifyIconA takes it: the six fields unchanged, the tip as 64 bytes
// of ANSI text.
struct NOTIFYICONDATAA {
    uint32_t cbSize = 0;
    int32_t hWnd = 0;
    uint32_t uID = 0;
    uint32_t uFlags = 0;
    uint32_t uCallbackMessage = 0;
    int32_t hIcon = 0;
    std::array<char, 64> szTip{};
};
static_assert(std::is_standard_layout_v<NOTIFYICONDATAA>);
static_assert(sizeof(NOTIFYICONDATAA) == 88);
static_assert(offsetof(NOTIFYICONDATAA, cbSize) == 0);
static_assert(offsetof(NOTIFYICONDATAA, hWnd) == 4);
static_assert(offsetof(NOTIFYICONDATAA, uID) == 8);
static_assert(offsetof(NOTIFYICONDATAA, uFlags) == 12);
static_assert(offsetof(NOTIFYICONDATAA, uCallbackMessage) == 16);
static_assert(offsetof(NOTIFYICONDATAA, hIcon) == 20);
static_assert(offsetof(NOTIFYICONDATAA, szTip) == 24);

namespace Module1 {

// The text the icon shows when the pointer rests on it.
inline constexpr char16_t kTrayTip[] = u"برنامج سلفنداري";

extern NOTIFYICONDATA TrayIcon;

// The ANSI copy of a record. Raises PlatformError when the tip holds a character the ANSI code
// page cannot hold.
NOTIFYICONDATAA toAnsi(const NOTIFYICONDATA& record);
NOTIFYICONDATA fromAnsi(const NOTIFYICONDATAA& record);

// Fills TrayIcon for the window and its icon, then adds the icon to the notification area and
// sets it once more with the same record. The system's answers are not looked at: where it
// refuses the icon, the program runs on without one.
void RegisterTrayIcon(int32_t hWnd, int32_t hIcon);

} // namespace Module1
