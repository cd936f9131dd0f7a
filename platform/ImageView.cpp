#include "platform/ImageView.h"

#include "platform/PlatformError.h"
#include "platform/ScaledJpeg.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace platform {

void warmUpPictureDecoding()
{
    QByteArray jpeg;
    QBuffer sink(&jpeg);
    sink.open(QIODevice::WriteOnly);
    QImage blank(16, 16, QImage::Format_RGB32);
    blank.fill(Qt::white);
    blank.save(&sink, "JPEG");
    sink.close();
    sink.open(QIODevice::ReadOnly);
    QImageReader reader(&sink);
    if (reader.format() == "jpeg")
        decodeScaledJpeg(jpeg, QSize(8, 8));
}

ImageView::ImageView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize ImageView::targetSize() const
{
    return m_stretch ? size() : m_picture.size();
}

QSize ImageView::deviceSize(QSize logical) const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
}

void ImageView::setPicture(const Picture& picture)
{
    const QSize target = m_stretch ? size() : picture.size();
    QImage decoded = picture.isNull() || target.isEmpty() ? QImage() : picture.decode(deviceSize(target));
    m_picture = picture;
    m_decoded = std::move(decoded);
    m_decoded.setDevicePixelRatio(devicePixelRatioF());
    if (!m_stretch && !picture.isNull())
        resize(picture.size());
    updateOpacity();
    update();
}

void ImageView::setStretch(bool stretch)
{
    if (m_stretch == stretch)
        return;
    m_stretch = stretch;
    if (!m_stretch && !m_picture.isNull())
        resize(m_picture.size());
    updateOpacity();
    update();
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateOpacity();
}

// A picture without transparency that covers the whole view hides what lies beneath it, so Qt is
// told to paint nothing beneath: a lesson then repaints the picture alone, not the frame and the
// window under it.
void ImageView::updateOpacity()
{
    const QSize drawn = targetSize();
    const bool covers = drawn.width() >= width() && drawn.height() >= height();
    setAttribute(Qt::WA_OpaquePaintEvent, covers && !m_decoded.isNull() && !m_decoded.hasAlphaChannel());
}

QImage ImageView::shownImage()
{
    const QSize wanted = deviceSize(targetSize());
    if (m_picture.isNull() || wanted.isEmpty())
        return {};
    if (m_decoded.size() != wanted) {
        try {
            m_decoded = m_picture.decode(wanted);
            m_decoded.setDevicePixelRatio(devicePixelRatioF());
        } catch (const PlatformError&) {
            // The picture decoded once already; failing now at another size leaves the old image.
        }
    }
    return m_decoded;
}

void ImageView::paintEvent(QPaintEvent*)
{
    const QImage image = shownImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), targetSize()), image);
}

} // namespace platform
