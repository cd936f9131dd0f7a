#include "system_services/Module1.h"

#include "platform/Codepage1256.h"
#include "system_services/SystemFunctions.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <algorithm>

namespace Module1 {

NOTIFYICONDATA TrayIcon;

namespace {

// A fixed-length text field takes the text left-aligned, cut to the field, the rest spaces.
std::array<char16_t, 64> fixedText(QStringView text)
{
    std::array<char16_t, 64> field;
    field.fill(u' ');
    std::copy_n(text.utf16(), std::min<qsizetype>(text.size(), qsizetype(field.size())), field.begin());
    return field;
}

} // namespace

NOTIFYICONDATAA toAnsi(const NOTIFYICONDATA& record)
{
    NOTIFYICONDATAA ansi;
    ansi.cbSize = record.cbSize;
    ansi.hWnd = record.hWnd;
    ansi.uID = record.uID;
    ansi.uFlags = record.uFlags;
    ansi.uCallbackMessage = record.uCallbackMessage;
    ansi.hIcon = record.hIcon;
    // One byte per character: the code page is single-byte, so the 64 characters fill the field.
    const QByteArray tip = platform::toAnsi(QStringView(record.szTip.data(), record.szTip.size()).toString());
    std::copy_n(tip.constData(), std::min<qsizetype>(tip.size(), qsizetype(ansi.szTip.size())), ansi.szTip.begin());
    return ansi;
}

NOTIFYICONDATA fromAnsi(const NOTIFYICONDATAA& ansi)
{
    NOTIFYICONDATA record;
    record.cbSize = ansi.cbSize;
    record.hWnd = ansi.hWnd;
    record.uID = ansi.uID;
    record.uFlags = ansi.uFlags;
    record.uCallbackMessage = ansi.uCallbackMessage;
    record.hIcon = ansi.hIcon;
    record.szTip = fixedText(platform::fromAnsi(QByteArray(ansi.szTip.data(), qsizetype(ansi.szTip.size()))));
    return record;
}

void RegisterTrayIcon(int32_t hWnd, int32_t hIcon)
{
    TrayIcon.cbSize = sizeof(NOTIFYICONDATAA);
    TrayIcon.hWnd = hWnd;
    TrayIcon.uID = 1;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIcon.uCallbackMessage = WM_MOUSEMOVE;
    TrayIcon.hIcon = hIcon;
    TrayIcon.szTip = fixedText(QStringView(kTrayTip).toString() + QChar(u'\0'));

    // The system may write into the record it is given, so each call gets its own copy and the
    // program keeps what comes back. Where the system refuses the icon the program goes on
    // without it, so the answers are not looked at.
    NOTIFYICONDATAA added = toAnsi(TrayIcon);
    Shell_NotifyIconA(NIM_ADD, &added);
    TrayIcon = fromAnsi(added);

    NOTIFYICONDATAA modified = toAnsi(TrayIcon);
    Shell_NotifyIconA(NIM_MODIFY, &modified);
    TrayIcon = fromAnsi(modified);
}

} // namespace Module1
