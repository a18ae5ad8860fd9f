// quaverly-play [--bands] [--seek MS] [--max-seconds S] FILE|URL...
// quaverly-play --media-control [--max-seconds S] FILE|URL... (MediaControlRun.cpp)
//
// A console front end of the audio player: opens and plays each argument in
// turn and prints what the player reports as JSON lines (the stream
// information after opening, the length, the position once a second, stream
// titles, the download notice, the end and, with --bands, every band frame).
// An argument that cannot be opened gets a "Reason" in its open line and a
// line on stderr. --max-seconds moves on to the next argument after that
// long (a radio stream never ends by itself). Exit status 0 when every
// argument played, 1 otherwise, 2 for a wrong command line, 130 after
// SIGINT or SIGTERM; --help or -h prints the usage.
#include "JsonText.h"
#include "MediaControlRun.h"
#include "OpenFailure.h"
#include "audio/AudioPlayer.h"
#include "platform/ProgramPaths.h"
#include "core/IDialogs.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quaverly;
using namespace quaverly::audio;
using tools::JsonString;

namespace {

// Message boxes of the player go to stderr: there is nobody to press OK.
class ConsoleDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
};

// SIGINT and SIGTERM end the run with status 130. They are blocked in every
// thread and taken by one thread that waits for them alone, so the event
// loop polls no descriptor of its own for a signal that has not come. When
// the loop does not take the ending at once (it is inside an open that
// waits for a server), the waiter ends the process itself, after the lines
// written so far.
class StopSignals {
public:
    // Before any other thread starts: each one inherits the blocked set.
    static void Block()
    {
        const sigset_t set = Set();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
    }
    // Once the application exists: from then on a signal ends its loop.
    void Watch()
    {
        waiter_ = std::thread([this] {
            int signal = 0;
            while (sigwait(&set_, &signal) == 0) {
                std::unique_lock<std::mutex> lock(mutex_);
                if (closing_)
                    return;
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [this] {
                        std::lock_guard<std::mutex> taken(mutex_);
                        exiting_ = true;
                        taken_.notify_all();
                        QCoreApplication::exit(130);
                    },
                    Qt::QueuedConnection);
                if (!taken_.wait_for(lock, std::chrono::milliseconds(500), [this] { return exiting_ || closing_; })) {
                    // Whole lines only: Put holds the stream's lock per line.
                    flockfile(stdout);
                    std::fflush(stdout);
                    std::_Exit(130);
                }
            }
        });
    }
    // Before the application goes: the waiter posts nothing more and ends.
    ~StopSignals()
    {
        if (!waiter_.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        pthread_kill(waiter_.native_handle(), SIGTERM);
        waiter_.join();
    }

private:
    static sigset_t Set()
    {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        return set;
    }

    const sigset_t set_ = Set();
    std::mutex mutex_;
    std::condition_variable taken_;
    bool closing_ = false;
    bool exiting_ = false;
    std::thread waiter_;
};

// Every line but a band line is flushed at once, and takes out the band
// lines before it. Band lines come 40 times a second: to a terminal each is
// flushed, otherwise they gather in the buffer and leave ten at a time
// (a quarter second), one write instead of ten.
constexpr int BandLinesPerWrite = 10;
bool g_terminal = false;
int g_bandLinesHeld = 0;

void Put(std::string_view json)
{
    flockfile(stdout);
    fwrite_unlocked(json.data(), 1, json.size(), stdout);
    fputc_unlocked('\n', stdout);
    funlockfile(stdout);
}

void Line(std::string_view json)
{
    Put(json);
    std::fflush(stdout);
    g_bandLinesHeld = 0;
}

// The band line is written 40 times a second: built in place, no allocation.
void BandsLine(const TBandOut &bands)
{
    static constexpr std::string_view head = "{\"event\": \"bands\", \"BandOut\": [";
    char line[head.size() + 19 * 7 + 4];
    char *p = std::copy(head.begin(), head.end(), line);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (i) {
            *p++ = ',';
            *p++ = ' ';
        }
        p = std::to_chars(p, line + sizeof line, bands[i]).ptr;
    }
    *p++ = ']';
    *p++ = '}';
    Put(std::string_view(line, std::size_t(p - line)));
    if (g_terminal || ++g_bandLinesHeld >= BandLinesPerWrite) {
        std::fflush(stdout);
        g_bandLinesHeld = 0;
    }
}

std::string StreamInfoJson(const TStreamInfo &i)
{
    return "{\"FileName\": " + JsonString(i.FileName) + ", \"FileSize\": " + std::to_string(i.FileSize) +
           ", \"SampleRate\": " + std::to_string(i.SampleRate) + ", \"BitRate\": " + std::to_string(i.BitRate) +
           ", \"BitsPerSample\": " + std::to_string(i.BitsPerSample) + ", \"Duration\": " +
           std::to_string(i.Duration) + ", \"Channels\": " + std::to_string(i.Channels) +
           ", \"Title\": " + JsonString(i.Title) + "}";
}

constexpr const char *Usage = "usage: quaverly-play [--bands] [--seek MS] [--max-seconds S] FILE|URL...\n"
                              "       quaverly-play --media-control [--max-seconds S] FILE|URL...\n";

struct Options {
    bool help = false;
    bool bands = false;
    bool seek = false;
    std::uint32_t seekMs = 0;
    int maxSeconds = 0;
    std::vector<std::string> items;
};

bool ParseNumber(const char *text, long max, long &out)
{
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 0 || v > max)
        return false;
    out = v;
    return true;
}

bool Parse(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        long v = 0;
        if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--bands")
            o.bands = true;
        else if (a == "--seek" && i + 1 < argc && ParseNumber(argv[i + 1], 0xFFFFFFFFL, v))
            o.seek = true, o.seekMs = std::uint32_t(v), ++i;
        else if (a == "--max-seconds" && i + 1 < argc && ParseNumber(argv[i + 1], 1000000L, v))
            o.maxSeconds = int(v), ++i;
        else if (a.starts_with("--"))
            return false;
        else
            o.items.push_back(a);
    }
    return o.help || !o.items.empty();
}

class Session {
public:
    Session(TAudioPlayer &player, Options options) : player_(player), options_(std::move(options))
    {
        player_.OnPlayEnd = [this](TAudioPlayer &) {
            Line("{\"event\": \"end\"}");
            QTimer::singleShot(0, [this] { Next(); });
        };
        player_.OnGetMeta = [](TAudioPlayer &, const std::string &title) {
            Line("{\"event\": \"meta\", \"Title\": " + JsonString(title) + "}");
        };
        player_.OnDownloaded = [](TAudioPlayer &, const std::string &duration) {
            Line("{\"event\": \"downloaded\", \"Duration\": " + JsonString(duration) + "}");
        };
        if (options_.bands)
            player_.OnNewFFTData = [](TAudioPlayer &, TBandOut &bands) { BandsLine(bands); };
        positionTimer_.setInterval(1000);
        QObject::connect(&positionTimer_, &QTimer::timeout, [this] { Tick(); });
    }

    void Next()
    {
        positionTimer_.stop();
        player_.Close();
        if (index_ >= options_.items.size()) {
            QCoreApplication::exit(allOpened_ ? 0 : 1);
            return;
        }
        const std::string item = options_.items[index_++];
        const bool ok = player_.Open(item);
        allOpened_ = allOpened_ && ok;
        // A failed open leaves the player's record of the item before; show
        // a cleared one for the argument instead.
        TStreamInfo failed;
        failed.FileName = item;
        const std::string reason = ok ? std::string() : tools::OpenFailureReason(item, player_);
        Line("{\"event\": \"open\", \"File\": " + JsonString(item) + ", \"Result\": " + (ok ? "true" : "false") +
             ", \"StreamInfo\": " + StreamInfoJson(ok ? player_.CurrentStreamInfo() : failed) +
             (ok ? "" : ", \"Reason\": " + JsonString(reason)) + "}");
        if (!ok) {
            std::fprintf(stderr, "quaverly-play: %s: %s\n", item.c_str(), reason.c_str());
            QTimer::singleShot(0, [this] { Next(); });
            return;
        }
        player_.Play();
        Line("{\"event\": \"length\", \"ms\": " + std::to_string(player_.PlayLength()) + "}");
        if (options_.seek)
            player_.SetPosition(options_.seekMs);
        if (player_.PlayerState() != psPlaying) {
            QTimer::singleShot(0, [this] { Next(); });
            return;
        }
        seconds_ = 0;
        positionTimer_.start();
    }

private:
    void Tick()
    {
        if (player_.PlayerState() != psPlaying)
            return;
        Line("{\"event\": \"position\", \"ms\": " + std::to_string(player_.Position()) + "}");
        if (options_.maxSeconds > 0 && ++seconds_ >= options_.maxSeconds)
            Next();
    }

    TAudioPlayer &player_;
    Options options_;
    QTimer positionTimer_;
    std::size_t index_ = 0;
    bool allOpened_ = true;
    int seconds_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "--media-control")
        return tools::RunMediaControl(argc - 1, argv + 1);
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    // Room for the band lines held between writes.
    static char outBuffer[8192];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    g_terminal = ::isatty(STDOUT_FILENO) != 0;
    // A console loop needs no GLib main context: Qt's own dispatcher does
    // less per wake-up, and the spectrum tick wakes it 40 times a second.
    setenv("QT_NO_GLIB", "1", 0);
    StopSignals::Block();
    QCoreApplication app(argc, argv);
    StopSignals stopSignals; // declared after the application: it goes first
    ConsoleDialogs dialogs;
    TAudioPlayer player(&dialogs, ProgramFolder());
    if (!player.PlayerReady()) {
        if (!player.Library().Loaded())
            std::fprintf(stderr, "quaverly-play: libbass.so could not be loaded from %s: %s\n",
                         ProgramFolder().c_str(), player.Library().Error().c_str());
        else
            std::fprintf(stderr, "quaverly-play: the sound output could not be opened "
                                 "(no device, in use, or no working driver)\n");
        return 1;
    }
    // The audio output's own SIGINT/SIGTERM handlers never run: the signals
    // stay blocked and the waiter takes them.
    stopSignals.Watch();

    Session session(player, options);
    QTimer::singleShot(0, [&session] { session.Next(); });
    return app.exec();
}
