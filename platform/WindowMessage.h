#pragma once

// A message the system sends to a window, as an event: the message number and its two
// parameters. A window without a handler for a message lets it fall through to
// QObject::customEvent(), which does nothing, so delivering one never changes a window that does
// not ask for it.

#include <QEvent>
#include <cstdint>

namespace platform {

inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;

class WindowMessage : public QEvent {
public:
    WindowMessage(uint32_t message, uint32_t wParam, int32_t lParam)
        : QEvent(eventType())
        , m_message(message)
        , m_wParam(wParam)
        , m_lParam(lParam)
    {
    }

    // The one event type that carries every message.
    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    uint32_t message() const { return m_message; }
    uint32_t wParam() const { return m_wParam; }
    int32_t lParam() const { return m_lParam; }

private:
    uint32_t m_message;
    uint32_t m_wParam;
    int32_t m_lParam;
};

} // namespace platform
