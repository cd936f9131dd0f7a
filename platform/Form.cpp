#include "platform/Form.h"

#include "platform/Twips.h"
#include "platform/UnhandledErrors.h"

#include <QGuiApplication>
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
