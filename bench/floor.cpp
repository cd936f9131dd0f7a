// The floor for the start-up and memory figures: the least any Qt Widgets program pays to show the
// main window's content. The same 550 x 462 window with its title, the sunken picture frame, the
// keypad's frame, the 26 letter keys in bold "Times New Roman" and the five command captions in
// "Noto Sans Arabic", all at their places; no skin, no icon, no tray, no sound, no lesson code.

#include "main_window/LetterCatalogue.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QWidget>

using platform::twipsRect;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("برنامج: تعليم طربلون"));
    window.setFont(QFont(QStringLiteral("Noto Sans Arabic"), 9));
    window.resize(550, 462);

    auto* picture = new QFrame(&window);
    picture->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    picture->setLineWidth(2);
    picture->setGeometry(twipsRect(120, 120, 8055, 5055));
    auto* keypad = new QGroupBox(&window);
    keypad->setGeometry(twipsRect(120, 5160, 8055, 1695));

    const QFont letterFont(QStringLiteral("Times New Roman"), 12, QFont::Bold);
    for (const LetterEntry& entry : kLetterCatalogue) {
        auto* key = new QPushButton(QString(QChar(entry.letter)), keypad);
        key->setGeometry(twipsRect(letterButtonLeft(entry), letterButtonTop(entry), kLetterButtonWidth,
                                   kLetterButtonHeight));
        key->setFont(letterFont);
    }
    const struct {
        int left;
        int width;
        const char* caption;
    } commands[] = {{3120, 855, "نبذة"}, {4080, 855, "الحوزة"}, {5040, 855, "المكتبة"}, {6000, 855, "الموقع"},
                    {6960, 975, "خروج"}};
    for (const auto& command : commands)
        (new QPushButton(QString::fromUtf8(command.caption), keypad))
            ->setGeometry(twipsRect(command.left, 1200, command.width, 375));

    window.show();
    return QApplication::exec();
}
