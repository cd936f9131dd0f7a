#include "platform/NotificationArea.h"

#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <array>
#include <utility>

namespace platform {
namespace {

struct ActivationMessages {
    QSystemTrayIcon::ActivationReason reason;
    std::array<uint32_t, 2> messages; // 0 ends the list
};

// Qt reports clicks, not mouse moves, so these are the messages an icon can produce here.
constexpr std::array<ActivationMessages, 4> kActivationMessages{{
    {QSystemTrayIcon::Trigger, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
    {QSystemTrayIcon::DoubleClick, {WM_LBUTTONDBLCLK, 0}},
    {QSystemTrayIcon::Context, {WM_RBUTTONDOWN, WM_RBUTTONUP}},
    {QSystemTrayIcon::MiddleClick, {WM_MBUTTONDOWN, WM_MBUTTONUP}},
}};

// An icon given no picture still takes its place in the area, empty, as the system's does;
// Qt refuses to show an icon without one.
QIcon shownIcon(const QIcon& icon)
{
    if (!icon.isNull())
        return icon;
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

class SystemIcon : public NotificationAreaIcon {
public:
    SystemIcon(QWidget* window, const QIcon& icon, const QString& tip, MouseActivity activity)
        : m_icon(new QSystemTrayIcon(shownIcon(icon), window))
    {
        m_icon->setToolTip(tip);
        QObject::connect(m_icon, &QSystemTrayIcon::activated, m_icon,
                         [activity = std::move(activity)](QSystemTrayIcon::ActivationReason reason) {
                             for (const ActivationMessages& row : kActivationMessages) {
                                 if (row.reason != reason)
                                     continue;
                                 for (const uint32_t message : row.messages) {
                                     if (message)
                                         activity(message);
                                 }
                             }
                         });
        m_icon->show();
    }

    ~SystemIcon() override
    {
        // The window deletes the icon with itself; after the application is gone there is no
        // desktop left to take it from.
        if (m_icon && QCoreApplication::instance())
            delete m_icon.data();
    }

    void setIcon(const QIcon& icon) override
    {
        if (m_icon)
            m_icon->setIcon(shownIcon(icon));
    }

    void setToolTip(const QString& tip) override
    {
        if (m_icon)
            m_icon->setToolTip(tip);
    }

private:
    QPointer<QSystemTrayIcon> m_icon;
};

class SystemNotificationArea : public NotificationArea {
public:
    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    std::unique_ptr<NotificationAreaIcon> addIcon(QWidget* window, const QIcon& icon, const QString& tip,
                                                  MouseActivity activity) override
    {
        return std::make_unique<SystemIcon>(window, icon, tip, std::move(activity));
    }
};

} // namespace

std::unique_ptr<NotificationArea> makeSystemNotificationArea()
{
    return std::make_unique<SystemNotificationArea>();
}

} // namespace platform
