#include "main_window/Form1.h"
#include "platform/Application.h"
#include "platform/Winmm.h"

#include <QIcon>

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("طربلون"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/portrait.png")));

    Form1 form;
    form.Show();
    platform::winmm::prepareAfterFirstPaint(form);
    return QApplication::exec();
}
