#pragma once

// The system shell's side of ShellExecuteA, exported with C linkage as the shell library exports
// it. It opens web addresses in the desktop's browser and nothing else: no programs, no files, no
// other verbs. The address goes to the browser as one URL, never as text for a command line.

#include <QUrl>
#include <cstdint>
#include <functional>

extern "C" int32_t ShellExecuteA(int32_t hwnd, const char* verb, const char* file, const char* parameters,
                                 const char* directory, int32_t showCommand);

namespace platform::shell32 {

inline constexpr int32_t SW_SHOWNORMAL = 1;

// Results, as the shell reports them: anything above 32 means success.
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2; // not an address this shell can take
inline constexpr int32_t SE_ERR_NOASSOC = 31;      // no handler: another verb or scheme, or no browser
inline constexpr int32_t kOpened = 42;

using ShellExecuteFunction = std::function<int32_t(int32_t hwnd, const char* verb, const char* file,
                                                   const char* parameters, const char* directory,
                                                   int32_t showCommand)>;
// For tests: what ShellExecuteA does instead; an empty function restores the shell.
// Returns the function it replaces.
ShellExecuteFunction replaceShellExecute(ShellExecuteFunction function);

// Hands an address to the desktop's browser; false when none takes it.
using UrlOpener = std::function<bool(const QUrl& url)>;
// For tests: what receives the addresses the shell opens; an empty opener restores the desktop's.
// Returns the opener it replaces.
UrlOpener replaceUrlOpener(UrlOpener opener);

} // namespace platform::shell32
