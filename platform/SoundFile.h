#pragma once

// Reads a sound file from disk into 16-bit samples, through libsndfile: every WAV as common tools
// write it (PCM of any width, float, A-law, mu-law, ADPCM), and the other formats libsndfile reads.
// Each call reads the file anew. Opening reads only the header, so that a caller can tell at once
// whether the file is a sound and leave a long decoding to another thread.

#include "platform/AudioOutput.h"

#include <QByteArray>
#include <atomic>
#include <memory>

namespace platform {

// Sounds longer than this are refused rather than held in memory.
inline constexpr qint64 kMaxSoundBytes = qint64(64) * 1024 * 1024;

class SoundFileReader {
public:
    // Null for a file that is missing, unreadable, not a sound, empty, or too large.
    static std::unique_ptr<SoundFileReader> open(const QByteArray& path);
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    // What the header declares: frames times channels.
    qint64 declaredSamples() const;

    // Decodes the whole file; null when no frame could be read, or when `cancelled` turns true
    // while it reads. A reader reads once.
    std::shared_ptr<const PcmClip> read(const std::atomic<bool>* cancelled = nullptr);

private:
    struct State;
    explicit SoundFileReader(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

// Opens and reads in one step. Null for a file that is missing, unreadable, not a sound, empty,
// or too large.
std::shared_ptr<const PcmClip> readSoundFile(const QByteArray& path);

} // namespace platform
