#include "platform/ScaledJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace platform {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf fatal;
    char firstWarning[JMSG_LENGTH_MAX];
    char fatalMessage[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, errors->fatalMessage);
    std::longjmp(errors->fatal, 1);
}

// Level -1 is a warning about the data (corrupt segment, premature end); higher levels are traces.
void onMessage(j_common_ptr info, int level)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (level == -1 && info->err->num_warnings++ == 0)
        info->err->format_message(info, errors->firstWarning);
}

bool carriesExif(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 && std::memcmp(marker->data, "Exif\0\0", 6) == 0)
            return true;
    return false;
}

// The smallest of libjpeg's clean scales (1/8, 1/4, 1/2, 1/1) whose output covers the target in
// both directions; full size when none does. libjpeg offers the other eighths too, but they come out
// coarser than a full decode scaled down smoothly (at three quarters, 35 dB against 42 dB from a
// Lanczos resample of the full picture).
void chooseScale(jpeg_decompress_struct& info, QSize target)
{
    info.scale_num = 1;
    for (unsigned int denominator : {8u, 4u, 2u, 1u}) {
        info.scale_denom = denominator;
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= target.width() && int(info.output_height) >= target.height())
            return;
    }
}

// Everything libjpeg may leave behind on a longjmp lives in the caller, so this function holds no
// object with a destructor between setjmp and the end.
ScaledJpeg::Outcome decodeInto(jpeg_decompress_struct& info, ErrorManager& errors, const QByteArray& bytes,
                               QSize target, QImage& image)
{
    if (setjmp(errors.fatal))
        return ScaledJpeg::Outcome::Corrupt;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    if (carriesExif(info) || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_GRAYSCALE
                              && info.jpeg_color_space != JCS_RGB))
        return ScaledJpeg::Outcome::NotForThisDecoder;

    // The same decoding Qt's reader asks for at its default quality, so the pixels match its own.
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    chooseScale(info, target);
    jpeg_start_decompress(&info);

    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (image.isNull())
        return ScaledJpeg::Outcome::Corrupt;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return errors.base.num_warnings > 0 ? ScaledJpeg::Outcome::Corrupt : ScaledJpeg::Outcome::Decoded;
}

} // namespace

ScaledJpeg decodeScaledJpeg(const QByteArray& bytes, QSize target)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.emit_message = onMessage;

    ScaledJpeg result;
    QImage image;
    // A file that lacks only its end marker holds the whole picture, and shows as any viewer shows
    // it; libjpeg would warn at the missing marker as at missing data, so the marker is put back.
    // A file cut inside its data still meets the marker too early and stays damaged.
    static const QByteArray endMarker("\xFF\xD9", 2);
    const QByteArray whole = bytes.endsWith(endMarker) ? bytes : bytes + endMarker;
    result.outcome = decodeInto(info, errors, whole, target, image);
    jpeg_destroy_decompress(&info);

    if (result.outcome == ScaledJpeg::Outcome::Corrupt) {
        result.problem = QString::fromLocal8Bit(errors.fatalMessage[0] ? errors.fatalMessage : errors.firstWarning);
        return result;
    }
    if (result.outcome == ScaledJpeg::Outcome::Decoded)
        result.image = image.size() == target ? image
                                              : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return result;
}

} // namespace platform
