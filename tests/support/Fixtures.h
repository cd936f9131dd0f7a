#pragma once

// Small fixtures for the tests: a recorder for the errors the platform reports, a stand-in
// application directory, and picture files made on the spot (good ones and broken ones).

#include "platform/PlatformError.h"
#include "platform/Runtime.h"
#include "platform/UnhandledErrors.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QString>
#include <QtEndian>
#include <array>
#include <vector>

namespace support {

// Collects what reaches the platform's error reporter instead of showing message boxes.
class ScopedErrorRecorder {
public:
    ScopedErrorRecorder()
        : m_previous(platform::replaceErrorReporter([this](const platform::PlatformError& error) {
            m_errors.push_back(error);
        }))
    {
    }
    ~ScopedErrorRecorder() { platform::replaceErrorReporter(m_previous); }
    ScopedErrorRecorder(const ScopedErrorRecorder&) = delete;
    ScopedErrorRecorder& operator=(const ScopedErrorRecorder&) = delete;

    const std::vector<platform::PlatformError>& errors() const { return m_errors; }
    void clear() { m_errors.clear(); }

    // The errors as one line each, for failure messages.
    QString describe() const
    {
        QString text;
        for (const platform::PlatformError& error : m_errors)
            text += error.failed() + QStringLiteral(": ") + error.reason() + QLatin1Char('\n');
        return text;
    }

private:
    std::vector<platform::PlatformError> m_errors;
    platform::ErrorReporter m_previous;
};

// Points the program's application directory at a fixture directory for the scope's life.
class ScopedApplicationDirectory {
public:
    explicit ScopedApplicationDirectory(const QString& directory) { platform::replaceApplicationDirectory(directory); }
    ~ScopedApplicationDirectory() { platform::replaceApplicationDirectory(QString()); }
    ScopedApplicationDirectory(const ScopedApplicationDirectory&) = delete;
    ScopedApplicationDirectory& operator=(const ScopedApplicationDirectory&) = delete;
};

// The four colours of quadrantImage, top-left, top-right, bottom-left, bottom-right.
inline const std::array<QColor, 4>& quadrantColours()
{
    static const std::array<QColor, 4> colours{QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 220),
                                               QColor(240, 220, 20)};
    return colours;
}

// A picture split into four coloured quadrants, so that a scaled copy shows whether all of it
// was stretched over the target and nothing was cropped or kept in proportion.
inline QImage quadrantImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int halfWidth = size.width() / 2;
    const int halfHeight = size.height() / 2;
    painter.fillRect(0, 0, halfWidth, halfHeight, quadrantColours()[0]);
    painter.fillRect(halfWidth, 0, size.width() - halfWidth, halfHeight, quadrantColours()[1]);
    painter.fillRect(0, halfHeight, halfWidth, size.height() - halfHeight, quadrantColours()[2]);
    painter.fillRect(halfWidth, halfHeight, size.width() - halfWidth, size.height() - halfHeight,
                     quadrantColours()[3]);
    return image;
}

inline QImage filledImage(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

inline QByteArray encodeJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline bool writeJpeg(const QString& path, const QImage& image)
{
    return writeFile(path, encodeJpeg(image));
}

// Bytes from a fixed seed, so that a failure can be replayed.
inline QByteArray randomBytes(int count, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// A real JPEG whose frame header is rewritten to declare another size; the data after it stay
// those of the small picture.
inline QByteArray jpegDeclaring(QSize declared)
{
    QByteArray bytes = encodeJpeg(filledImage(QSize(16, 16), Qt::gray));
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            // Segment: FF Cn, length (2), precision (1), height (2), width (2).
            qToBigEndian<quint16>(quint16(declared.height()), bytes.data() + i + 5);
            qToBigEndian<quint16>(quint16(declared.width()), bytes.data() + i + 7);
            return bytes;
        }
    }
    return {};
}

inline quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    char length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    char crc[4];
    qToBigEndian<quint32>(crc32(type + data), crc);
    return QByteArray(length, 4) + type + data + QByteArray(crc, 4);
}

// A well-formed PNG declaring the given size, with an empty image data chunk: a reader learns the
// size from its header and fails only when it decodes.
inline QByteArray pngDeclaring(QSize declared)
{
    char header[13] = {};
    qToBigEndian<quint32>(quint32(declared.width()), header);
    qToBigEndian<quint32>(quint32(declared.height()), header + 4);
    header[8] = 8; // bit depth
    header[9] = 2; // truecolour
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", QByteArray(header, sizeof header))
        + pngChunk("IDAT", QByteArray()) + pngChunk("IEND", QByteArray());
}

inline QByteArray encodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// True when two colours differ by no more than JPEG's loss in any channel.
inline bool closeColour(QColor actual, QColor expected, int tolerance = 48)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace support
