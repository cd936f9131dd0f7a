#pragma once

// The stage the in-process benchmarks share: the shipped lesson files from the build tree, and a
// sound output that takes every clip and plays none, so that a benchmark counts the program's own
// work (reading and decoding the sound file included) and not the audio device's.

#include "platform/AudioOutput.h"
#include "platform/Runtime.h"
#include "platform/Winmm.h"

#include <QCoreApplication>
#include <QDir>

class DiscardingOutput : public platform::AudioOutput {
public:
    bool play(std::shared_ptr<const platform::PcmClip>, bool) override { return true; }
    void stop() override {}
};

// Call once the application object exists.
inline void useShippedLessonsSilently()
{
    // The lesson files lie in the build tree's root, one level above the benchmarks.
    platform::replaceApplicationDirectory(
        QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath());
    platform::winmm::replaceAudioOutput(std::make_unique<DiscardingOutput>());
}
