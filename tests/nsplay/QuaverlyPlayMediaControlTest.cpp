// quaverly-play --media-control from outside: the JSON lines of a MIDI file
// and a video, and the reasons of files it cannot open.
#include "MediaFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

using namespace quaverly;
using namespace quaverly::test;

namespace {

// Runs quaverly-play --media-control with `args` (as user nobody when
// `asNobody`), its sound going to `wav`; returns its lines and status.
std::vector<std::string> RunMediaControl(const std::vector<std::string> &args, const std::string &wav,
                                         int &status, bool asNobody = false)
{
    const std::string out = MediaFolder() + "/play-lines.txt";
    std::vector<std::string> argv = {"/bin/sh", "-c", "out=$1; shift; exec \"$@\" >\"$out\" 2>/dev/null", "sh",
                                     out};
    if (asNobody)
        argv.insert(argv.end(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    argv.insert(argv.end(), {"env", "QUAVERLY_VLC_ARGS=--aout=afile --audiofile-file=" + wav,
                             std::string(QUAVERLY_BIN_DIR) + "/quaverly-play", "--media-control"});
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = SpawnProcess(argv);
    EXPECT_GT(pid, 0);
    status = WaitForExit(pid, 30000);
    std::ifstream in(out);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

int Count(const std::vector<std::string> &lines, const std::string &start)
{
    return int(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.starts_with(start); }));
}

} // namespace

TEST(QuaverlyPlayMediaControl, PlaysAMidiFileAndAVideoPrintingLengthPictureAndEnd)
{
    ASSERT_FALSE(MediaFolder().empty());
    int status = -1;
    const std::string wav = MediaFolder() + "/play.wav";
    const auto lines = RunMediaControl({Media("tune.mid"), Media("clip.avi")}, wav, status);
    EXPECT_EQ(0, status);
    ASSERT_GE(lines.size(), 7u);
    const auto at = [&](const std::string &line) { return std::find(lines.begin(), lines.end(), line); };
    const auto midi = at("{\"event\": \"open\", \"File\": \"" + Media("tune.mid") + "\", \"Result\": true}");
    const auto video = at("{\"event\": \"open\", \"File\": \"" + Media("clip.avi") + "\", \"Result\": true}");
    ASSERT_NE(lines.end(), midi);
    ASSERT_NE(lines.end(), video);
    ASSERT_LT(midi, video);
    EXPECT_EQ("{\"event\": \"length\", \"ms\": 3000}", *(midi + 1));
    EXPECT_EQ("{\"event\": \"length\", \"ms\": 3000}", *(video + 1));
    EXPECT_EQ("{\"event\": \"picture\", \"width\": 320, \"height\": 240}", *(video + 2));
    EXPECT_EQ(1, Count(lines, "{\"event\": \"picture\""));  // the MIDI file has none
    EXPECT_EQ(2, Count(lines, "{\"event\": \"end\"}"));
    EXPECT_EQ("{\"event\": \"end\"}", *(video - 1));
    EXPECT_EQ("{\"event\": \"end\"}", lines.back());
}

TEST(QuaverlyPlayMediaControl, FilesThatCannotBeReadFailWithTheirReason)
{
    ASSERT_FALSE(MediaFolder().empty());
    // A folder everyone may enter, holding a readable and an unreadable copy.
    const std::string dir = MediaFolder() + "/shared";
    std::filesystem::create_directories(dir);
    ASSERT_EQ(0, chmod(MediaFolder().c_str(), 0755));
    ASSERT_EQ(0, chmod(dir.c_str(), 0777));
    std::filesystem::copy_file(Media("tune.mid"), dir + "/open.mid", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(Media("tune.mid"), dir + "/closed.mid",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(0, chmod((dir + "/open.mid").c_str(), 0644));
    ASSERT_EQ(0, chmod((dir + "/closed.mid").c_str(), 0));
    // The administrator reads every file: run as nobody then.
    const bool asNobody = geteuid() == 0;
    int status = -1;
    const auto lines = RunMediaControl({dir + "/open.mid", dir + "/closed.mid", dir + "/absent.mid"},
                                       dir + "/out.wav", status, asNobody);
    EXPECT_EQ(1, status);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("{\"event\": \"open\", \"File\": \"" + dir + "/open.mid\", \"Result\": true}", lines.front());
    const std::string closed = "{\"event\": \"open\", \"File\": \"" + dir + "/closed.mid\", \"Result\": false";
    const std::string absent = "{\"event\": \"open\", \"File\": \"" + dir + "/absent.mid\", \"Result\": false";
    ASSERT_EQ(1, Count(lines, closed));
    ASSERT_EQ(1, Count(lines, absent));
    for (const std::string &l : lines) {
        if (l.starts_with(closed)) {
            EXPECT_NE(std::string::npos, l.find("Permission denied")) << l;
        }
        if (l.starts_with(absent)) {
            EXPECT_NE(std::string::npos, l.find("No such file")) << l;
        }
    }
}
