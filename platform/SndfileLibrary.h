#pragma once

// The functions of the sound-file library that the sound reader calls, found in libsndfile.so.1
// on first use. Null when the library is not installed.

#include <sndfile.h>

namespace platform {

struct SndfileLibrary {
    decltype(&sf_open) open = nullptr;
    decltype(&sf_close) close = nullptr;
    decltype(&sf_readf_float) readf_float = nullptr;
};

// Loads the library the first time it is called, from any thread; null if it or a function is missing.
const SndfileLibrary* sndfileLibrary();

} // namespace platform
