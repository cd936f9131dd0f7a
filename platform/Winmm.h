#pragma once

// The sound player's side of sndPlaySoundA: the function itself is exported with C linkage, as a
// system library would export it, and the program declares it on its own.

#include "platform/AudioOutput.h"

#include <cstdint>
#include <memory>

extern "C" int32_t sndPlaySoundA(const char* path, uint32_t flags);

namespace platform::winmm {

inline constexpr uint32_t SND_ASYNC = 0x0001;
inline constexpr uint32_t SND_NODEFAULT = 0x0002;
inline constexpr uint32_t SND_LOOP = 0x0008;

// Gets the sound player ready in the background: the sound libraries are loaded and the server
// connected on a thread of their own. Called once the window has painted, so that neither happens
// before the first paint nor inside the first press.
void prepareOutput();

// For tests and benchmarks: the output sndPlaySoundA plays through; null restores the device.
// Returns the output it replaces.
std::unique_ptr<AudioOutput> replaceAudioOutput(std::unique_ptr<AudioOutput> output);

// For tests: runs the application's events until a sound being decoded in the background has
// reached the output, or none is left.
void waitForDecoding();

} // namespace platform::winmm
