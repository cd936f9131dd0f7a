// The sound-file reader over any file: it yields nothing, or a clip whose layout is whole (a
// positive rate, at least one channel, a whole number of frames) and within the size allowed.

#include "FuzzFile.h"
#include "platform/SoundFile.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {
fuzz::FuzzFile* g_file = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(fuzz::dropMessages);
    g_file = new fuzz::FuzzFile("sound.wav");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray path = QFile::encodeName(g_file->write(data, size));
    const auto clip = platform::readSoundFile(path);
    if (!clip)
        return 0;
    if (clip->sampleRate <= 0 || clip->channels <= 0 || clip->samples.size() % size_t(clip->channels) != 0
        || qint64(clip->samples.size() * sizeof(int16_t)) > platform::kMaxSoundBytes)
        std::abort();
    return 0;
}
