#include "platform/Runtime.h"

#include "platform/ArabicConventions.h"
#include "platform/Replaceable.h"

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
    QMessageBox box(QMessageBox::NoIcon, title, isolateLeftToRight(prompt), QMessageBox::Ok,
                    QApplication::activeWindow());
    prepareArabicMessageBox(box);
    box.exec();
}

void endProcess()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

Replaceable<MessageBoxFunction>& messageBox()
{
    static Replaceable<MessageBoxFunction> function(showMessageBox);
    return function;
}

Replaceable<EndFunction>& endFunction()
{
    static Replaceable<EndFunction> function(endProcess);
    return function;
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
    return messageBox().replace(std::move(function));
}

void End()
{
    endFunction()();
}

EndFunction replaceEnd(EndFunction function)
{
    return endFunction().replace(std::move(function));
}

} // namespace platform
