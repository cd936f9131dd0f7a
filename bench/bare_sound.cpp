// The floor for the click-to-sound figure: a bare X window and a bare PulseAudio client, nothing
// else. It connects to the sound server at start; each button release on its window opens a new
// playback stream with a 40 ms target length and plays a 0.3 s tone from its first sample.
// Its window is titled "bare sound client" and sits at the screen's top left.

#include <pulse/pulseaudio.h>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr pa_sample_spec kSpec{PA_SAMPLE_S16LE, 48000, 2};

struct Player {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::vector<int16_t> tone;
    size_t written = 0; // bytes of the tone handed to the server
};

void onContextState(pa_context*, void* data)
{
    pa_threaded_mainloop_signal(static_cast<Player*>(data)->loop, 0);
}

void onWritable(pa_stream* stream, size_t wanted, void* data)
{
    auto* player = static_cast<Player*>(data);
    const size_t total = player->tone.size() * sizeof(int16_t);
    const size_t count = std::min(wanted, total - player->written);
    if (count == 0)
        return;
    pa_stream_write(stream, reinterpret_cast<const char*>(player->tone.data()) + player->written, count, nullptr, 0,
                    PA_SEEK_RELATIVE);
    player->written += count;
}

void play(Player& player)
{
    pa_threaded_mainloop_lock(player.loop);
    if (player.stream) {
        pa_stream_disconnect(player.stream);
        pa_stream_unref(player.stream);
    }
    player.written = 0;
    player.stream = pa_stream_new(player.context, "tone", &kSpec, nullptr);
    pa_stream_set_write_callback(player.stream, onWritable, &player);
    pa_buffer_attr attributes;
    std::memset(&attributes, 0xFF, sizeof attributes);
    attributes.tlength = uint32_t(pa_usec_to_bytes(40000, &kSpec));
    pa_stream_connect_playback(player.stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
    pa_threaded_mainloop_unlock(player.loop);
}

} // namespace

int main()
{
    Player player;
    const size_t frames = kSpec.rate * 3 / 10;
    for (size_t i = 0; i < frames; ++i) {
        const auto sample = int16_t(16000 * std::sin(2 * M_PI * 440 * double(i) / kSpec.rate));
        player.tone.push_back(sample);
        player.tone.push_back(sample);
    }
    player.loop = pa_threaded_mainloop_new();
    player.context = pa_context_new(pa_threaded_mainloop_get_api(player.loop), "bare sound client");
    pa_context_set_state_callback(player.context, onContextState, &player);
    pa_threaded_mainloop_lock(player.loop);
    pa_threaded_mainloop_start(player.loop);
    if (pa_context_connect(player.context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        std::fprintf(stderr, "bare_sound: no sound server\n");
        return 1;
    }
    for (pa_context_state_t state; (state = pa_context_get_state(player.context)) != PA_CONTEXT_READY;) {
        if (!PA_CONTEXT_IS_GOOD(state)) {
            std::fprintf(stderr, "bare_sound: the sound server refused the connection\n");
            return 1;
        }
        pa_threaded_mainloop_wait(player.loop);
    }
    pa_threaded_mainloop_unlock(player.loop);

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "bare_sound: cannot open the display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 160, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "bare sound client";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_BUTTON_RELEASE)
            play(player);
        std::free(event);
    }
    return 0;
}
