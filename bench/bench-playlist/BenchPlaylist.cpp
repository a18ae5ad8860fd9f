// The playlist at full size: a list of 100 000 rows whose files exist.
//
//   bench-playlist make FOLDER [ROWS]   writes ROWS empty media files under
//                                       FOLDER/media and FOLDER/bench.m3u naming
//                                       them (extended M3U, durations, a few
//                                       doubled, missing and broken lines)
//   bench-playlist run FOLDER [RUNS]    loads that playlist RUNS times into the
//                                       real playlist over the real list view
//                                       and prints the figures
//
// The two steps run as separate processes, so that the memory figures of the
// run are not blurred by the file making.
#include <QApplication>
#include <QWidget>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/Random.h"
#include "playlist/Playlist.h"
#include "core/FormModel.h"
#include "ui/qt/PlaylistView.h"

namespace fs = std::filesystem;
using namespace quaverly;

namespace {

using Clock = std::chrono::steady_clock;

// ---- making the files ----------------------------------------------------

const char *const kWords[] = {"love", "Night", "river", "Blue", "song", "Rain", "城市", "夜曲", "晴天",
                              "wind", "Dream", "stars", "Moon", "歌", "light", "Summer", "heart", "Étude"};

std::string Title(std::mt19937 &rng, int n)
{
    std::string title;
    const int words = 1 + int(rng() % 4);
    for (int w = 0; w < words; ++w) {
        if (w)
            title += ' ';
        title += kWords[rng() % (sizeof kWords / sizeof *kWords)];
    }
    title += ' ';
    title += std::to_string(n);
    return title;
}

int Make(const std::string &folder, int rows)
{
    const fs::path media = fs::path(folder) / "media";
    std::mt19937 rng(20260601);
    std::vector<std::string> paths;
    std::vector<std::string> titles;
    paths.reserve(size_t(rows));
    const int perFolder = 1000;
    for (int i = 0; i < rows; ++i) {
        const fs::path dir = media / ("Artist " + std::to_string(i / perFolder) + " - 专辑");
        if (i % perFolder == 0)
            fs::create_directories(dir);
        titles.push_back(Title(rng, i));
        static const char *const kExt[] = {".mp3", ".ogg", ".wma", ".wav", ".mid"};
        const std::string path = (dir / (std::to_string(i % perFolder) + " " + titles.back() + kExt[i % 5])).string();
        std::ofstream(path, std::ios::binary);  // empty: the list only needs it to exist
        paths.push_back(path);
    }

    std::string text = "#EXTM3U Random\r\n";
    text.reserve(size_t(rows) * 130);
    for (int i = 0; i < rows; ++i) {
        if (i % 10 != 9) {
            text += "#EXTINF:" + std::to_string(30 + int(rng() % 600)) + "," + titles[size_t(i)] + "\r\n";
        }
        text += paths[size_t(i)] + "\r\n";
        // As a list that was edited by hand and by other programs would have:
        if (i % 250 == 100)  // the same file again, with its own info line
            text += "#EXTINF:99," + titles[size_t(i)] + "\r\n" + paths[size_t(i - 50)] + "\r\n";
        if (i % 300 == 7)  // a file that was moved away since
            text += "#EXTINF:120,Gone " + std::to_string(i) + "\r\n" + folder + "/media/gone/" +
                    std::to_string(i) + ".mp3\r\n";
        if (i % 1000 == 500)  // a stray comment and a doubled info line
            text += "#EXTVLCOPT:network-caching=1000\r\n#EXTINF:10,lost\r\n";
        if (i % 5000 == 1)
            text += "#EXTINF:-1,Radio " + std::to_string(i) + "\r\nhttp://127.0.0.1:8000/live" +
                    std::to_string(i) + "\r\n";
    }
    std::ofstream(fs::path(folder) / "bench.m3u", std::ios::binary) << text;
    std::printf("made %d files and bench.m3u (%zu bytes)\n", rows, text.size());
    return 0;
}

// ---- running ---------------------------------------------------------------

class NullController final : public IPlaybackController {
public:
    void PlayCurrentItem() override {}
    void PlaySelected() override {}
    void StopPlayback() override {}
    void ShowStoppedState() override {}
    void UpdateMidiButtons() override {}
    int ChooseEngine(const std::string &) override { return 0; }
};

class NullExternalPlayer final : public IExternalPlayer {
public:
    void ImportExternalPlayerList() override {}
    void BackupExternalPlayerSettings() override {}
    void RestoreExternalPlayerSettings() override {}
    void CloseExternalPlayer() override {}
};

class CountingDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &, const std::string &) override { ++messages; }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    int messages = 0;
};

class ScreenHost final : public IPlaylistHost {
public:
    void RefreshWindowRegion() override {}
    void BringToFront() override {}
    void ForceSettingsRewrite() override {}
    int VerticalScrollBarWidth() override { return 17; }
    int WorkAreaTop() override { return 0; }
    int WorkAreaHeight() override { return 768; }
};

long StatusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// Resets the peak resident size to the current one (Linux 4.0 and later).
bool ResetPeak()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// CPU seconds of this thread: steadier than the wall clock on a shared machine.
double CpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Line(const char *what, double seconds, double target)
{
    std::printf("  %-44s %7.3f s   (target %.1f s: %s)\n", what, seconds, target,
                seconds <= target ? "met" : "MISSED");
}

int Run(const std::string &folder, int runs, int argc, char **argv)
{
    if (!std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    TFormModel form;
    InitFormResource(form);
    form.State.ProgramFolder = folder + "/";
    NullController controller;
    NullExternalPlayer external;
    CountingDialogs dialogs;
    SystemRandom random(7);
    ScreenHost host;
    TPlaylist playlist(form, controller, external, dialogs, random, host);

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.resize(195, 108);
    auto *view = new TPlaylistView(form.MList, &window);
    view->setGeometry(0, 36, 195, 72);
    window.show();
    QApplication::processEvents();

    const std::string source = folder + "/bench.m3u";
    std::vector<double> loads, loadCpu, loadFaults, syncs, selectSyncs, events, saves, headerSaves;
    long baseRss = 0, loadedRss = 0, peakRss = 0;
    bool peakKnown = false;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        if (run == 0) {
            baseRss = StatusKb("VmRSS:");
            peakKnown = ResetPeak();
        }
        form.State.PlaylistPath = source;
        form.State.PlaylistDirty = false;
        rusage usage {};
        getrusage(RUSAGE_THREAD, &usage);
        const long faults = usage.ru_minflt;
        const double cpu = CpuSeconds();
        auto start = Clock::now();
        playlist.LoadPlaylist();
        loads.push_back(Seconds(start));
        loadCpu.push_back(CpuSeconds() - cpu);
        getrusage(RUSAGE_THREAD, &usage);
        loadFaults.push_back(double(usage.ru_minflt - faults));
        start = Clock::now();
        view->SyncFromModel();
        view->viewport()->repaint();
        QApplication::processEvents();
        syncs.push_back(Seconds(start));
        rows = form.MList.Count();
        if (run == 0) {
            loadedRss = StatusKb("VmRSS:");
            peakRss = StatusKb("VmHWM:");
        }

        // A handler changed the selection (one row picked): the view walks
        // the marks once.
        form.MList.ClearSelection();
        form.MList.Items.Select(size_t(rows / 2));
        start = Clock::now();
        view->SyncFromModel();
        selectSyncs.push_back(Seconds(start));
        // What every other event costs the list: the main window syncs the
        // view after each handler, mouse moves included.
        start = Clock::now();
        for (int i = 0; i < 1000; ++i)
            view->SyncFromModel();
        events.push_back(Seconds(start) / 1000);

        form.State.PlaylistPath = folder + "/saved.m3u";
        form.State.PlaylistDirty = true;
        start = Clock::now();
        playlist.SavePlaylist();
        saves.push_back(Seconds(start));
        form.sbRandom.Visible = !form.sbRandom.Visible;
        form.sbOrder.Visible = !form.sbOrder.Visible;
        start = Clock::now();
        playlist.SavePlaylistIfChanged();
        headerSaves.push_back(Seconds(start));
    }

    const char *collate = std::setlocale(LC_COLLATE, nullptr);
    std::printf("-- %d rows loaded (%d runs, median; first load %.3f s; titles collated by locale %s)\n", rows, runs,
                loads.front(), collate ? collate : "?");
    Line("LoadPlaylist (existence checks, sort)", Median(loads), 0.5);
    std::printf("  %-44s %7.3f s   (first load %.3f s)\n", "  of it CPU time of the thread", Median(loadCpu),
                loadCpu.front());
    std::printf("  %-44s %7.0f     (first load %.0f)\n", "  page faults", Median(loadFaults), loadFaults.front());
    std::printf("  %-44s %7.3f s\n", "list view sync after the load", Median(syncs));
    Line("load and view sync together", Median(loads) + Median(syncs), 0.5);
    std::printf("  %-44s %7.1f us\n", "view sync after a selection change", Median(selectSyncs) * 1e6);
    std::printf("  %-44s %7.1f us\n", "view sync after an event (no change)", Median(events) * 1e6);
    Line("SavePlaylist, full rewrite", Median(saves), 0.2);
    std::printf("  %-44s %7.3f s\n", "SavePlaylist, header only", Median(headerSaves));
    const double grown = double(loadedRss - baseRss) / 1024.0;
    std::printf("  %-44s %7.1f MB  (target 100 MB: %s)\n", "resident memory of the rows", grown,
                grown <= 100 ? "met" : "MISSED");
    if (peakKnown)
        std::printf("  %-44s %7.1f MB\n", "peak resident growth during the load", double(peakRss - baseRss) / 1024.0);
    std::printf("  %-44s %7.1f MB\n", "resident memory of the process", double(loadedRss) / 1024.0);
    if (dialogs.messages != 0 || rows == 0) {
        std::fprintf(stderr, "the playlist did not load (%d messages)\n", dialogs.messages);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0)
        return Make(argv[2], argc >= 4 ? std::atoi(argv[3]) : 100000);
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0)
        return Run(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 5, argc, argv);
    std::fprintf(stderr, "usage: bench-playlist make FOLDER [ROWS] | run FOLDER [RUNS]\n");
    return 2;
}
