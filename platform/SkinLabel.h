#pragma once

// The skin engine's text label: shows a caption in a given font, drawn by the skin. Its one
// further setting marks a title line, which the skin draws in its title colour.

#include <QLabel>

namespace platform {

class SkinLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool title READ isTitle WRITE setTitle)
public:
    explicit SkinLabel(QWidget* parent = nullptr);

    bool isTitle() const { return m_title; }
    void setTitle(bool title);

private:
    bool m_title = false;
};

} // namespace platform
