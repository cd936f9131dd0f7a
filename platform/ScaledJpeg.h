#pragma once

// Decodes a JPEG straight at a smaller size: libjpeg scales by 1/2, 1/4 or 1/8 inside its inverse
// DCT, which costs far less than a full-size decode followed by a scale. The nearest of these at or
// above the wanted size is decoded, and a smooth scale takes it the rest of the way when libjpeg
// cannot hit the size itself. It decodes into the pixel format the screen draws, with no
// conversion pass. It does not turn pictures by their EXIF orientation nor convert CMYK: such
// files are left to Qt's image reader.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

struct ScaledJpeg {
    enum class Outcome { Decoded, Corrupt, NotForThisDecoder };
    Outcome outcome = Outcome::NotForThisDecoder;
    QImage image;
    // libjpeg's own words for what is wrong with the data (Corrupt only).
    QString problem;
};

// Decodes the JPEG in bytes at exactly target (a valid, non-empty size). The decoder's warnings
// about corrupt or truncated data count as corruption: libjpeg still hands back an image for them.
ScaledJpeg decodeScaledJpeg(const QByteArray& bytes, QSize target);

} // namespace platform
