// The Windows-1256 codec both ways. Every byte stands for a character, so bytes read and written
// back come out unchanged; a text either fails to encode with a PlatformError or comes back
// unchanged from its bytes; the zero-terminated reading stops at the first NUL.

#include "platform/Codepage1256.h"
#include "platform/PlatformError.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = platform::fromAnsi(bytes);
    if (text.size() != bytes.size() || platform::toAnsi(text) != bytes)
        std::abort();
    const QByteArray terminated = bytes + '\0';
    if (platform::fromAnsi(terminated.constData()) != text.left(qsizetype(std::strlen(terminated.constData()))))
        std::abort();

    // The same bytes read as UTF-16 make texts of any characters, most outside the code page.
    const QString wide = QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    try {
        if (platform::fromAnsi(platform::toAnsi(wide)) != wide)
            std::abort();
    } catch (const platform::PlatformError&) {
    }
    return 0;
}
