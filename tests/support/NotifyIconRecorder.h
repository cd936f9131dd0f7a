#pragma once

// Stands in for Shell_NotifyIconA and records every call with a copy of the record as it was at
// the call, so a test sees exactly which messages and bytes the program handed to the system.

#include "platform/ShellNotifyIcon.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace support {

struct NotifyIconCall {
    uint32_t message;
    QByteArray record; // the record's 88 bytes; empty for a null record
};

class ScopedNotifyIconRecorder {
public:
    ScopedNotifyIconRecorder()
        : m_calls(std::make_shared<std::vector<NotifyIconCall>>())
    {
        platform::shell32::replaceShellNotifyIcon([calls = m_calls](uint32_t message, const void* record) {
            constexpr qsizetype size = sizeof(platform::shell32::NOTIFYICONDATAA);
            calls->push_back({message, record ? QByteArray(static_cast<const char*>(record), size) : QByteArray()});
            return int32_t(1);
        });
    }
    ~ScopedNotifyIconRecorder() { platform::shell32::replaceShellNotifyIcon(nullptr); }
    ScopedNotifyIconRecorder(const ScopedNotifyIconRecorder&) = delete;
    ScopedNotifyIconRecorder& operator=(const ScopedNotifyIconRecorder&) = delete;

    const std::vector<NotifyIconCall>& calls() const { return *m_calls; }

private:
    std::shared_ptr<std::vector<NotifyIconCall>> m_calls;
};

} // namespace support
