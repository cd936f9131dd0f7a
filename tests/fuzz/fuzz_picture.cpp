// The picture loader and decoder over any file: LoadPicture either refuses it with a PlatformError
// or yields a picture of sensible size that decodes, scaled or not, or refuses to decode it the
// same way. Nothing else may happen: no crash, no other exception, no picture larger than allowed.

#include "FuzzFile.h"
#include "platform/Picture.h"
#include "platform/PlatformError.h"

#include <QGuiApplication>
#include <cstdlib>

namespace {
fuzz::FuzzFile* g_file = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    qInstallMessageHandler(fuzz::dropMessages);
    g_file = new fuzz::FuzzFile("picture.jpg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const platform::Picture picture = platform::LoadPicture(g_file->write(data, size));
        const QSize natural = picture.size();
        if (natural.isEmpty() || qint64(natural.width()) * natural.height() > platform::Picture::kMaxPixels)
            std::abort();
        // The frame's size and the natural one when small; a huge picture only scaled down, as a
        // lesson shows it, so that each run stays short.
        const QSize frame = natural.scaled(QSize(128, 96), Qt::IgnoreAspectRatio);
        if (picture.decode(frame).size() != frame)
            std::abort();
        if (qint64(natural.width()) * natural.height() <= 1024 * 1024 && picture.decode().size() != natural)
            std::abort();
    } catch (const platform::PlatformError&) {
    }
    return 0;
}
