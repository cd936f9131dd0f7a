#pragma once

// The application object. Besides Qt's own duties it is the last guard of the unhandled-error
// handling: an error that escapes an event handler not run through runHandler is reported here
// instead of leaving the event loop.

#include <QApplication>

namespace platform {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform
