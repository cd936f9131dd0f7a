#pragma once

// The file-facing code takes paths: a harness writes each input to one file of its own and hands
// over that file's path. The file lives in a private temp directory for the harness's life.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace fuzz {

class FuzzFile {
public:
    explicit FuzzFile(const char* name)
        : m_path(m_dir.filePath(QString::fromLatin1(name)))
    {
    }

    // Replaces the file's content; the path stays the same.
    const QString& write(const uint8_t* data, size_t size)
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            qFatal("cannot write the fuzz input to %s", qPrintable(m_path));
        return m_path;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Qt's warnings about each bad input would bury libFuzzer's own report.
inline void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace fuzz
