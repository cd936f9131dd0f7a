#pragma once

// The image view: shows a picture at the view's top-left. With stretching off the view takes the
// picture's size; with stretching on the picture is scaled to whatever size the view has.
// It draws nothing of its own: no border, no background.

#include "platform/Picture.h"

#include <QImage>
#include <QWidget>

namespace platform {

// Loads Qt's image format plugins and brings the JPEG decoder's code in from disk, on a picture
// made for it, so that the first lesson pays for neither.
void warmUpPictureDecoding();

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    // Decodes the picture for its new place before anything changes, so a picture that fails to
    // decode raises PlatformError and leaves the view as it was.
    void setPicture(const Picture& picture);
    const Picture& picture() const { return m_picture; }

    void setStretch(bool stretch);
    bool stretch() const { return m_stretch; }

    // The image as it is drawn now, in device pixels (empty while there is no picture).
    QImage shownImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateOpacity();
    QSize targetSize() const;
    QSize deviceSize(QSize logical) const;

    Picture m_picture;
    bool m_stretch = false;
    QImage m_decoded;
};

} // namespace platform
