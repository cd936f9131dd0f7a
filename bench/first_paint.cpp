// Starts a program on the current X display and times, from just before its exec, the moment its
// main window is mapped and the moment the first drawing lands in it; optionally reads its resident
// set size a while later; then ends it. It watches from outside, through the X server: the program
// is started as a user would start it, with nothing added to its command line or environment.
//
//   first_paint [--rss-after MS] [--timeout S] PROGRAM [ARG...]
// prints one line:  map_ms=12.34 paint_ms=56.78 rss_kib=12345   (rss_kib only with --rss-after)
//
// The main window is the first top-level window of the program's process (by _NET_WM_PID) of at
// least 100 x 100 pixels: a tray icon or a tool tip does not count. Drawing is seen through the
// X DAMAGE extension, set on every new child of the root window as soon as it is created, so no
// drawing can come before the watch.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kMinimumSide = 100;

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "first_paint: %s\n", message.c_str());
    std::exit(1);
}

struct Window {
    int width = 0;
    int height = 0;
    bool topLevel = true;
    bool mapped = false;
    double mappedAt = 0;
};

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    if (!reply)
        die(std::string("cannot intern the atom ") + name);
    return reply->atom;
}

// The window's _NET_WM_PID, or 0 when it has none (yet).
uint32_t windowPid(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t pidAtom)
{
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return 0;
    uint32_t pid = 0;
    std::memcpy(&pid, xcb_get_property_value(reply.get()), 4);
    return pid;
}

long residentKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Starts the program; returns its pid and sets startedAt to the moment just before its exec.
pid_t launch(char** argv, double& startedAt)
{
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        die("cannot make a pipe");
    const pid_t pid = fork();
    if (pid < 0)
        die("cannot fork");
    if (pid == 0) {
        close(channel[0]);
        // Whatever the program prints goes to stderr: stdout carries only the figures.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        const double t0 = nowMs();
        // The write end closes on exec; a failed exec is told by a second value, the error.
        if (write(channel[1], &t0, sizeof t0) != ssize_t(sizeof t0))
            _exit(126);
        execvp(argv[0], argv);
        const int error = errno;
        [[maybe_unused]] const ssize_t ignored = write(channel[1], &error, sizeof error);
        _exit(127);
    }
    close(channel[1]);
    if (read(channel[0], &startedAt, sizeof startedAt) != ssize_t(sizeof startedAt))
        die("the program did not start");
    int error = 0;
    if (read(channel[0], &error, sizeof error) == ssize_t(sizeof error))
        die(std::string("cannot run ") + argv[0] + ": " + std::strerror(error));
    close(channel[0]);
    return pid;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    int rssAfterMs = -1;
    int timeoutSeconds = 30;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; first += 2) {
        if (first + 1 >= argc)
            die("an option lacks its value");
        if (std::strcmp(argv[first], "--rss-after") == 0)
            rssAfterMs = std::atoi(argv[first + 1]);
        else if (std::strcmp(argv[first], "--timeout") == 0)
            timeoutSeconds = std::atoi(argv[first + 1]);
        else
            die(std::string("unknown option ") + argv[first]);
    }
    if (first >= argc)
        die("usage: first_paint [--rss-after MS] [--timeout S] PROGRAM [ARG...]");

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        die("cannot open the display");
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!damage || !damage->present)
        die("the X server has no DAMAGE extension");
    std::free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
    const xcb_atom_t pidAtom = internAtom(connection, "_NET_WM_PID");

    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that the watch is in force before the program starts.
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask))) {
        std::free(error);
        die("cannot watch the root window");
    }

    double startedAt = 0;
    const pid_t pid = launch(argv + first, startedAt);

    std::map<xcb_window_t, Window> windows;
    double mapMs = -1;
    double paintMs = -1;
    const double deadline = startedAt + timeoutSeconds * 1e3;
    pollfd display{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (paintMs < 0) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            die("the program ended before its window was painted");
        const double left = deadline - nowMs();
        if (left <= 0) {
            stop(pid);
            die("no painted window within the time limit");
        }
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            if (xcb_connection_has_error(connection))
                die("the connection to the display broke");
            poll(&display, 1, int(std::min(left, 100.0)));
            continue;
        }
        const double at = nowMs();
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent == root) {
                windows[created->window] = Window{created->width, created->height};
                xcb_damage_create(connection, xcb_generate_id(connection), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection);
            }
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            if (auto found = windows.find(configured->window); found != windows.end()) {
                found->second.width = configured->width;
                found->second.height = configured->height;
            }
        } else if (type == XCB_REPARENT_NOTIFY) {
            const auto* reparented = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
            if (auto found = windows.find(reparented->window); found != windows.end())
                found->second.topLevel = reparented->parent == root;
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (auto found = windows.find(mapped->window); found != windows.end() && !found->second.mapped) {
                found->second.mapped = true;
                found->second.mappedAt = at;
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            const auto found = windows.find(damaged->drawable);
            if (found != windows.end()) {
                const Window& window = found->second;
                if (window.mapped && window.topLevel && window.width >= kMinimumSide && window.height >= kMinimumSide
                    && windowPid(connection, damaged->drawable, pidAtom) == uint32_t(pid)) {
                    mapMs = window.mappedAt - startedAt;
                    paintMs = at - startedAt;
                }
            }
        }
        std::free(event);
    }

    long rss = -1;
    if (rssAfterMs >= 0) {
        usleep(useconds_t(rssAfterMs) * 1000);
        rss = residentKib(pid);
    }
    stop(pid);
    xcb_disconnect(connection);

    std::printf("map_ms=%.2f paint_ms=%.2f", mapMs, paintMs);
    if (rssAfterMs >= 0)
        std::printf(" rss_kib=%ld", rss);
    std::printf("\n");
    return 0;
}
