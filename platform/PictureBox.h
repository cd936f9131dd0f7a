#pragma once

// The picture box: a bordered frame whose children are placed in its client area, inside the
// border, and clipped to it. It can take the focus and reports clicks.

#include <QFrame>

namespace platform {

class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The parent for the box's child controls; it always covers the client area.
    QWidget* client() const { return m_client; }

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_client;
};

} // namespace platform
