#include "platform/PictureBox.h"

#include <QKeyEvent>
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
    // A picture has no reading direction: the skin's paper and the picture keep their places
    // in a right-to-left application too.
    setLayoutDirection(Qt::LeftToRight);
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

void PictureBox::setHint(const QString& hint)
{
    m_hint = hint;
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
    if (watched == m_client && event->type() == QEvent::Paint)
        paintClient();
    return QFrame::eventFilter(watched, event);
}

void PictureBox::paintClient()
{
    if (!m_picture.isNull()) {
        QPainter painter(m_client);
        painter.drawPixmap(QPoint(0, 0), m_picture);
        return;
    }
    if (m_hint.isEmpty())
        return;
    QPainter painter(m_client);
    QFont font = this->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setLayoutDirection(m_hint.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    const QRect area = m_client->rect().adjusted(16, 16, -16, -16);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, m_hint);
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (press && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace platform
