#pragma once

// A picture as the picture loader yields it: the file's bytes, read once and checked, decoded on
// demand at the size it is shown at. Decoding straight to the shown size keeps a lesson cheaper
// than a full-size decode and keeps pictures sharp on high-dpi screens.
// A Picture never reads its file again; loading the same path twice reads it twice.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

class Picture {
public:
    Picture() = default;

    bool isNull() const { return m_bytes.isEmpty(); }
    QSize size() const { return m_size; }
    const QString& path() const { return m_path; }

    // Decodes at exactly the given size (the natural size for an empty size). Raises PlatformError
    // when the data turn out to be truncated or corrupt.
    QImage decode(QSize size = {}) const;

    // Pictures larger than this many pixels are refused before any pixel is allocated.
    static constexpr qint64 kMaxPixels = qint64(64) * 1024 * 1024;
    static constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

private:
    friend Picture LoadPicture(const QString& path);

    QString m_path;
    QByteArray m_bytes;
    QByteArray m_format;
    QSize m_size; // upright, as shown
    bool m_quarterTurned = false; // stored a quarter turn off upright
};

// The picture loader: reads the file and checks that it holds a picture of a sensible size.
// Raises PlatformError naming the file and the reason.
Picture LoadPicture(const QString& path);

} // namespace platform
