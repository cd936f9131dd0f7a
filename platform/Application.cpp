#include "platform/Application.h"

#include "platform/UnhandledErrors.h"

namespace platform {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    runHandler([&] { result = QApplication::notify(receiver, event); });
    return result;
}

} // namespace platform
