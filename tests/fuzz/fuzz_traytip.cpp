// The tray record's tip both ways. The platform's Shell_NotifyIconA reads any 88 bytes given to it
// for a window it knows: a tip ends at its NUL or after 63 bytes and nothing behind the record is
// read. Module1 turns the record into its own (64 UTF-16 characters) and back: every tip byte has a
// character, so the tip's bytes come back unchanged.

#include "platform/Codepage1256.h"
#include "platform/Handles.h"
#include "platform/ShellNotifyIcon.h"
#include "support/FakeNotificationArea.h"
#include "system_services/Module1.h"

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace {
std::shared_ptr<support::FakeTray> g_tray;
platform::HWND g_window = 0;
platform::HICON g_icon = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    static QWidget window;
    g_tray = std::make_shared<support::FakeTray>();
    platform::shell32::replaceNotificationArea(std::make_unique<support::FakeNotificationArea>(g_tray));
    g_window = platform::windowHandle(&window);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    g_icon = platform::iconHandle(QIcon(pixmap));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NOTIFYICONDATAA ansi;
    std::memcpy(&ansi, data, std::min(size, sizeof ansi));

    const NOTIFYICONDATA record = Module1::fromAnsi(ansi);
    const NOTIFYICONDATAA back = Module1::toAnsi(record);
    if (std::memcmp(&back, &ansi, sizeof ansi) != 0)
        std::abort();

    // The same bytes as a request for the harness's window: mostly well-formed, so that the tip is
    // read, with the input's own size, flags and icon now and then.
    const uint8_t choice = size > 88 ? data[88] : 0;
    if (!(choice & 1))
        ansi.cbSize = sizeof ansi;
    ansi.hWnd = g_window;
    if (!(choice & 2))
        ansi.hIcon = g_icon;
    // Bytes after the record, which the stand-in must never read into the tip.
    QByteArray bytes(reinterpret_cast<const char*>(&ansi), sizeof ansi);
    bytes.append(64, 'x');
    if (Shell_NotifyIconA(platform::shell32::NIM_ADD, bytes.constData())) {
        const QByteArray field(ansi.szTip.data(), 63);
        const qsizetype nul = field.indexOf('\0');
        const QString expected = (ansi.uFlags & platform::shell32::NIF_TIP)
            ? platform::fromAnsi(field.left(nul < 0 ? field.size() : nul))
            : QString();
        const auto shown = g_tray->shown();
        if (shown.size() != 1 || shown.front()->tip != expected)
            std::abort();
        Shell_NotifyIconA(platform::shell32::NIM_MODIFY, bytes.constData());
        if (!Shell_NotifyIconA(platform::shell32::NIM_DELETE, bytes.constData()) || !g_tray->shown().empty())
            std::abort();
        g_tray->icons.clear();
    }
    return 0;
}
