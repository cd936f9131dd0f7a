#pragma once

// The About window: the author's portrait beside eight lines of credits, skinned like the main
// window. Clicking the portrait opens the author's site. The window keeps no state of its own; it
// deletes itself when the user closes it, so the next show builds and loads it afresh.
// Escape closes it; Space or Return on the focused portrait opens the site as a click does.

#include "platform/Form.h"

#include <QGroupBox>

namespace platform {
class PictureBox;
class Skin;
}

class Form2 : public platform::Form {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();

    void Pictuer1_Click();

    platform::PictureBox* Pictuer1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    platform::Skin* Skin1 = nullptr;
};
