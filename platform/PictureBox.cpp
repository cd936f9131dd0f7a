#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

PictureBox::PictureBox(QWidget* parent)
    : QFrame(parent)
    , m_client(new QWidget(this))
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    m_client->setObjectName(QStringLiteral("client"));
    // The picture is painted on the client area itself, after whatever background a skin gives
    // it, so neither the border nor the client's background can hide it.
    m_client->installEventFilter(this);
}

void PictureBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_client->update();
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

bool PictureBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Paint && !m_picture.isNull()) {
        QPainter painter(m_client);
        painter.drawPixmap(QPoint(0, 0), m_picture);
    }
    return QFrame::eventFilter(watched, event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace platform
