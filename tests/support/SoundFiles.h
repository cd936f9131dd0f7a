#pragma once

// Sound fixtures written with libsndfile, as common tools write them: the tests choose the
// container, the sample format, the rate and the channels, and know every sample they wrote.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <sndfile.h>
#include <vector>

namespace support {

// Interleaved 16-bit frames whose values are multiples of 256, so that every sample format down
// to 8 bits holds them exactly; `seed` makes one clip tell apart from another.
inline std::vector<int16_t> distinctSamples(int frames, int channels, int seed)
{
    std::vector<int16_t> samples;
    samples.reserve(size_t(frames) * size_t(channels));
    for (int frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < channels; ++channel)
            samples.push_back(int16_t(((frame * 37 + channel * 11 + seed * 53) % 256 - 128) * 256));
    return samples;
}

namespace detail {
template <typename Sample, typename Write>
bool writeSound(const QString& path, int format, int rate, int channels, const std::vector<Sample>& samples,
                Write write)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t frames = sf_count_t(samples.size()) / channels;
    const bool written = write(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}
} // namespace detail

// Writes 16-bit samples; libsndfile converts them to the file's sample format.
inline bool writeSound(const QString& path, int format, int rate, int channels, const std::vector<int16_t>& samples)
{
    return detail::writeSound(path, format, rate, channels, samples, sf_writef_short);
}

// Writes float samples (full scale is ±1.0) as they are, beyond full scale included.
inline bool writeFloatSound(const QString& path, int rate, int channels, const std::vector<float>& samples)
{
    return detail::writeSound(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, channels, samples, sf_writef_float);
}

inline bool writeWav16(const QString& path, const std::vector<int16_t>& samples, int rate = 22050)
{
    return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, samples);
}

} // namespace support
