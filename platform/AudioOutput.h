#pragma once

// Where decoded sound goes: one clip at a time, replaced by the next. The real output plays
// through the default audio device; tests put a recorder here and see exactly which samples
// were handed over.

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

struct PcmClip {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved frames
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Stops whatever plays and starts the clip; returns false when it cannot be played (no device,
    // no server). Must return without waiting for the sound.
    virtual bool play(std::shared_ptr<const PcmClip> clip, bool loop) = 0;
    virtual void stop() = 0;
    // Gets ready for the first clip (loads what it needs, begins connecting) so that the first
    // play does not pay for it. Called once, on a thread of its own, before any play or stop.
    virtual void prepare() {}
};

// The output through the sound server's client library (PulseAudio, or PipeWire's server for it)
// on the default output device. It loads the library and connects when prepared or on the first
// clip, not before, so that the program's start pays nothing for it.
std::unique_ptr<AudioOutput> makeDeviceAudioOutput();

} // namespace platform
