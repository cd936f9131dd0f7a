#pragma once

// The system functions the program calls, declared once for the whole program, with the
// constants it passes them. Texts and records go to them in the ANSI code page.

#include <cstdint>

// winmm: plays a sound file.
extern "C" int32_t sndPlaySoundA(const char* path, uint32_t flags);

inline constexpr uint32_t SND_ASYNC = 0x0001;
inline constexpr uint32_t SND_NODEFAULT = 0x0002;
inline constexpr uint32_t SND_LOOP = 0x0008;
