#pragma once

// A sound output that takes every clip and plays none, so that a benchmark counts the program's
// own work (reading and decoding the sound file included) and not the audio device's.

#include "platform/AudioOutput.h"

class DiscardingOutput : public platform::AudioOutput {
public:
    bool play(std::shared_ptr<const platform::PcmClip>, bool) override { return true; }
    void stop() override {}
};
