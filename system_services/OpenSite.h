#pragma once

// Opens one of the program's sites in the user's browser through the system shell, on behalf of
// a window. The shell's answer is not looked at: a site that cannot be opened changes nothing.

#include <cstdint>

// The site is an endpoint from Sites.h (UTF-8); the window handle becomes the shell's owner window.
// Raises PlatformError when the address cannot be written in the ANSI code page.
void OpenSite(const char* site, int32_t hWnd);
