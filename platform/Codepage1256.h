#pragma once

// The ANSI code page of the systems the program is written for: Windows-1256, Arabic. Texts and
// records handed to the system functions whose names end in "A" travel in it. Every one of its 256
// byte values stands for a character; a character it cannot hold is an error, never a silent '?'.

#include <QByteArray>
#include <QString>

namespace platform {

// Raises PlatformError naming the first character the code page cannot hold.
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);
// The same for a zero-terminated text, read up to its NUL.
QString fromAnsi(const char* text);

} // namespace platform
