#include "platform/AudioOutput.h"

#include "platform/PulseLibrary.h"

#include <sys/time.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {
namespace {

// How much sound the server holds ahead: long enough to ride out a busy moment of the machine (the
// stream is fed from the client library's own thread, never from the program's), short enough
// that the first sample follows the click closely.
constexpr pa_usec_t kTargetLengthMicroseconds = 40'000;
// How long a press waits for a connection that is under way, at most; without a server the
// attempt fails at once.
constexpr long kConnectWaitMicroseconds = 500'000;

class PulseAudioOutput;

// One clip on its way to the server, in a stream of its own. Everything in it is touched only under
// the main loop's lock: by the stream's callbacks, which the client library's thread runs with
// the lock held, and by the output, which takes the lock.
struct Playback {
    PulseAudioOutput* owner = nullptr;
    pa_stream* stream = nullptr;
    std::shared_ptr<const PcmClip> clip;
    size_t position = 0; // bytes into the clip
    bool loop = false;
    pa_operation* drain = nullptr;
};

// Holds the main loop's lock for a scope, unless the scope runs on the main loop's own thread,
// which holds it already.
class MainloopLock {
public:
    MainloopLock(const PulseLibrary* pa, pa_threaded_mainloop* mainloop)
        : m_pa(pa)
        , m_mainloop(pa->threaded_mainloop_in_thread(mainloop) ? nullptr : mainloop)
    {
        if (m_mainloop)
            m_pa->threaded_mainloop_lock(m_mainloop);
    }
    ~MainloopLock()
    {
        if (m_mainloop)
            m_pa->threaded_mainloop_unlock(m_mainloop);
    }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    const PulseLibrary* m_pa;
    pa_threaded_mainloop* m_mainloop;
};

// Plays through the sound server with a threaded main loop: the server's requests for data are
// answered on the client library's thread from the clip in memory, so a busy window never lets a
// sound run dry. Teardown never runs the program's event loop and never waits for the server:
// under the main loop's lock it detaches the stream's callbacks, cancels its pending drain and
// drops it, so that no callback can run afterwards with the playback it was given, whichever
// thread tears down.
class PulseAudioOutput : public AudioOutput {
public:
    ~PulseAudioOutput() override
    {
        if (!m_mainloop)
            return;
        {
            MainloopLock lock(m_pa, m_mainloop);
            endPlayback();
            dropContext();
        }
        m_pa->threaded_mainloop_stop(m_mainloop);
        m_pa->threaded_mainloop_free(m_mainloop);
    }

    void prepare() override
    {
        if (!startMainloop())
            return;
        MainloopLock lock(m_pa, m_mainloop);
        if (!m_context)
            startContext();
    }

    bool play(std::shared_ptr<const PcmClip> clip, bool loop) override
    {
        stop();
        if (!clip || clip->samples.empty() || clip->channels < 1 || clip->channels > int(PA_CHANNELS_MAX))
            return false;
        if (!startMainloop())
            return false;
        MainloopLock lock(m_pa, m_mainloop);
        if (!connected())
            return false;

        pa_sample_spec sampleFormat{};
        sampleFormat.format = PA_SAMPLE_S16NE;
        sampleFormat.rate = uint32_t(clip->sampleRate);
        sampleFormat.channels = uint8_t(clip->channels);
        if (!m_pa->sample_spec_valid(&sampleFormat))
            return false;
        pa_channel_map map;
        m_pa->channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_DEFAULT);

        auto playback = std::make_unique<Playback>();
        playback->owner = this;
        playback->clip = std::move(clip);
        playback->loop = loop;
        playback->stream = m_pa->stream_new(m_context, "letter", &sampleFormat, &map);
        if (!playback->stream)
            return false;
        m_playback = playback.release();
        m_pa->stream_set_state_callback(m_playback->stream, &PulseAudioOutput::streamStateChanged, m_playback);
        m_pa->stream_set_write_callback(m_playback->stream, &PulseAudioOutput::streamWantsData, m_playback);

        pa_buffer_attr attributes;
        attributes.maxlength = uint32_t(-1);
        attributes.tlength = uint32_t(m_pa->usec_to_bytes(kTargetLengthMicroseconds, &sampleFormat));
        attributes.prebuf = uint32_t(-1);
        attributes.minreq = uint32_t(-1);
        attributes.fragsize = uint32_t(-1);
        if (m_pa->stream_connect_playback(m_playback->stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY,
                                          nullptr, nullptr)
            < 0) {
            endPlayback();
            return false;
        }
        return true;
    }

    void stop() override
    {
        if (!m_mainloop)
            return;
        MainloopLock lock(m_pa, m_mainloop);
        endPlayback();
    }

private:
    // The library is loaded and the main loop's thread started on first need; a machine without
    // the library simply has no sound.
    bool startMainloop()
    {
        if (m_mainloop)
            return true;
        m_pa = pulseLibrary();
        if (!m_pa)
            return false;
        pa_threaded_mainloop* mainloop = m_pa->threaded_mainloop_new();
        if (!mainloop)
            return false;
        if (m_pa->threaded_mainloop_start(mainloop) < 0) {
            m_pa->threaded_mainloop_free(mainloop);
            return false;
        }
        m_mainloop = mainloop;
        return true;
    }

    // Under the lock. Begins connecting to the server without waiting for it.
    bool startContext()
    {
        m_context = m_pa->context_new(m_pa->threaded_mainloop_get_api(m_mainloop), "tarbalun");
        if (!m_context)
            return false;
        m_pa->context_set_state_callback(m_context, &PulseAudioOutput::contextStateChanged, this);
        // No server is started on the program's behalf: without one the program is silent.
        if (m_pa->context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            return false;
        }
        return true;
    }

    // Under the lock. A connection that failed or ended (the server went away) is replaced by a new
    // attempt, so a server that comes or comes back is found on the next press.
    bool connected()
    {
        if (m_context && !PA_CONTEXT_IS_GOOD(m_pa->context_get_state(m_context)))
            dropContext();
        if (!m_context && !startContext())
            return false;

        timeval deadline;
        gettimeofday(&deadline, nullptr);
        deadline.tv_usec += kConnectWaitMicroseconds;
        deadline.tv_sec += deadline.tv_usec / 1'000'000;
        deadline.tv_usec %= 1'000'000;
        pa_mainloop_api* api = m_pa->threaded_mainloop_get_api(m_mainloop);
        m_waitedTooLong = false;
        pa_time_event* timer = api->time_new(api, &deadline, &PulseAudioOutput::waitedTooLong, this);
        pa_context_state_t state = m_pa->context_get_state(m_context);
        while (state != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state) && !m_waitedTooLong) {
            m_pa->threaded_mainloop_wait(m_mainloop);
            state = m_pa->context_get_state(m_context);
        }
        if (timer)
            api->time_free(timer);
        return state == PA_CONTEXT_READY;
    }

    // Under the lock.
    void dropContext()
    {
        if (!m_context)
            return;
        endPlayback();
        m_pa->context_set_state_callback(m_context, nullptr, nullptr);
        m_pa->context_disconnect(m_context);
        m_pa->context_unref(m_context);
        m_context = nullptr;
    }

    // Under the lock. After it no callback of the stream runs again.
    void endPlayback()
    {
        Playback* playback = std::exchange(m_playback, nullptr);
        if (!playback)
            return;
        if (playback->drain) {
            m_pa->operation_cancel(playback->drain);
            m_pa->operation_unref(playback->drain);
        }
        m_pa->stream_set_write_callback(playback->stream, nullptr, nullptr);
        if (m_pa->stream_get_state(playback->stream) == PA_STREAM_CREATING) {
            // The server has not answered the stream's creation yet, and a stream without its
            // answer cannot be disconnected: left alone it would stay on the server, silent, for
            // the program's life. It goes as soon as the answer comes. Its callback is given the
            // library's table, which lives as long as the process, not the playback.
            m_pa->stream_set_state_callback(playback->stream, &PulseAudioOutput::retireStream,
                                            const_cast<PulseLibrary*>(m_pa));
        } else {
            m_pa->stream_set_state_callback(playback->stream, nullptr, nullptr);
            if (m_pa->stream_get_state(playback->stream) == PA_STREAM_READY)
                m_pa->stream_disconnect(playback->stream);
            m_pa->stream_unref(playback->stream);
        }
        delete playback;
    }

    // The callbacks below run on the main loop's thread, with the lock held.

    static void contextStateChanged(pa_context*, void* userdata)
    {
        auto* output = static_cast<PulseAudioOutput*>(userdata);
        output->m_pa->threaded_mainloop_signal(output->m_mainloop, 0);
    }

    static void waitedTooLong(pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata)
    {
        auto* output = static_cast<PulseAudioOutput*>(userdata);
        output->m_waitedTooLong = true;
        output->m_pa->threaded_mainloop_signal(output->m_mainloop, 0);
    }

    static void streamStateChanged(pa_stream* stream, void* userdata)
    {
        auto* playback = static_cast<Playback*>(userdata);
        PulseAudioOutput* output = playback->owner;
        if (!PA_STREAM_IS_GOOD(output->m_pa->stream_get_state(stream)) && output->m_playback == playback)
            output->endPlayback();
    }

    // A stream cut before the server had created it: disconnected once created, released once gone.
    static void retireStream(pa_stream* stream, void* userdata)
    {
        const auto* pa = static_cast<const PulseLibrary*>(userdata);
        switch (pa->stream_get_state(stream)) {
        case PA_STREAM_READY:
            pa->stream_disconnect(stream);
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            pa->stream_set_state_callback(stream, nullptr, nullptr);
            pa->stream_unref(stream);
            break;
        default:
            break;
        }
    }

    static void streamWantsData(pa_stream* stream, size_t wanted, void* userdata)
    {
        auto* playback = static_cast<Playback*>(userdata);
        const PulseLibrary* pa = playback->owner->m_pa;
        const char* bytes = reinterpret_cast<const char*>(playback->clip->samples.data());
        const size_t size = playback->clip->samples.size() * sizeof(int16_t);
        while (wanted > 0) {
            if (playback->position == size) {
                if (!playback->loop)
                    break;
                playback->position = 0;
            }
            const size_t chunk = std::min(wanted, size - playback->position);
            // The library copies the data: the clip may go before the server plays them.
            if (pa->stream_write(stream, bytes + playback->position, chunk, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                return;
            playback->position += chunk;
            wanted -= chunk;
        }
        // The clip is all with the server: the stream ends once the server has played it, so that
        // the last syllable is heard whole. A clip shorter than the server's start threshold starts
        // here too.
        if (!playback->loop && playback->position == size && !playback->drain)
            playback->drain = pa->stream_drain(stream, &PulseAudioOutput::streamDrained, playback);
    }

    static void streamDrained(pa_stream*, int, void* userdata)
    {
        auto* playback = static_cast<Playback*>(userdata);
        PulseAudioOutput* output = playback->owner;
        // The operation is finishing: it is released, not cancelled.
        output->m_pa->operation_unref(playback->drain);
        playback->drain = nullptr;
        if (output->m_playback == playback)
            output->endPlayback();
    }

    const PulseLibrary* m_pa = nullptr;
    pa_threaded_mainloop* m_mainloop = nullptr;
    // Under the main loop's lock.
    pa_context* m_context = nullptr;
    Playback* m_playback = nullptr;
    bool m_waitedTooLong = false;
};

} // namespace

std::unique_ptr<AudioOutput> makeDeviceAudioOutput()
{
    return std::make_unique<PulseAudioOutput>();
}

} // namespace platform
