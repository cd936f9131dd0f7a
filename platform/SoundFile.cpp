#include "platform/SoundFile.h"

#include <QFile>
#include <QFileInfo>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {
namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

constexpr int kMaxChannels = 8;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr sf_count_t kBlockFrames = 4096;

// Data beyond full scale are clipped rather than wrapped around.
int16_t toSample(float value)
{
    if (std::isnan(value))
        return 0;
    return int16_t(std::clamp(std::lrint(double(value) * 32768.0), -32768L, 32767L));
}

} // namespace

std::shared_ptr<const PcmClip> readSoundFile(const QByteArray& path)
{
    // Only a regular file is opened: a pipe or device in a sound file's place would hold the
    // caller until something writes to it.
    if (!QFileInfo(QFile::decodeName(path)).isFile())
        return nullptr;
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path.constData(), SFM_READ, &info));
    if (!file)
        return nullptr;
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < kMinRate || info.samplerate > kMaxRate)
        return nullptr;
    if (info.frames <= 0 || info.frames > kMaxSoundBytes / qint64(sizeof(int16_t) * info.channels))
        return nullptr;

    auto clip = std::make_shared<PcmClip>();
    clip->sampleRate = info.samplerate;
    clip->channels = info.channels;
    clip->samples.resize(size_t(info.frames) * size_t(info.channels));
    // libsndfile hands float files to a 16-bit reader unscaled (every sample -1, 0 or 1: silence),
    // so every file is read as floats at full scale ±1.0 and scaled here; 16-bit and 8-bit data
    // come back exact.
    std::vector<float> block(size_t(kBlockFrames) * size_t(info.channels));
    sf_count_t frames = 0;
    while (frames < info.frames) {
        const sf_count_t read = sf_readf_float(file.get(), block.data(), std::min(kBlockFrames, info.frames - frames));
        if (read <= 0)
            break;
        std::transform(block.begin(), block.begin() + read * info.channels,
                       clip->samples.begin() + frames * info.channels, toSample);
        frames += read;
    }
    if (frames <= 0)
        return nullptr;
    clip->samples.resize(size_t(frames) * size_t(info.channels));
    return clip;
}

} // namespace platform
