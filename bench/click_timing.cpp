// Times clicks from inside one process, through the X server's XTEST extension, so that no process
// start sits inside a figure. Each click is a button press and, 10 ms later, its release; the
// figures run from the release (where a push button acts):
// - to the first audible sample: a live recording of the sound server's output (raw s16le on
//   standard input, as parec writes it) is stamped chunk by chunk on arrival, and the first chunk
//   after the release whose samples exceed the threshold is the onset; the recorder's own
//   buffering is inside the figure;
// - to the photon, for the program's clicks: the first X DAMAGE on the program's window that
//   touches the picture frame.
// The bare client (bench/bare_sound) and the program are clicked in turn, so both figures come
// from the same minutes of the same machine. Before the first counted click the bare client is
// clicked until a sound arrives, which settles the recorder's latency at the sink; before each
// click the recording must be quiet, so that one sound's tail is never taken for the next onset.
//
//   click_timing [--threshold N] [--quiet-ms MS] BARE_WINDOW WINDOW FX,FY,FW,FH X,Y [X,Y...] < recording
// (FX,FY,FW,FH: the picture frame, X,Y: the keys to click, in WINDOW's coordinates)
// prints one JSON object; its first program click is the program's first click since it started.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "click_timing: %s\n", message.c_str());
    std::exit(1);
}

// What the reader has seen so far, shared with the clicking side.
class Recording {
public:
    explicit Recording(int threshold)
        : m_threshold(threshold)
    {
    }

    // Runs until standard input ends.
    void read()
    {
        std::vector<char> buffer(1 << 16);
        size_t carried = 0;
        for (;;) {
            const ssize_t got = ::read(0, buffer.data() + carried, buffer.size() - carried);
            const Clock::time_point at = Clock::now();
            if (got <= 0)
                break;
            const size_t total = carried + size_t(got);
            const size_t whole = total / 2 * 2;
            int peak = 0;
            for (size_t i = 0; i < whole; i += 2) {
                int16_t sample;
                std::memcpy(&sample, buffer.data() + i, 2);
                peak = std::max(peak, std::abs(int(sample)));
            }
            carried = total - whole;
            if (carried)
                buffer[0] = buffer[whole];
            std::lock_guard lock(m_mutex);
            m_lastChunk = at;
            if (peak > m_threshold) {
                m_lastLoud = at;
                if (m_clickedAt && !m_onset && at > *m_clickedAt)
                    m_onset = at;
            }
            m_changed.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }

    // Waits until the recording has flowed and stayed quiet for the given time.
    bool waitQuiet(std::chrono::milliseconds quiet, std::chrono::seconds limit)
    {
        const Clock::time_point deadline = Clock::now() + limit;
        std::unique_lock lock(m_mutex);
        for (;;) {
            const Clock::time_point now = Clock::now();
            if (m_ended || now > deadline)
                return false;
            if (m_lastChunk && now - *m_lastChunk < std::chrono::milliseconds(100)
                && (!m_lastLoud || now - *m_lastLoud >= quiet))
                return true;
            m_changed.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    void armAt(Clock::time_point clickedAt)
    {
        std::lock_guard lock(m_mutex);
        m_clickedAt = clickedAt;
        m_onset.reset();
    }

    std::optional<Clock::time_point> waitOnset(std::chrono::seconds limit)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [this] { return m_onset || m_ended; });
        return m_onset;
    }

private:
    const int m_threshold;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Clock::time_point> m_lastChunk;
    std::optional<Clock::time_point> m_lastLoud;
    std::optional<Clock::time_point> m_clickedAt;
    std::optional<Clock::time_point> m_onset;
    bool m_ended = false;
};


struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool touches(const xcb_rectangle_t& r) const
    {
        return r.x < x + width && x < r.x + r.width && r.y < y + height && y < r.y + r.height;
    }
};

std::vector<int> numbers(const std::string& text, size_t count)
{
    std::vector<int> values;
    size_t at = 0;
    while (at <= text.size() && values.size() < count) {
        const size_t comma = text.find(',', at);
        values.push_back(std::atoi(text.substr(at, comma - at).c_str()));
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    if (values.size() != count)
        die("expected " + std::to_string(count) + " numbers: " + text);
    return values;
}

class Display {
public:
    Display()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            die("cannot open the display");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(m_connection, &xcb_test_id);
        if (!xtest || !xtest->present)
            die("the X server has no XTEST extension");
        m_damage = xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!m_damage || !m_damage->present)
            die("the X server has no DAMAGE extension");
        std::free(xcb_damage_query_version_reply(m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
    }

    // Where a point of the window lies on the screen.
    Point onScreen(xcb_window_t window, Point point)
    {
        xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, int16_t(point.x), int16_t(point.y)),
            nullptr);
        if (!reply)
            die("cannot find the window " + std::to_string(window));
        const Point result{reply->dst_x, reply->dst_y};
        std::free(reply);
        return result;
    }

    void watchDrawing(xcb_window_t window)
    {
        m_watched = window;
        xcb_damage_create(m_connection, xcb_generate_id(m_connection), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_aux_sync();
    }

    void moveTo(Point point)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(point.x),
                            int16_t(point.y), 0);
        xcb_aux_sync();
    }

    // Presses the left button, releases it 10 ms later and returns the moment of the release.
    Clock::time_point click()
    {
        xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
        usleep(10000);
        xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
        return Clock::now();
    }

    // Throws away the drawing seen so far (hover effects, the last lesson).
    void forgetDrawing()
    {
        xcb_aux_sync();
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // The first drawing on the watched window that touches the area, within the limit.
    std::optional<Clock::time_point> waitDrawing(const Rect& area, std::chrono::milliseconds limit)
    {
        const Clock::time_point deadline = Clock::now() + limit;
        pollfd display{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const Clock::time_point at = Clock::now();
                bool hit = false;
                if ((event->response_type & 0x7f) == m_damage->first_event + XCB_DAMAGE_NOTIFY) {
                    const auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                    hit = damaged->drawable == m_watched && area.touches(damaged->area);
                }
                std::free(event);
                if (hit)
                    return at;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(m_connection))
                return std::nullopt;
            poll(&display, 1, int(left));
        }
    }

private:
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_window_t m_watched = 0;
    const xcb_query_extension_reply_t* m_damage = nullptr;
};

std::string list(const std::vector<std::optional<double>>& values)
{
    std::string text;
    for (const std::optional<double>& value : values) {
        if (!text.empty())
            text += ", ";
        if (value) {
            char number[32];
            std::snprintf(number, sizeof number, "%.2f", *value);
            text += number;
        } else {
            text += "null";
        }
    }
    return "[" + text + "]";
}

} // namespace

int main(int argc, char** argv)
{
    int threshold = 328; // -40 dBFS
    int quietMs = 400;
    int first = 1;
    for (; first + 1 < argc && std::strncmp(argv[first], "--", 2) == 0; first += 2) {
        if (std::strcmp(argv[first], "--threshold") == 0)
            threshold = std::atoi(argv[first + 1]);
        else if (std::strcmp(argv[first], "--quiet-ms") == 0)
            quietMs = std::atoi(argv[first + 1]);
        else
            die(std::string("unknown option ") + argv[first]);
    }
    if (argc - first < 4)
        die("usage: click_timing [--threshold N] [--quiet-ms MS] BARE_WINDOW WINDOW FX,FY,FW,FH X,Y [X,Y...] < recording");
    const auto bareWindow = xcb_window_t(std::strtoul(argv[first], nullptr, 0));
    const auto window = xcb_window_t(std::strtoul(argv[first + 1], nullptr, 0));
    const std::vector<int> frame = numbers(argv[first + 2], 4);
    const Rect frameArea{frame[0], frame[1], frame[2], frame[3]};

    Display display;
    display.watchDrawing(window);
    const Point bare = display.onScreen(bareWindow, {80, 50});

    Recording recording(threshold);
    std::thread reader([&recording] { recording.read(); });
    reader.detach();

    const auto quiet = [&] {
        if (!recording.waitQuiet(std::chrono::milliseconds(quietMs), std::chrono::seconds(10)))
            die("the recording does not flow, or is never quiet");
    };
    const auto clickBare = [&]() -> std::optional<double> {
        display.moveTo(bare);
        quiet();
        recording.armAt(Clock::now());
        const Clock::time_point releasedAt = display.click();
        const std::optional<Clock::time_point> onset = recording.waitOnset(std::chrono::seconds(3));
        return onset ? std::optional(millisecondsBetween(releasedAt, *onset)) : std::nullopt;
    };

    // The sink keeps the latency its last stream asked for; the bare client's first sound sets it.
    std::optional<double> settle;
    for (int attempt = 0; attempt < 5 && !settle; ++attempt)
        settle = clickBare();
    if (!settle)
        die("the bare client's sound never reached the recording");
    std::fprintf(stderr, "settling click: %.1f ms\n", *settle);

    std::vector<std::optional<double>> bareDelays, audible, photon;
    for (int i = first + 3; i < argc; ++i) {
        bareDelays.push_back(clickBare());

        const std::vector<int> key = numbers(argv[i], 2);
        display.moveTo(display.onScreen(window, {key[0], key[1]}));
        quiet();
        usleep(50000);
        display.forgetDrawing();
        const Clock::time_point armedAt = Clock::now();
        recording.armAt(armedAt);
        const Clock::time_point releasedAt = display.click();
        const std::optional<Clock::time_point> drawn = display.waitDrawing(frameArea, std::chrono::seconds(2));
        const std::optional<Clock::time_point> onset = recording.waitOnset(std::chrono::seconds(3));
        photon.push_back(drawn ? std::optional(millisecondsBetween(releasedAt, *drawn)) : std::nullopt);
        audible.push_back(onset ? std::optional(millisecondsBetween(releasedAt, *onset)) : std::nullopt);
        std::fprintf(stderr, "click %d at %s: bare %s, audible %s, photon %s ms\n", i - first - 3, argv[i],
                     list({bareDelays.back()}).c_str(), list({audible.back()}).c_str(), list({photon.back()}).c_str());
    }

    std::printf("{\"threshold\": %d, \"settling_click_ms\": %.2f, \"bare_ms\": %s, \"audible_ms\": %s, "
                "\"photon_ms\": %s}\n",
                threshold, *settle, list(bareDelays).c_str(), list(audible).c_str(), list(photon).c_str());
    std::fflush(stdout);
    // The reader may still block on the recording; the process ends without waiting for it.
    std::_Exit(0);
}
