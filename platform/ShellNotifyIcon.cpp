#include "platform/ShellNotifyIcon.h"

#include "platform/Codepage1256.h"
#include "platform/Replaceable.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace platform::shell32 {
namespace {

using IconKey = std::pair<HWND, uint32_t>;

struct ShownIcon {
    std::unique_ptr<NotificationAreaIcon> icon;
    std::optional<uint32_t> callbackMessage;
    QMetaObject::Connection windowGone;

    ShownIcon() = default;
    ShownIcon(const ShownIcon&) = delete;
    ShownIcon& operator=(const ShownIcon&) = delete;
    ~ShownIcon() { QObject::disconnect(windowGone); }
};

struct Tray {
    std::unique_ptr<NotificationArea> area;
    std::map<IconKey, ShownIcon> icons;
};

Tray& tray()
{
    static Tray current;
    if (!current.area)
        current.area = makeSystemNotificationArea();
    return current;
}

// What a record says once its handles are resolved; only the parts its flags name are set.
struct Request {
    IconKey key;
    QWidget* window = nullptr;
    std::optional<uint32_t> callbackMessage;
    std::optional<QIcon> icon;
    std::optional<QString> tip;
};

// The tip ends at its NUL. A field without one is cut to 63 characters, as the system keeps the
// last byte for the NUL; nothing behind the field is read.
QString readTip(const std::array<char, 64>& field)
{
    const auto end = std::find(field.begin(), field.end() - 1, '\0');
    return fromAnsi(QByteArray(field.data(), end - field.begin()));
}

std::optional<Request> readRecord(const void* record)
{
    if (!record)
        return std::nullopt;
    uint32_t size = 0;
    std::memcpy(&size, record, sizeof size);
    if (size != sizeof(NOTIFYICONDATAA))
        return std::nullopt;
    NOTIFYICONDATAA data;
    std::memcpy(&data, record, sizeof data);

    Request request;
    request.key = {data.hWnd, data.uID};
    request.window = windowFromHandle(data.hWnd);
    if (!request.window)
        return std::nullopt;
    if (data.uFlags & NIF_MESSAGE)
        request.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) {
        request.icon = iconFromHandle(data.hIcon);
        if (!request.icon)
            return std::nullopt;
    }
    if (data.uFlags & NIF_TIP)
        request.tip = readTip(data.szTip);
    return request;
}

// Mouse activity goes to the window as a posted message, as the system posts it: wParam is the
// icon's id and lParam the mouse message. An icon added without NIF_MESSAGE reports nothing.
void deliverActivity(const IconKey& key, uint32_t mouseMessage)
{
    const auto it = tray().icons.find(key);
    if (it == tray().icons.end() || !it->second.callbackMessage)
        return;
    if (QWidget* window = windowFromHandle(key.first))
        QCoreApplication::postEvent(window, new WindowMessage(*it->second.callbackMessage, key.second,
                                                              int32_t(mouseMessage)));
}

bool add(const Request& request)
{
    Tray& current = tray();
    const IconKey key = request.key;
    if (current.icons.contains(key) || !current.area->isAvailable())
        return false;
    std::unique_ptr<NotificationAreaIcon> icon = current.area->addIcon(
        request.window, request.icon.value_or(QIcon()), request.tip.value_or(QString()),
        [key](uint32_t mouseMessage) { deliverActivity(key, mouseMessage); });
    ShownIcon& shown = current.icons[key];
    shown.icon = std::move(icon);
    shown.callbackMessage = request.callbackMessage;
    shown.windowGone = QObject::connect(request.window, &QObject::destroyed, [key] { tray().icons.erase(key); });
    return true;
}

bool modify(const Request& request)
{
    const auto it = tray().icons.find(request.key);
    if (it == tray().icons.end())
        return false;
    ShownIcon& shown = it->second;
    if (request.callbackMessage)
        shown.callbackMessage = request.callbackMessage;
    if (request.icon)
        shown.icon->setIcon(*request.icon);
    if (request.tip)
        shown.icon->setToolTip(*request.tip);
    return true;
}

bool remove(const Request& request)
{
    return tray().icons.erase(request.key) > 0;
}

int32_t notifyIcon(uint32_t message, const void* record)
{
    if (message != NIM_ADD && message != NIM_MODIFY && message != NIM_DELETE)
        return 0;
    const std::optional<Request> request = readRecord(record);
    if (!request)
        return 0;
    switch (message) {
    case NIM_ADD:
        return add(*request) ? 1 : 0;
    case NIM_MODIFY:
        return modify(*request) ? 1 : 0;
    default:
        return remove(*request) ? 1 : 0;
    }
}

Replaceable<ShellNotifyIconFunction>& function()
{
    static Replaceable<ShellNotifyIconFunction> current(notifyIcon);
    return current;
}

} // namespace

ShellNotifyIconFunction replaceShellNotifyIcon(ShellNotifyIconFunction replacement)
{
    return function().replace(std::move(replacement));
}

std::unique_ptr<NotificationArea> replaceNotificationArea(std::unique_ptr<NotificationArea> area)
{
    Tray& current = tray();
    current.icons.clear();
    std::unique_ptr<NotificationArea> previous = std::move(current.area);
    current.area = area ? std::move(area) : makeSystemNotificationArea();
    return previous;
}

} // namespace platform::shell32

extern "C" int32_t Shell_NotifyIconA(uint32_t message, const void* record)
{
    return platform::shell32::function()(message, record);
}
