#pragma once

// The desktop's notification area as Shell_NotifyIconA sees it: whether there is one, and icons
// shown in it that report the mouse activity over them. It knows nothing of records or handles;
// tests put a fake here to follow the icons without a desktop.

#include <QIcon>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class NotificationAreaIcon {
public:
    virtual ~NotificationAreaIcon() = default;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& tip) = 0;
};

// Receives the mouse messages (WM_LBUTTONDOWN and its kin) for activity over an icon.
using MouseActivity = std::function<void(uint32_t mouseMessage)>;

class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    virtual bool isAvailable() const = 0;
    // Shows an icon on behalf of a window. It stays until the returned object or the window goes.
    virtual std::unique_ptr<NotificationAreaIcon> addIcon(QWidget* window, const QIcon& icon, const QString& tip,
                                                          MouseActivity activity) = 0;
};

// The desktop's own notification area, through QSystemTrayIcon.
std::unique_ptr<NotificationArea> makeSystemNotificationArea();

} // namespace platform
