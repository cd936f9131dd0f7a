#pragma once

// The picture box: a bordered frame whose children are placed in its client area, inside the
// border, and clipped to it. It can take the focus and reports clicks, and Space, Return or Enter
// while it has the focus, as clicks. It may carry a picture of its own, drawn unscaled at the
// client area's top-left beneath the children and clipped like them; without a picture it draws
// the hint the skin gives it, centred, beneath the children.

#include <QFrame>
#include <QPixmap>
#include <QString>

namespace platform {

class PictureBox : public QFrame {
    Q_OBJECT
    // Set by the skin (qproperty-hint); empty draws nothing.
    Q_PROPERTY(QString hint READ hint WRITE setHint)
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The parent for the box's child controls; it always covers the client area.
    QWidget* client() const { return m_client; }

    // A null pixmap takes the picture away. A pixmap with a device pixel ratio above 1 is drawn
    // at its size in device-independent pixels, so a 2× picture stays sharp on a 2× screen.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }

    const QString& hint() const { return m_hint; }
    void setHint(const QString& hint);

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintClient();

    QWidget* m_client;
    QPixmap m_picture;
    QString m_hint;
};

} // namespace platform
