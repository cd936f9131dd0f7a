#include "platform/Handles.h"

#include <QHash>

namespace platform {
namespace {

// Handles start away from zero and step by four, as system handles do, so that 0 always
// means "no object".
constexpr int32_t kFirstWindowHandle = 0x00010010;
constexpr int32_t kFirstIconHandle = 0x00020010;
constexpr int32_t kHandleStep = 4;

struct WindowRegistry {
    QHash<HWND, QPointer<QWidget>> windows;
    HWND next = kFirstWindowHandle;
};

WindowRegistry& windowRegistry()
{
    static WindowRegistry registry;
    return registry;
}

struct IconRegistry {
    QHash<HICON, QIcon> icons;
    QHash<qint64, HICON> byKey;
    HICON next = kFirstIconHandle;
};

IconRegistry& iconRegistry()
{
    static IconRegistry registry;
    return registry;
}

const char* const kHandleProperty = "platform.hWnd";

} // namespace

HWND windowHandle(QWidget* window)
{
    if (!window)
        return 0;
    const QVariant known = window->property(kHandleProperty);
    if (known.isValid())
        return known.toInt();
    WindowRegistry& registry = windowRegistry();
    const HWND handle = registry.next;
    registry.next += kHandleStep;
    registry.windows.insert(handle, window);
    window->setProperty(kHandleProperty, handle);
    return handle;
}

QWidget* windowFromHandle(HWND handle)
{
    WindowRegistry& registry = windowRegistry();
    const auto it = registry.windows.constFind(handle);
    if (it == registry.windows.constEnd())
        return nullptr;
    if (it.value().isNull()) {
        registry.windows.remove(handle);
        return nullptr;
    }
    return it.value().data();
}

HICON iconHandle(const QIcon& icon)
{
    if (icon.isNull())
        return 0;
    IconRegistry& registry = iconRegistry();
    const qint64 key = icon.cacheKey();
    if (const auto it = registry.byKey.constFind(key); it != registry.byKey.constEnd())
        return it.value();
    const HICON handle = registry.next;
    registry.next += kHandleStep;
    registry.icons.insert(handle, icon);
    registry.byKey.insert(key, handle);
    return handle;
}

std::optional<QIcon> iconFromHandle(HICON handle)
{
    const IconRegistry& registry = iconRegistry();
    const auto it = registry.icons.constFind(handle);
    if (it == registry.icons.constEnd())
        return std::nullopt;
    return it.value();
}

} // namespace platform
