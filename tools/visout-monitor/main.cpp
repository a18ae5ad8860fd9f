// visout-monitor: a small stand-in for the outside visualisation program.
//
// It owns a never-mapped window titled "VisOut" of class "TApplication",
// asks every audio player window on the display for frames (command 60 of
// the registered message "WM_SendingData"; on request 55 first), takes each
// frame announced to it from the shared block "VisOutSharedMemory", clears
// the frame flag, and prints the frame as one JSON line:
//
//   {"frame": n, "SampleRate": r, "Channels": c, "Position": ms,
//    "Spectrum1": "<hex>", "Spectrum2": "<hex>", "Wave1": "<hex>", "Wave2": "<hex>"}
//
// Options: --interval MS (send 55 first), --frames N (stop after N frames),
// --stop-after N (send 70 after N frames, then keep listening), --no-clear
// (never clear the flag), --seconds S (give up after S seconds, default 10),
// --quiet-rows (leave the rows out of the lines); --help or -h prints the
// usage. Exit status 0 after listening, 1 when no audio player window is on
// the display (or no display), 2 for a wrong command line.
#include "audio/VisFrame.h"
#include "platform/SharedMemory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>
#include <xcb/xcb.h>

using namespace quaverly;
namespace vf = quaverly::audio::visframe;

namespace {

struct Options {
    int interval = -1;
    long frames = -1;
    long stopAfter = -1;
    bool noClear = false;
    bool quietRows = false;
    bool help = false;
    double seconds = 10;
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

std::uint32_t Atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return r ? r->atom : 0;
}

std::string ClassOf(xcb_connection_t *c, xcb_window_t w)
{
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr),
        &std::free);
    if (!r)
        return {};
    const char *v = static_cast<const char *>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get());
    const std::string all(v, std::size_t(n));
    const std::size_t nul = all.find('\0');
    if (nul == std::string::npos)
        return {};
    std::string cls = all.substr(nul + 1);
    if (!cls.empty() && cls.back() == '\0')
        cls.pop_back();
    return cls;
}

std::vector<xcb_window_t> PlayerWindows(xcb_connection_t *c, xcb_window_t root)
{
    std::vector<xcb_window_t> found;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
    if (!tree)
        return found;
    const xcb_window_t *kids = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        if (ClassOf(c, kids[i]) == vf::PlayerWindowClass)
            found.push_back(kids[i]);
    return found;
}

void Send(xcb_connection_t *c, xcb_window_t to, std::uint32_t type, std::int32_t w, std::int32_t l)
{
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = to;
    ev.type = type;
    ev.data.data32[0] = std::uint32_t(w);
    ev.data.data32[1] = std::uint32_t(l);
    xcb_send_event(c, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
}

std::string Hex(const std::uint8_t *p, std::size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

bool Parse(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--interval" && hasValue)
            o.interval = std::atoi(argv[++i]);
        else if (a == "--frames" && hasValue)
            o.frames = std::atol(argv[++i]);
        else if (a == "--stop-after" && hasValue)
            o.stopAfter = std::atol(argv[++i]);
        else if (a == "--seconds" && hasValue)
            o.seconds = std::atof(argv[++i]);
        else if (a == "--no-clear")
            o.noClear = true;
        else if (a == "--quiet-rows")
            o.quietRows = true;
        else if (a == "--help" || a == "-h")
            o.help = true;
        else
            return false;
    }
    return o.seconds > 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    constexpr const char *usage = "usage: visout-monitor [--interval MS] [--frames N] [--stop-after N] [--no-clear] "
                                  "[--seconds S] [--quiet-rows]\n";
    if (!Parse(argc, argv, o)) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (o.help) {
        std::fputs(usage, stdout);
        return 0;
    }
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        std::fprintf(stderr, "visout-monitor: no X display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;

    const xcb_window_t self = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, self, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const char title[] = "VisOut";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, self, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 6, title);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, self, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), 8, 6,
                        title);
    const char cls[] = "visout-monitor\0TApplication";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, self, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof cls, cls);
    const std::uint32_t sendingData = Atom(c, "WM_SendingData");

    const auto players = PlayerWindows(c, root);
    if (players.empty()) {
        std::fprintf(stderr, "visout-monitor: no audio player window on the display (is a player running?)\n");
        xcb_destroy_window(c, self);
        xcb_disconnect(c);
        return 1;
    }
    for (xcb_window_t p : players) {
        if (o.interval >= 0)
            Send(c, p, sendingData, 55, o.interval);
        Send(c, p, sendingData, 60, 1);
    }
    xcb_flush(c);
    std::fprintf(stderr, "visout-monitor: %zu player window(s)\n", players.size());

    std::unique_ptr<SharedMemory> block;
    long frames = 0;
    bool stopped = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(o.seconds);
    pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (o.frames < 0 || frames < o.frames) {
        xcb_generic_event_t *e = xcb_poll_for_event(c);
        if (!e) {
            if (xcb_connection_has_error(c))
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            poll(&pfd, 1, int(left.count()));
            continue;
        }
        Reply<xcb_generic_event_t> owned(e, &std::free);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            continue;
        const auto *cm = reinterpret_cast<const xcb_client_message_event_t *>(e);
        if (cm->type != sendingData || cm->data.data32[0] != std::uint32_t(vf::NotifyWParam))
            continue;
        if (!block || !block->valid())
            block = std::make_unique<SharedMemory>(vf::ShareName, 0, SharedMemory::Mode::OpenReadWrite);
        if (!block->valid() || block->size() < vf::FrameEnd) {
            std::fprintf(stderr, "visout-monitor: no shared block\n");
            block.reset();
            continue;
        }
        std::uint8_t *v = block->data();
        std::string line;
        {
            SharedMemory::Lock lock(*block, 200);
            line = "{\"frame\": " + std::to_string(frames) + ", \"Flag\": " +
                   std::to_string(vf::ReadU32(v, vf::FlagOffset)) + ", \"SampleRate\": " +
                   std::to_string(vf::ReadU32(v, vf::SampleRateOffset)) + ", \"Channels\": " +
                   std::to_string(vf::ReadU32(v, vf::ChannelsOffset)) + ", \"Position\": " +
                   std::to_string(vf::ReadU32(v, vf::PositionOffset));
            if (!o.quietRows)
                line += ", \"Spectrum1\": \"" + Hex(v + vf::Spectrum1Offset, vf::RowBytes) + "\", \"Spectrum2\": \"" +
                        Hex(v + vf::Spectrum2Offset, vf::RowBytes) + "\", \"Wave1\": \"" +
                        Hex(v + vf::Wave1Offset, vf::RowBytes) + "\", \"Wave2\": \"" +
                        Hex(v + vf::Wave2Offset, vf::RowBytes) + "\"";
            if (!o.noClear)
                vf::WriteU32(v, vf::FlagOffset, 0);
        }
        std::printf("%s}\n", line.c_str());
        std::fflush(stdout);
        ++frames;
        if (!stopped && o.stopAfter >= 0 && frames >= o.stopAfter) {
            for (xcb_window_t p : players)
                Send(c, p, sendingData, 70, 0);
            xcb_flush(c);
            stopped = true;
            std::fprintf(stderr, "visout-monitor: sent 70\n");
        }
    }
    xcb_destroy_window(c, self);
    xcb_disconnect(c);
    return 0;
}
