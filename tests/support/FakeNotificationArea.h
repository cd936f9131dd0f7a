#pragma once

// A notification area without a desktop: it shows nothing and keeps every icon it was asked for,
// with its window, picture, tip and the way back for mouse activity, so a test can follow what
// Shell_NotifyIconA did and play the user's clicks on an icon.

#include "platform/NotificationArea.h"
#include "platform/ShellNotifyIcon.h"

#include <QPointer>
#include <memory>
#include <vector>

namespace support {

struct FakeTrayIcon {
    QPointer<QWidget> window;
    QIcon icon;
    QString tip;
    platform::MouseActivity activity;
    bool shown = true;
};

struct FakeTray {
    bool available = true;
    std::vector<std::shared_ptr<FakeTrayIcon>> icons; // every icon ever added, in order

    std::vector<std::shared_ptr<FakeTrayIcon>> shown() const
    {
        std::vector<std::shared_ptr<FakeTrayIcon>> result;
        for (const auto& icon : icons)
            if (icon->shown)
                result.push_back(icon);
        return result;
    }
};

class FakeNotificationArea : public platform::NotificationArea {
public:
    explicit FakeNotificationArea(std::shared_ptr<FakeTray> tray)
        : m_tray(std::move(tray))
    {
    }

    bool isAvailable() const override { return m_tray->available; }

    std::unique_ptr<platform::NotificationAreaIcon> addIcon(QWidget* window, const QIcon& icon, const QString& tip,
                                                            platform::MouseActivity activity) override
    {
        auto state = std::make_shared<FakeTrayIcon>(FakeTrayIcon{window, icon, tip, std::move(activity)});
        m_tray->icons.push_back(state);
        return std::make_unique<Icon>(state);
    }

private:
    class Icon : public platform::NotificationAreaIcon {
    public:
        explicit Icon(std::shared_ptr<FakeTrayIcon> state) : m_state(std::move(state)) {}
        ~Icon() override { m_state->shown = false; }
        void setIcon(const QIcon& icon) override { m_state->icon = icon; }
        void setToolTip(const QString& tip) override { m_state->tip = tip; }

    private:
        std::shared_ptr<FakeTrayIcon> m_state;
    };

    std::shared_ptr<FakeTray> m_tray;
};

// Puts a fake area behind Shell_NotifyIconA for the scope's life and gives the desktop's back after.
class ScopedFakeNotificationArea {
public:
    ScopedFakeNotificationArea()
        : m_tray(std::make_shared<FakeTray>())
    {
        platform::shell32::replaceNotificationArea(std::make_unique<FakeNotificationArea>(m_tray));
    }
    ~ScopedFakeNotificationArea() { platform::shell32::replaceNotificationArea(nullptr); }
    ScopedFakeNotificationArea(const ScopedFakeNotificationArea&) = delete;
    ScopedFakeNotificationArea& operator=(const ScopedFakeNotificationArea&) = delete;

    FakeTray& tray() { return *m_tray; }

private:
    std::shared_ptr<FakeTray> m_tray;
};

} // namespace support
