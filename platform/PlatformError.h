#pragma once

// An error raised by a routine of the program or of the platform and handed to the platform's
// handling of unhandled errors. It names what failed (an operation and the thing it worked on)
// and why, both as text for the user.

#include <QString>
#include <stdexcept>

namespace platform {

class PlatformError : public std::runtime_error {
public:
    PlatformError(QString failed, QString reason)
        : std::runtime_error((failed + QStringLiteral(": ") + reason).toStdString())
        , m_failed(std::move(failed))
        , m_reason(std::move(reason))
    {
    }

    const QString& failed() const { return m_failed; }
    const QString& reason() const { return m_reason; }

private:
    QString m_failed;
    QString m_reason;
};

} // namespace platform
