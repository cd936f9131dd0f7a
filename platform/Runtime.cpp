#include "platform/Runtime.h"

#include "platform/ArabicConventions.h"
#include "platform/Replaceable.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

QString& directoryOverride()
{
    static QString directory;
    return directory;
}

// The executable's directory as the file system names it. Qt decodes file names as UTF-8 and
// turns bytes that are not UTF-8 into U+FFFD, under every locale, so a directory named in another
// encoding (a Windows-1256 name copied from a USB stick) has no QString that leads back to it:
// Qt's own applicationDirPath() then comes back empty. Such a directory is held open and reached
// through its descriptor's entry in /proc, which every QString-taking file function follows.
QString findApplicationDirectory()
{
    QByteArray executable(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", executable.data(), size_t(executable.size()));
    if (length <= 0 || length >= executable.size())
        return QCoreApplication::applicationDirPath();
    executable.truncate(length);
    const qsizetype slash = executable.lastIndexOf('/');
    const QByteArray directory = slash > 0 ? executable.left(slash) : QByteArray("/");
    const QString name = QFile::decodeName(directory);
    if (QFile::encodeName(name) == directory)
        return name;
    const int handle = ::open(directory.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return QCoreApplication::applicationDirPath();
    return QStringLiteral("/proc/self/fd/%1").arg(handle);
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
    // The descriptor stays open for the life of the process, so the answer is found once.
    static const QString directory = findApplicationDirectory();
    return directory;
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
