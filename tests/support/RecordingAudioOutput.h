#pragma once

// An audio output that plays nothing and records every call, so a test sees exactly which clips
// reached the output and in what order. The output itself belongs to the sound player; the test
// keeps the shared log.

#include "platform/AudioOutput.h"
#include "platform/Winmm.h"

#include <memory>
#include <vector>

namespace support {

struct AudioCall {
    enum Kind { Play, Stop };
    Kind kind;
    std::shared_ptr<const platform::PcmClip> clip; // null for Stop
    bool loop = false;
};

struct AudioLog {
    std::vector<AudioCall> calls;

    std::vector<AudioCall> plays() const
    {
        std::vector<AudioCall> result;
        for (const AudioCall& call : calls)
            if (call.kind == AudioCall::Play)
                result.push_back(call);
        return result;
    }
};

class RecordingAudioOutput : public platform::AudioOutput {
public:
    explicit RecordingAudioOutput(std::shared_ptr<AudioLog> log, bool accepts = true)
        : m_log(std::move(log))
        , m_accepts(accepts)
    {
    }

    bool play(std::shared_ptr<const platform::PcmClip> clip, bool loop) override
    {
        m_log->calls.push_back({AudioCall::Play, std::move(clip), loop});
        return m_accepts;
    }

    void stop() override { m_log->calls.push_back({AudioCall::Stop, nullptr, false}); }

private:
    std::shared_ptr<AudioLog> m_log;
    bool m_accepts;
};

// Puts a recorder behind sndPlaySoundA for the scope's life and gives the device output back after.
class ScopedRecordingOutput {
public:
    ScopedRecordingOutput()
        : m_log(std::make_shared<AudioLog>())
    {
        platform::winmm::replaceAudioOutput(std::make_unique<RecordingAudioOutput>(m_log));
        // Installing the recorder is not a call the test is after.
        m_log->calls.clear();
    }
    ~ScopedRecordingOutput() { platform::winmm::replaceAudioOutput(nullptr); }
    ScopedRecordingOutput(const ScopedRecordingOutput&) = delete;
    ScopedRecordingOutput& operator=(const ScopedRecordingOutput&) = delete;

    AudioLog& log() { return *m_log; }

private:
    std::shared_ptr<AudioLog> m_log;
};

} // namespace support
