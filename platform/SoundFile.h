#pragma once

// Reads a sound file from disk into 16-bit samples, through libsndfile: every WAV as common tools
// write it (PCM of any width, float, A-law, mu-law, ADPCM), and the other formats libsndfile reads.
// Each call reads the file anew.

#include "platform/AudioOutput.h"

#include <QByteArray>
#include <memory>

namespace platform {

// Sounds longer than this are refused rather than held in memory.
inline constexpr qint64 kMaxSoundBytes = qint64(64) * 1024 * 1024;

// Null for a file that is missing, unreadable, not a sound, empty, or too large.
std::shared_ptr<const PcmClip> readSoundFile(const QByteArray& path);

} // namespace platform
