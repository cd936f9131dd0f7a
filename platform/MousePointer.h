#pragma once

// Mouse pointers by the numeric codes that control layouts use.

#include <QWidget>

namespace platform {

enum class MousePointer : int {
    Default = 0,
    NoDrop = 12,
    ArrowQuestion = 14,
};

void setMousePointer(QWidget* control, MousePointer pointer);
// The code a control's current pointer stands for; a pointer without a code reads as Default.
MousePointer mousePointer(const QWidget* control);

} // namespace platform
