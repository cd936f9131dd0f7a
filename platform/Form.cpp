#include "platform/Form.h"

#include "platform/Twips.h"
#include "platform/UnhandledErrors.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

namespace platform {

Form::Form(Border border, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (border.minimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    if (border.maximizeBox)
        flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);
}

void Form::setClientSizeTwips(int width, int height)
{
    resize(twipsToPixels(width), twipsToPixels(height));
}

void Form::keyPressEvent(QKeyEvent* event)
{
    // A button ignores Return and Enter unless it is a dialog's default, so the key comes up here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    runHandler([this] { Form_Load(); });
}

void Form::Show()
{
    const bool first = !m_loaded;
    load();
    if (first)
        centerOnScreen();
    show();
    raise();
    activateWindow();
}

void Form::centerOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

} // namespace platform
