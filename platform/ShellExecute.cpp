#include "platform/ShellExecute.h"

#include "platform/Replaceable.h"

#include <QByteArray>
#include <QDesktopServices>
#include <algorithm>

namespace platform::shell32 {
namespace {

bool openInBrowser(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

Replaceable<UrlOpener>& urlOpener()
{
    static Replaceable<UrlOpener> opener(openInBrowser);
    return opener;
}

// A missing or empty verb means the default one, which for an address is "open".
bool isOpenVerb(const char* verb)
{
    return !verb || !*verb || QByteArray(verb).compare("open", Qt::CaseInsensitive) == 0;
}

// The characters a URL may hold as written: letters, digits, the marks RFC 3986 reserves or
// leaves unreserved, and '%' for the rest. Whitespace, quotes of any kind, backslashes, angle
// brackets, control and non-ASCII bytes never appear in an address this shell passes on, so no
// address can be read two ways by whatever opens it.
bool isAddressCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("-._~:/?#[]@!$&()*+,;=%").contains(c);
}

int32_t openDocument(int32_t, const char* verb, const char* file, const char*, const char*, int32_t)
{
    // The owner window, the parameters, the directory and the show mode mean nothing to a browser
    // that opens an address; they are taken and left unused.
    if (!file || !*file)
        return ERROR_FILE_NOT_FOUND;
    if (!isOpenVerb(verb))
        return SE_ERR_NOASSOC;
    const QByteArray address(file);
    if (!std::all_of(address.begin(), address.end(), isAddressCharacter))
        return ERROR_FILE_NOT_FOUND;
    const QUrl url = QUrl::fromEncoded(address, QUrl::StrictMode);
    if (!url.isValid())
        return ERROR_FILE_NOT_FOUND;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return SE_ERR_NOASSOC;
    if (url.host().isEmpty())
        return ERROR_FILE_NOT_FOUND;
    return urlOpener()(url) ? kOpened : SE_ERR_NOASSOC;
}

Replaceable<ShellExecuteFunction>& shellExecute()
{
    static Replaceable<ShellExecuteFunction> function(openDocument);
    return function;
}

} // namespace

ShellExecuteFunction replaceShellExecute(ShellExecuteFunction function)
{
    return shellExecute().replace(std::move(function));
}

UrlOpener replaceUrlOpener(UrlOpener opener)
{
    return urlOpener().replace(std::move(opener));
}

} // namespace platform::shell32

extern "C" int32_t ShellExecuteA(int32_t hwnd, const char* verb, const char* file, const char* parameters,
                                 const char* directory, int32_t showCommand)
{
    return platform::shell32::shellExecute()(hwnd, verb, file, parameters, directory, showCommand);
}
