#include "ApplicationId.h"
#include "main_window/Form1.h"
#include "platform/Application.h"
#include "platform/ArabicConventions.h"
#include "platform/FirstPaint.h"
#include "platform/FontConfiguration.h"
#include "platform/ImageView.h"
#include "platform/Winmm.h"

int main(int argc, char** argv)
{
    platform::setUpFontConfiguration();
    platform::Application app(argc, argv);
    // Qt takes the X window class from the application name when it makes the first window, and X
    // wants it in ASCII: the Latin name stands until the main window exists, then the Arabic one
    // that the program's messages show.
    QApplication::setApplicationName(QStringLiteral("Tarbalun"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // A desktop matches the windows and the tray icon to the menu entry by this name and the class.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ApplicationId));
    platform::installArabicConventions();

    Form1 form;
    // Every window and message box wears the main window's icon, decoded once.
    QApplication::setWindowIcon(form.windowIcon());
    form.Show();
    QApplication::setApplicationName(QStringLiteral("طربلون"));
    // The first screen needs neither the sound libraries nor the picture decoder; the first press
    // finds both ready.
    platform::afterFirstPaint(form, [] {
        platform::winmm::prepareOutput();
        platform::warmUpPictureDecoding();
    });
    return QApplication::exec();
}
