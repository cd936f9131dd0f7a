#include "system_services/OpenSite.h"

#include "platform/Codepage1256.h"
#include "system_services/SystemFunctions.h"

#include <QByteArray>
#include <QString>

void OpenSite(const char* site, int32_t hWnd)
{
    const QByteArray verb = platform::toAnsi(QStringLiteral("open"));
    const QByteArray address = platform::toAnsi(QString::fromUtf8(site));
    // The result is ignored: whatever the shell shows on a failure is the shell's own.
    ShellExecuteA(hWnd, verb.constData(), address.constData(), nullptr, nullptr, SW_SHOWNORMAL);
}
