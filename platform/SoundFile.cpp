#include "platform/SoundFile.h"

#include "platform/SndfileLibrary.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {
namespace {

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

struct SoundFileReader::State {
    const SndfileLibrary* library = nullptr;
    SNDFILE* file = nullptr;
    SF_INFO info{};
};

SoundFileReader::SoundFileReader(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

SoundFileReader::~SoundFileReader()
{
    m_state->library->close(m_state->file);
}

std::unique_ptr<SoundFileReader> SoundFileReader::open(const QByteArray& path)
{
    // Only a regular file is opened: a pipe or device in a sound file's place would hold the
    // caller until something writes to it.
    if (!QFileInfo(QFile::decodeName(path)).isFile())
        return nullptr;
    const SndfileLibrary* library = sndfileLibrary();
    if (!library)
        return nullptr;
    auto state = std::make_unique<State>();
    state->library = library;
    state->file = library->open(path.constData(), SFM_READ, &state->info);
    if (!state->file)
        return nullptr;
    std::unique_ptr<SoundFileReader> reader(new SoundFileReader(std::move(state)));
    const SF_INFO& info = reader->m_state->info;
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < kMinRate || info.samplerate > kMaxRate)
        return nullptr;
    if (info.frames <= 0 || info.frames > kMaxSoundBytes / qint64(sizeof(int16_t) * info.channels))
        return nullptr;
    return reader;
}

qint64 SoundFileReader::declaredSamples() const
{
    return qint64(m_state->info.frames) * m_state->info.channels;
}

std::shared_ptr<const PcmClip> SoundFileReader::read(const std::atomic<bool>* cancelled)
{
    const SF_INFO& info = m_state->info;
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
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return nullptr;
        const sf_count_t read = m_state->library->readf_float(m_state->file, block.data(),
                                                              std::min(kBlockFrames, info.frames - frames));
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

std::shared_ptr<const PcmClip> readSoundFile(const QByteArray& path)
{
    const std::unique_ptr<SoundFileReader> reader = SoundFileReader::open(path);
    return reader ? reader->read() : nullptr;
}

} // namespace platform
