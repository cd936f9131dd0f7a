#include "platform/SoundFile.h"

#include <sndfile.h>

namespace platform {
namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

constexpr int kMaxChannels = 8;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

} // namespace

std::shared_ptr<const PcmClip> readSoundFile(const QByteArray& path)
{
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
    // Float data beyond full scale is clipped rather than wrapped around.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t read = sf_readf_short(file.get(), clip->samples.data(), info.frames);
    if (read <= 0)
        return nullptr;
    clip->samples.resize(size_t(read) * size_t(info.channels));
    return clip;
}

} // namespace platform
