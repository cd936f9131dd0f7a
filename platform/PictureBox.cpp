#include "platform/PictureBox.h"

#include <QMouseEvent>

namespace platform {

PictureBox::PictureBox(QWidget* parent)
    : QFrame(parent)
    , m_client(new QWidget(this))
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    m_client->setObjectName(QStringLiteral("client"));
}

bool PictureBox::event(QEvent* event)
{
    const bool handled = QFrame::event(event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::StyleChange:
    case QEvent::Polish:
    case QEvent::ContentsRectChange:
        // The border's width comes from the style, so the client area follows every change.
        m_client->setGeometry(contentsRect());
        break;
    default:
        break;
    }
    return handled;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace platform
