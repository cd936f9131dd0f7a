#include "platform/MousePointer.h"

namespace platform {

void setMousePointer(QWidget* control, MousePointer pointer)
{
    switch (pointer) {
    case MousePointer::Default:
        control->unsetCursor();
        return;
    case MousePointer::NoDrop:
        control->setCursor(Qt::ForbiddenCursor);
        return;
    case MousePointer::ArrowQuestion:
        control->setCursor(Qt::WhatsThisCursor);
        return;
    }
}

MousePointer mousePointer(const QWidget* control)
{
    if (!control->testAttribute(Qt::WA_SetCursor))
        return MousePointer::Default;
    switch (control->cursor().shape()) {
    case Qt::ForbiddenCursor:
        return MousePointer::NoDrop;
    case Qt::WhatsThisCursor:
        return MousePointer::ArrowQuestion;
    default:
        return MousePointer::Default;
    }
}

} // namespace platform
