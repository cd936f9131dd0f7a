#pragma once

// Records the system messages that reach a window, in order, while the log watches it.

#include "platform/WindowMessage.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace support {

class WindowMessageLog : public QObject {
public:
    struct Entry {
        uint32_t message;
        uint32_t wParam;
        int32_t lParam;
    };

    explicit WindowMessageLog(QWidget* window)
        : m_window(window)
    {
        window->installEventFilter(this);
    }
    ~WindowMessageLog() override
    {
        if (m_window)
            m_window->removeEventFilter(this);
    }

    const std::vector<Entry>& entries() const { return m_entries; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == platform::WindowMessage::eventType()) {
            const auto* message = static_cast<const platform::WindowMessage*>(event);
            m_entries.push_back({message->message(), message->wParam(), message->lParam()});
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::vector<Entry> m_entries;
};

} // namespace support
