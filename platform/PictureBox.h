#pragma once

// The picture box: a bordered frame whose children are placed in its client area, inside the
// border, and clipped to it. It can take the focus and reports clicks. It may carry a picture of
// its own, drawn unscaled at the client area's top-left beneath the children and clipped like them.

#include <QFrame>
#include <QPixmap>

namespace platform {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The parent for the box's child controls; it always covers the client area.
    QWidget* client() const { return m_client; }

    // A null pixmap takes the picture away.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_client;
    QPixmap m_picture;
};

} // namespace platform
