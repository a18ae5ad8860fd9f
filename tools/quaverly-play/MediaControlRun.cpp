// quaverly-play --media-control [--max-seconds S] FILE|URL...
//
// Plays each argument in turn through the media control (TNSPlay, on
// libVLC) and prints JSON lines: the open (with the reason when it failed),
// the length, the picture size when the item has one, the position once a
// second, and the end; each failure's reason also on stderr. Exit status 0
// when every argument opened, 1 otherwise, 2 for a wrong command line, 130
// on SIGINT or SIGTERM. The picture is not drawn: there is no window.
#include "MediaControlRun.h"

#include "JsonText.h"
#include "platform/nsplay/NSPlay.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace quaverly::tools {

namespace {

void Line(const std::string &json)
{
    std::fwrite(json.data(), 1, json.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

long Ms(double seconds) { return std::lround(seconds * 1000.0); }

// Waits up to `ms` for SIGINT or SIGTERM (blocked, so they wait here).
bool StopSignalWithin(const sigset_t &signals, int ms)
{
    const timespec wait{ms / 1000, long(ms % 1000) * 1000000L};
    return sigtimedwait(&signals, nullptr, &wait) > 0;
}

} // namespace

int RunMediaControl(int argc, char **argv)
{
    int maxSeconds = 0;
    std::vector<std::string> items;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--max-seconds" && i + 1 < argc) {
            char *end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || v <= 0 || v > 1000000)
                items.clear(), i = argc;
            maxSeconds = int(v);
        } else if (a.starts_with("--")) {
            items.clear();
            break;
        } else {
            items.push_back(a);
        }
    }
    if (items.empty()) {
        std::fprintf(stderr, "usage: quaverly-play --media-control [--max-seconds S] FILE|URL...\n");
        return 2;
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before libVLC's threads

    nsplay::NSPlayOptions options = nsplay::NSPlayOptions::FromEnvironment();
    options.vlcArguments.insert(options.vlcArguments.begin(), "--vout=dummy");
    nsplay::TNSPlay player(options);
    bool allOpened = true;
    for (const std::string &item : items) {
        player.SetFileName(item);
        player.SetCurrentPosition(-1.0);
        const MediaStartResult started = player.Play();
        if (!started) {
            allOpened = false;
            std::fprintf(stderr, "quaverly-play: %s: %s\n", item.c_str(), started.reason.c_str());
            Line("{\"event\": \"open\", \"File\": " + JsonString(item) +
                 ", \"Result\": false, \"Reason\": " + JsonString(started.reason) + "}");
            player.SetFileName("");
            continue;
        }
        Line("{\"event\": \"open\", \"File\": " + JsonString(item) + ", \"Result\": true}");
        Line("{\"event\": \"length\", \"ms\": " + std::to_string(Ms(player.Length())) + "}");
        if (player.PictureWidth() > 0)
            Line("{\"event\": \"picture\", \"width\": " + std::to_string(player.PictureWidth()) +
                 ", \"height\": " + std::to_string(player.PictureHeight()) + "}");
        // The state is polled every 100 ms, as the player's position timer does.
        for (int tick = 1;; ++tick) {
            if (StopSignalWithin(signals, 100))
                return 130;
            if (player.PlayState() == kMediaStopped)
                break;
            if (tick % 10 != 0)
                continue;
            Line("{\"event\": \"position\", \"ms\": " + std::to_string(Ms(player.CurrentPosition())) + "}");
            if (maxSeconds > 0 && tick / 10 >= maxSeconds)
                break;
        }
        player.SetFileName("");
        Line("{\"event\": \"end\"}");
    }
    return allOpened ? 0 : 1;
}

} // namespace quaverly::tools
