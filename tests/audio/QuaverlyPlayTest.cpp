// quaverly-play --bands from outside: the band lines of a tone, in the
// fixed JSON shape, between the open and the end lines.
#include "PlayerFixture.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quaverly;
using namespace quaverly::test;

namespace {

// The lines written so far to `path`.
std::vector<std::string> LinesOf(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// Runs quaverly-play with `args`; with `signal`, sends it that signal once
// its output holds `bandLines` band lines (it writes them ten at a time).
std::vector<std::string> RunPlay(const std::vector<std::string> &args, int &status, int signal = 0,
                                 size_t bandLines = 0)
{
    const std::string out = FixtureFolder() + "/play-out.txt";
    std::remove(out.c_str());
    std::vector<std::string> argv = {"/bin/sh", "-c", "out=$1; shift; exec \"$@\" >\"$out\" 2>/dev/null", "sh", out,
                                     std::string(QUAVERLY_BIN_DIR) + "/quaverly-play"};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = SpawnProcess(argv);
    EXPECT_GT(pid, 0);
    if (signal != 0 && pid > 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        auto played = [&] {
            const auto lines = LinesOf(out);
            return size_t(std::count_if(lines.begin(), lines.end(), [](const std::string &l) {
                       return l.starts_with("{\"event\": \"bands\"");
                   })) >= bandLines;
        };
        while (!played() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        kill(pid, signal);
    }
    status = WaitForExit(pid, 20000);
    return LinesOf(out);
}

// The 19 numbers of a band line; empty when the line is not one.
std::vector<int> Bands(const std::string &line)
{
    static const std::string head = "{\"event\": \"bands\", \"BandOut\": [";
    if (!line.starts_with(head) || !line.ends_with("]}"))
        return {};
    std::vector<int> v;
    std::istringstream in(line.substr(head.size(), line.size() - head.size() - 2));
    for (std::string n; std::getline(in, n, ',');)
        v.push_back(std::stoi(n));
    return v;
}

} // namespace

TEST(QuaverlyPlayBands, ATonePrintsBandFramesPeakingInItsBandBetweenOpenAndEnd)
{
    ASSERT_FALSE(FixtureFolder().empty());
    int status = -1;
    const auto lines = RunPlay({"--bands", Fixture("tone-mono.wav")}, status); // 2 s of 440 Hz
    EXPECT_EQ(0, status);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(lines.front().starts_with("{\"event\": \"open\", "));
    EXPECT_EQ("{\"event\": \"end\"}", lines.back());

    int frames = 0, peakInBand3 = 0;
    for (const auto &l : lines) {
        const std::vector<int> b = Bands(l);
        if (b.empty())
            continue;
        ASSERT_EQ(19u, b.size()) << l;
        ++frames;
        // 440 Hz lies in bin 5 of the 512-point FFT at 44100 Hz: band 3.
        if (b[3] > 0 && std::max_element(b.begin(), b.end()) - b.begin() == 3)
            ++peakInBand3;
    }
    // A frame every 25 ms over two seconds, with room for a slow machine.
    EXPECT_GE(frames, 20);
    EXPECT_LE(frames, 100);
    EXPECT_GE(peakInBand3, frames / 2);
}

TEST(QuaverlyPlaySignals, SigintAndSigtermEndTheRunWithStatus130AndEveryLineWrittenWhole)
{
    ASSERT_FALSE(FixtureFolder().empty());
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        int status = -1;
        // Once a quarter second of the two seconds of tone has played.
        const auto lines = RunPlay({"--bands", Fixture("tone-mono.wav")}, status, signal, 10);
        // 130 is the player's own ending; killed by the signal it would be 128 + the signal.
        EXPECT_EQ(130, status);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_TRUE(lines.front().starts_with("{\"event\": \"open\", "));
        EXPECT_NE("{\"event\": \"end\"}", lines.back());
        // The band lines held for one write leave at the end as whole lines.
        int frames = 0;
        for (const auto &l : lines) {
            if (!l.starts_with("{\"event\": \"bands\""))
                continue;
            ASSERT_EQ(19u, Bands(l).size()) << l;
            ++frames;
        }
        EXPECT_GE(frames, 10);
    }
}
