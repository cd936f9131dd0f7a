#include "main_window/Form1.h"
#include "platform/Application.h"
#include "platform/FontConfiguration.h"

#include <QIcon>

int main(int argc, char** argv)
{
    platform::setUpFontConfiguration();
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("طربلون"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));

    Form1 form;
    // Every window and message box wears the main window's icon: the portrait, decoded once.
    QApplication::setWindowIcon(form.windowIcon());
    form.Show();
    return QApplication::exec();
}
