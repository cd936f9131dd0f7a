#include "platform/FirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace platform {
namespace {

class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(QWidget& window, std::function<void()> work)
        : QObject(&window)
        , m_work(std::move(work))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, std::move(m_work));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_work;
};

} // namespace

void afterFirstPaint(QWidget& window, std::function<void()> work)
{
    window.installEventFilter(new FirstPaintWatcher(window, std::move(work)));
}

} // namespace platform
