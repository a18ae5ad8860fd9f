// quaverly-play as a user meets it: why an argument failed, the exit status,
// --help, and a signal that comes while an open waits for a server.
#include "PlayerFixture.h"
#include "support/HttpFileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

using namespace quaverly;
using namespace quaverly::test;

namespace {

struct PlayRun {
    pid_t pid = -1;
    std::string out, err;  // files
    std::vector<std::string> Lines(const std::string &file) const
    {
        std::ifstream in(file);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
};

// A port on 127.0.0.1 that nobody listens on (it was free a moment ago).
int ClosedPort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && getsockname(s, reinterpret_cast<sockaddr *>(&a), &n) == 0)
        port = ntohs(a.sin_port);
    close(s);
    return port;
}

PlayRun StartPlay(const std::vector<std::string> &args, const std::string &tag)
{
    PlayRun r;
    r.out = FixtureFolder() + "/" + tag + "-out.txt";
    r.err = FixtureFolder() + "/" + tag + "-err.txt";
    std::vector<std::string> argv = {"/bin/sh", "-c", "o=$1; e=$2; shift 2; exec \"$@\" >\"$o\" 2>\"$e\"", "sh",
                                     r.out, r.err, std::string(QUAVERLY_BIN_DIR) + "/quaverly-play"};
    argv.insert(argv.end(), args.begin(), args.end());
    r.pid = SpawnProcess(argv);
    return r;
}

} // namespace

TEST(QuaverlyPlayTool, EachFailedArgumentGetsAReasonInItsLineAndOnStderrAndTheRunFails)
{
    ASSERT_FALSE(FixtureFolder().empty());
    const std::string dir = FixtureFolder();
    {
        std::ofstream(dir + "/noise.mp3") << std::string(4096, '\x5a');
        std::ofstream(dir + "/song.mid") << std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14);
    }
    HttpFileServer server;
    ASSERT_TRUE(server.Start());
    const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x.mp3";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir + "/none.mp3", "no such file"},
        {dir, "a folder, not a file"},
        {dir + "/noise.mp3", "no stream the audio engine can decode"},
        {dir + "/song.mid", "not a type the audio engine plays (.MID)"},
        {refused, "the stream could not be opened"},
        {server.Url("/missing.mp3"), "the stream could not be opened"},
    };
    std::vector<std::string> args = {Fixture("short.wav")};
    for (const auto &c : cases)
        args.push_back(c.first);
    const PlayRun run = StartPlay(args, "reasons");
    ASSERT_EQ(1, WaitForExit(run.pid, 60000));
    const auto out = run.Lines(run.out);
    const auto err = run.Lines(run.err);
    size_t failed = 0;
    for (const auto &[item, reason] : cases) {
        SCOPED_TRACE(item);
        const std::string head = "{\"event\": \"open\", \"File\": \"" + item + "\", \"Result\": false";
        const auto line = std::find_if(out.begin(), out.end(), [&](const std::string &l) { return l.starts_with(head); });
        ASSERT_NE(line, out.end());
        EXPECT_NE(line->find(", \"Reason\": \"" + reason), std::string::npos) << *line;
        const std::string said = "quaverly-play: " + item + ": " + reason;
        EXPECT_NE(std::find_if(err.begin(), err.end(), [&](const std::string &l) { return l.starts_with(said); }),
                  err.end());
        ++failed;
    }
    EXPECT_EQ(cases.size(), failed);
    // The file that played has no reason.
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out[0].find("\"Result\": true"), std::string::npos);
    EXPECT_EQ(out[0].find("Reason"), std::string::npos);
}

TEST(QuaverlyPlayTool, HelpPrintsTheUsageAndAWrongCommandLineFails)
{
    ASSERT_FALSE(FixtureFolder().empty());
    for (const std::string flag : {"--help", "-h"}) {
        const PlayRun run = StartPlay({flag}, "help");
        EXPECT_EQ(0, WaitForExit(run.pid, 20000)) << flag;
        const auto out = run.Lines(run.out);
        ASSERT_EQ(2u, out.size()) << flag;
        EXPECT_TRUE(out[0].starts_with("usage: quaverly-play ")) << flag;
    }
    const PlayRun wrong = StartPlay({"--volume", "3"}, "wrong");
    EXPECT_EQ(2, WaitForExit(wrong.pid, 20000));
    EXPECT_TRUE(wrong.Lines(wrong.out).empty());
}

// A server that takes the connection and never answers: the open waits, and
// SIGTERM still ends the run at once with the status of a signal ending.
TEST(QuaverlyPlayTool, ASignalEndsTheRunWhileAnOpenWaitsForAServer)
{
    ASSERT_FALSE(FixtureFolder().empty());
    HttpFileServer server;
    server.Serve("/x.mp3", Fixture("tone.mp3"), {.silent = true});
    ASSERT_TRUE(server.Start());
    const PlayRun run = StartPlay({"--max-seconds", "2", server.Url("/x.mp3")}, "silent");
    ASSERT_GT(run.pid, 0);
    // The request has arrived: the player sits in its open.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.requests() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GT(server.requests(), 0);
    const auto sent = std::chrono::steady_clock::now();
    kill(run.pid, SIGTERM);
    EXPECT_EQ(130, WaitForExit(run.pid, 5000));
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(3));
    EXPECT_TRUE(run.Lines(run.out).empty());
}
