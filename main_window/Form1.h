#pragma once

// The main window: the picture frame above the letter keypad and the command row. It lays itself
// out from tables, applies its skin when it loads, and runs the lesson of whichever letter is
// pressed. The lesson files lie in the application directory; nothing is read before a press.
// Typing a letter presses its key; the arrow keys move the focus over the keypad by position.

#include "main_window/LetterCatalogue.h"
#include "platform/Form.h"

#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <array>

class Form2;

namespace platform {
class ImageView;
class PictureBox;
class Skin;
}

class Form1 : public platform::Form {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    // Takes the About window along if it is still open.
    ~Form1() override;

    // The lesson: shows the entry's picture stretched over the picture frame and plays its sound.
    // A picture that cannot be loaded raises PlatformError before anything changes.
    void ShowLetter(const LetterEntry& entry);

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CommandButton;
    static const std::array<CommandButton, 5>& commandRow();

    void createControls();
    void setTabOrder();
    void createLetterShortcuts();
    void describeLesson(const LetterEntry& entry);
    QWidget* keypadNeighbour(const QWidget* from, int key) const;

    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();

    platform::PictureBox* Pic1 = nullptr;
    platform::ImageView* Img1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    platform::Skin* Skin1 = nullptr;

    // The one About window while it is open; it deletes itself when the user closes it.
    QPointer<Form2> m_about;
};
