#pragma once

// What the program asks of its runtime beyond windows and controls: the application directory,
// a modal message box, and ending the program at once. Tests replace the last two and point the
// first at a fixture directory.

#include <QString>
#include <functional>

namespace platform {

// The directory that holds the executable, without a trailing separator. A directory whose name
// is not UTF-8 has no QString of its own: it comes as /proc/self/fd/N, which leads to it.
QString applicationDirectory();
// For tests: the directory to report instead; an empty text restores the real one.
void replaceApplicationDirectory(const QString& directory);

enum MsgBoxStyle : int { vbOKOnly = 0 };
// Shows a modal message box and waits until the user closes it.
using MessageBoxFunction = std::function<void(const QString& prompt, MsgBoxStyle buttons, const QString& title)>;
void MsgBox(const QString& prompt, MsgBoxStyle buttons, const QString& title);
MessageBoxFunction replaceMessageBox(MessageBoxFunction function);

// Ends the process at once with status 0: no window is closed or told, nothing is unloaded.
using EndFunction = std::function<void()>;
void End();
EndFunction replaceEnd(EndFunction function);

} // namespace platform
