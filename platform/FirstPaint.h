#pragma once

// Runs work once a window has painted for the first time, from the event loop right after that
// paint: what the first screen does not draw waits until the screen is there.

#include <functional>

class QWidget;

namespace platform {

void afterFirstPaint(QWidget& window, std::function<void()> work);

} // namespace platform
