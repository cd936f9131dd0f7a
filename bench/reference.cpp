// The reference for the start-up and memory figures: what any Qt Widgets program pays to show one
// empty window of the main window's size, and nothing more.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(550, 462);
    window.show();
    return QApplication::exec();
}
