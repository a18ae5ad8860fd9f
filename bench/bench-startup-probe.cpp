// Starts a program RUNS times and measures, for each start, the time from
// exec to its window (found by WM_CLASS class) being viewable, and its
// resident memory one second later. Prints the median time in ms and the
// median resident memory in kB. Every wait is bounded.
//
//   bench-startup-probe RUNS CLASS PROGRAM [ARGS...]
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

bool HasClass(xcb_connection_t *c, xcb_window_t w, const std::string &wanted)
{
    auto *r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr);
    if (!r)
        return false;
    std::string value(static_cast<const char *>(xcb_get_property_value(r)), size_t(xcb_get_property_value_length(r)));
    std::free(r);
    // WM_CLASS is "instance\0class\0".
    const size_t split = value.find('\0');
    if (split == std::string::npos)
        return false;
    const std::string cls = value.substr(split + 1, value.find('\0', split + 1) - split - 1);
    return cls == wanted;
}

bool Viewable(xcb_connection_t *c, xcb_window_t w)
{
    auto *a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return viewable;
}

// Top-level windows and, under a reparenting window manager, the clients
// inside its frames.
bool FindViewable(xcb_connection_t *c, xcb_window_t parent, const std::string &cls, int depth)
{
    auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr);
    if (!tree)
        return false;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    bool found = false;
    for (int i = count - 1; i >= 0 && !found; --i) {
        if (HasClass(c, children[i], cls))
            found = Viewable(c, children[i]);
        else if (depth > 0)
            found = FindViewable(c, children[i], cls, depth - 1);
    }
    std::free(tree);
    return found;
}

long ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

template <typename T> T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RUNS CLASS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string cls = argv[2];
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench-startup-probe: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    std::vector<double> times;
    std::vector<long> resident;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execv(argv[3], argv + 3);
            _exit(127);
        }
        bool mapped = false;
        while (Clock::now() - start < std::chrono::seconds(10)) {
            if (FindViewable(c, root, cls, 2)) {
                mapped = true;
                break;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (mapped) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            times.push_back(ms);
            resident.push_back(ResidentKb(pid));
        }
        kill(pid, SIGTERM);
        for (int i = 0; i < 300 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (!mapped) {
            std::fprintf(stderr, "bench-startup-probe: %s showed no window of class %s\n", argv[3], cls.c_str());
            return 1;
        }
        // Let the server and the window manager forget the window.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::printf("%.1f %ld\n", Median(times), Median(resident));
    xcb_disconnect(c);
    return 0;
}
