#pragma once

// The functions of the sound server's client library that the sound output calls, found in
// libpulse.so.0 on first use. Null when the library is not installed.

#include <pulse/pulseaudio.h>
#include <pulse/thread-mainloop.h>

namespace platform {

#define TARBALUN_PULSE_FUNCTIONS(F)                                                                \
    F(threaded_mainloop_new) F(threaded_mainloop_free) F(threaded_mainloop_start)                  \
    F(threaded_mainloop_stop) F(threaded_mainloop_lock) F(threaded_mainloop_unlock)                \
    F(threaded_mainloop_wait) F(threaded_mainloop_signal) F(threaded_mainloop_get_api)             \
    F(threaded_mainloop_in_thread)                                                                 \
    F(context_new) F(context_unref) F(context_connect) F(context_disconnect)                       \
    F(context_get_state) F(context_set_state_callback)                                             \
    F(stream_new) F(stream_unref) F(stream_connect_playback) F(stream_disconnect)                  \
    F(stream_get_state) F(stream_set_state_callback) F(stream_set_write_callback) F(stream_write)  \
    F(stream_drain) F(operation_cancel) F(operation_unref)                                         \
    F(channel_map_init_extend) F(usec_to_bytes) F(sample_spec_valid)

struct PulseLibrary {
#define TARBALUN_PULSE_MEMBER(name) decltype(&pa_##name) name = nullptr;
    TARBALUN_PULSE_FUNCTIONS(TARBALUN_PULSE_MEMBER)
#undef TARBALUN_PULSE_MEMBER
};

// Loads the library the first time it is called, from any thread; null if it or a function is missing.
const PulseLibrary* pulseLibrary();

} // namespace platform
