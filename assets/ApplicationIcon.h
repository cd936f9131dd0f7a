#pragma once

// The program's icon for its windows and the tray: the square pictures made from the portrait, one
// for each size a desktop asks for, so that a title bar or a tray shows a picture drawn at its
// size instead of the 100 x 150 portrait squeezed into a square. The same pictures are installed
// as the desktop's icons.

#include <QIcon>
#include <QSize>
#include <QString>

inline QIcon applicationIcon()
{
    QIcon icon;
    // Up to 64 px: every size is decoded when a window takes the icon (X wants them all at once),
    // and 128 and 256 px cost more than all the program's captions; a desktop that shows a larger
    // icon takes the installed one, which the window class and the desktop file name lead it to.
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}
