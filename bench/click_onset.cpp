// Times a click on a window to the first audible sample it brings: reads a live recording of the
// audio server's output (raw s16le, on standard input, as parec writes it), stamps every chunk on
// arrival with the monotonic clock, clicks with xdotool, and takes the first chunk after the click
// whose samples exceed the threshold as the onset. Before each click it waits for the recording to
// be quiet, so that one sound's tail is never taken for the next one's onset.
//
//   click_onset [--threshold N] [--quiet-ms MS] WINDOW X,Y [X,Y...]  < recording
// prints one JSON object: every click's delay in ms (null when no sound came within 3 s), the median.
// The figures include the recorder's own buffering, whatever latency it was started with, and the
// start of xdotool itself (a few milliseconds), which runs as a process of its own for each click.

#include <sys/wait.h>
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

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return (values[(n - 1) / 2] + values[n / 2]) / 2;
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "click_onset: %s\n", message.c_str());
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

void run(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        die("cannot fork");
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die("'" + arguments.front() + " " + arguments.at(1) + "' failed");
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
    if (argc - first < 2)
        die("usage: click_onset [--threshold N] [--quiet-ms MS] WINDOW X,Y [X,Y...] < recording");
    const std::string window = argv[first];

    Recording recording(threshold);
    std::thread reader([&recording] { recording.read(); });
    reader.detach();

    std::vector<std::optional<double>> delays;
    for (int i = first + 1; i < argc; ++i) {
        const std::string position = argv[i];
        const size_t comma = position.find(',');
        if (comma == std::string::npos)
            die("a position is X,Y: " + position);
        run({"xdotool", "mousemove", "--window", window, position.substr(0, comma), position.substr(comma + 1)});
        if (!recording.waitQuiet(std::chrono::milliseconds(quietMs), std::chrono::seconds(10)))
            die("the recording does not flow, or is never quiet");
        const Clock::time_point clickedAt = Clock::now();
        recording.armAt(clickedAt);
        run({"xdotool", "click", "1"});
        const std::optional<Clock::time_point> onset = recording.waitOnset(std::chrono::seconds(3));
        delays.push_back(onset ? std::optional(millisecondsBetween(clickedAt, *onset)) : std::nullopt);
        // The absolute stamps (monotonic clock, ms) let a log of the program's own be laid beside these.
        if (onset)
            std::fprintf(stderr, "click %d at %s: %.1f ms (clicked %.1f, onset %.1f)\n", i - first, position.c_str(),
                         *delays.back(), millisecondsBetween({}, clickedAt), millisecondsBetween({}, *onset));
        else
            std::fprintf(stderr, "click %d at %s: no sound\n", i - first, position.c_str());
    }

    std::vector<double> heard;
    std::string list;
    for (const std::optional<double>& delay : delays) {
        if (!list.empty())
            list += ", ";
        if (delay) {
            heard.push_back(*delay);
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", *delay);
            list += text;
        } else {
            list += "null";
        }
    }
    std::printf("{\"threshold\": %d, \"click_to_onset_ms\": [%s], \"median_ms\": %.2f}\n", threshold, list.c_str(),
                medianOf(heard));
    std::fflush(stdout);
    // The reader may still block on the recording; the process ends without waiting for it.
    std::_Exit(heard.size() == delays.size() ? 0 : 2);
}
