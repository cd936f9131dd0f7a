#pragma once

// Puts a recorder in place of the system shell for the life of the object: every ShellExecuteA
// call is kept with its arguments, null pointers told apart from empty texts, and nothing opens.

#include "platform/ShellExecute.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace support {

struct ShellExecuteCall {
    int32_t hwnd = 0;
    std::optional<QByteArray> verb;
    std::optional<QByteArray> file;
    std::optional<QByteArray> parameters;
    std::optional<QByteArray> directory;
    int32_t showCommand = 0;
};

class RecordingShellExecute {
public:
    RecordingShellExecute()
        : m_previous(platform::shell32::replaceShellExecute(
            [this](int32_t hwnd, const char* verb, const char* file, const char* parameters,
                   const char* directory, int32_t showCommand) {
                m_calls.push_back({hwnd, text(verb), text(file), text(parameters), text(directory), showCommand});
                return platform::shell32::kOpened;
            }))
    {
    }
    ~RecordingShellExecute() { platform::shell32::replaceShellExecute(std::move(m_previous)); }
    RecordingShellExecute(const RecordingShellExecute&) = delete;
    RecordingShellExecute& operator=(const RecordingShellExecute&) = delete;

    const std::vector<ShellExecuteCall>& calls() const { return m_calls; }

private:
    static std::optional<QByteArray> text(const char* value)
    {
        return value ? std::optional<QByteArray>(QByteArray(value)) : std::nullopt;
    }

    platform::shell32::ShellExecuteFunction m_previous;
    std::vector<ShellExecuteCall> m_calls;
};

} // namespace support
