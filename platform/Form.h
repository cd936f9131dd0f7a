#pragma once

// A form: a top-level window laid out in twips, with a load sequence that runs each time the
// form is loaded (before it is first shown), a handle, and a start position in the screen's centre.
// Forms have no layouts: every control keeps the place it was given, however the window is sized.
// Return and Enter press the focused button, as Space does.

#include "platform/Handles.h"

#include <QWidget>

namespace platform {

class Form : public QWidget {
    Q_OBJECT
public:
    struct Border {
        bool minimizeBox = true;
        bool maximizeBox = true;
    };

    explicit Form(Border border, QWidget* parent = nullptr);

    HWND hWnd() { return platform::windowHandle(this); }
    bool isLoaded() const { return m_loaded; }

    // Loads the form if it is not loaded yet, then shows it modeless and brings it forward.
    void Show();

protected:
    // The load sequence; errors it raises go to the unhandled-error handling.
    virtual void Form_Load() = 0;

    void setClientSizeTwips(int width, int height);
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void centerOnScreen();

    bool m_loaded = false;
};

} // namespace platform
