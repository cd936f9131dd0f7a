// The shell stand-in's check of a web address: whatever the text, an address reaches the browser
// only as an http or https URL with a host, written in the characters a URL may hold as written.

#include "platform/ShellExecute.h"

#include <QCoreApplication>
#include <QUrl>
#include <cstdlib>

namespace {

bool g_opened = false;
QUrl g_url;

bool asWritten(const QByteArray& address)
{
    for (const char c : address) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain && !QByteArrayView("-._~:/?#[]@!$&()*+,;=%").contains(c))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    platform::shell32::replaceUrlOpener([](const QUrl& url) {
        g_opened = true;
        g_url = url;
        return true;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the verb; the rest, up to a NUL, is the address.
    const char* verbs[] = {"open", nullptr, "", "OPEN", "edit", "print", "runas", "explore"};
    const char* verb = size ? verbs[data[0] % 8] : "open";
    const QByteArray address = size ? QByteArray(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)) : QByteArray();
    g_opened = false;
    const int32_t result = ShellExecuteA(0, verb, address.constData(), "", nullptr, 1);
    if (g_opened != (result > 32))
        std::abort();
    if (g_opened) {
        const QString scheme = g_url.scheme().toLower();
        const QByteArray written(address.constData()); // what the shell read: up to the NUL
        if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || g_url.host().isEmpty()
            || !asWritten(written))
            std::abort();
    }
    return 0;
}
