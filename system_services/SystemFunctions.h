#pragma once

// The system functions the program calls, declared once for the whole program, with the
// constants it passes them. Texts and records go to them in the ANSI code page.

#include <cstdint>

// winmm: plays a sound file.
extern "C" int32_t sndPlaySoundA(const char* path, uint32_t flags);

inline constexpr uint32_t SND_ASYNC = 0x0001;
inline constexpr uint32_t SND_NODEFAULT = 0x0002;
inline constexpr uint32_t SND_LOOP = 0x0008;

// shell32: opens a document or an address with the program the system associates with it.
// Results above 32 mean success.
extern "C" int32_t ShellExecuteA(int32_t hwnd, const char* verb, const char* file, const char* parameters,
                                 const char* directory, int32_t showCommand);

inline constexpr int32_t SW_SHOWNORMAL = 1;

// shell32: adds, changes or removes an icon in the notification area. The record is the 88-byte
// ANSI form of NOTIFYICONDATA (Module1.h). Returns nonzero when the system carried it out.
extern "C" int32_t Shell_NotifyIconA(uint32_t message, const void* record);

inline constexpr uint32_t NIM_ADD = 0;
inline constexpr uint32_t NIM_MODIFY = 1;
inline constexpr uint32_t NIM_DELETE = 2;

inline constexpr uint32_t NIF_MESSAGE = 0x1;
inline constexpr uint32_t NIF_ICON = 0x2;
inline constexpr uint32_t NIF_TIP = 0x4;

// The message the system sends for mouse activity over a window, and over an icon whose record
// names it.
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
