// The reference for the start-up and memory figures: what any Qt Widgets program pays to show one
// empty window of the main window's size, and nothing more. With --caption the window also shows
// one push button captioned "A" in the default font: the least a window that shows any text pays,
// for the fonts are looked up only when the first text is drawn.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    const bool caption = argc > 1 && std::strcmp(argv[1], "--caption") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.resize(550, 462);
    if (caption)
        (new QPushButton(QStringLiteral("A"), &window))->setGeometry(16, 360, 41, 25);
    window.show();
    return QApplication::exec();
}
