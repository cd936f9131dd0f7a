#include "platform/Runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

QString& directoryOverride()
{
    static QString directory;
    return directory;
}

void showMessageBox(const QString& prompt, MsgBoxStyle, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, QApplication::activeWindow());
    box.setLayoutDirection(Qt::RightToLeft);
    box.exec();
}

void endProcess()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

MessageBoxFunction& messageBox()
{
    static MessageBoxFunction function = showMessageBox;
    return function;
}

EndFunction& endFunction()
{
    static EndFunction function = endProcess;
    return function;
}

template <typename F>
F swapIn(F& slot, F replacement, F fallback)
{
    F previous = std::move(slot);
    slot = replacement ? std::move(replacement) : std::move(fallback);
    return previous;
}

} // namespace

QString applicationDirectory()
{
    if (!directoryOverride().isEmpty())
        return directoryOverride();
    return QCoreApplication::applicationDirPath();
}

void replaceApplicationDirectory(const QString& directory)
{
    directoryOverride() = directory;
}

void MsgBox(const QString& prompt, MsgBoxStyle buttons, const QString& title)
{
    messageBox()(prompt, buttons, title);
}

MessageBoxFunction replaceMessageBox(MessageBoxFunction function)
{
    return swapIn(messageBox(), std::move(function), MessageBoxFunction(showMessageBox));
}

void End()
{
    endFunction()();
}

EndFunction replaceEnd(EndFunction function)
{
    return swapIn(endFunction(), std::move(function), EndFunction(endProcess));
}

} // namespace platform
