#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "playlist/Playlist.h"

namespace quaverly::test {

// A fresh folder (with trailing "/") removed with everything in it.
class PlaylistTempFolder {
public:
    PlaylistTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaverly-plist-XXXXXX").string();
        path_ = std::string(mkdtemp(pattern.data())) + "/";
    }
    ~PlaylistTempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + name; }

private:
    std::string path_;
};

inline std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline bool FileThere(const std::string &path) { return std::filesystem::exists(path); }

// Every call to the controller and the external player, in order, in one log.
struct CallLog {
    std::vector<std::string> calls;
};

class RecordingController : public IPlaybackController {
public:
    RecordingController(TFormModel &form, CallLog &log) : form_(form), log_(log) {}
    void PlayCurrentItem() override
    {
        log_.calls.push_back("PlayCurrentItem");
        auto &list = form_.MList;
        if (list.SelCount() == 0 && form_.State.NextIndex >= 0 && form_.State.NextIndex < list.Count())
            list.Items.Select(size_t(form_.State.NextIndex));
        form_.State.CurrentIndex = list.FirstSelected();
        playedIndex = form_.State.CurrentIndex;
        form_.sbStop.Enabled = true;
    }
    void PlaySelected() override
    {
        log_.calls.push_back("PlaySelected");
        PlayCurrentItem();
    }
    void StopPlayback() override { log_.calls.push_back("StopPlayback"); }
    void ShowStoppedState() override
    {
        log_.calls.push_back("ShowStoppedState");
        form_.sbStop.Enabled = false;
    }
    void UpdateMidiButtons() override
    {
        log_.calls.push_back("UpdateMidiButtons");
        form_.sbLevel.Enabled = midiAvailable;
        form_.sbNormal.Enabled = midiAvailable;
    }
    int ChooseEngine(const std::string &) override { return ekMediaControl; }

    bool midiAvailable = false;
    int playedIndex = -1;

private:
    TFormModel &form_;
    CallLog &log_;
};

class RecordingExternalPlayer : public IExternalPlayer {
public:
    explicit RecordingExternalPlayer(CallLog &log) : log_(log) {}
    void ImportExternalPlayerList() override { log_.calls.push_back("ImportExternalPlayerList"); }
    void BackupExternalPlayerSettings() override { log_.calls.push_back("BackupExternalPlayerSettings"); }
    void RestoreExternalPlayerSettings() override { log_.calls.push_back("RestoreExternalPlayerSettings"); }
    void CloseExternalPlayer() override { log_.calls.push_back("CloseExternalPlayer"); }

private:
    CallLog &log_;
};

struct ShownMessage {
    std::string text, caption;
};

// The open dialog answers from a script; message boxes are recorded.
class ScriptedDialogs : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override
    {
        messages.push_back({text, caption});
    }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &filter, const std::string &dir) override
    {
        lastFilter = filter;
        lastInitialDir = dir;
        ++openCount;
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::vector<std::string>>> answers;
    std::vector<ShownMessage> messages;
    std::string lastFilter, lastInitialDir;
    int openCount = 0;
};

// Returns the scripted numbers in turn (reduced into the range), then 0.
class ScriptedRandom : public IRandom {
public:
    int Next(int range) override
    {
        ranges.push_back(range);
        if (range <= 0)
            return 0;
        int value = 0;
        if (!values.empty()) {
            value = values.front();
            values.pop_front();
        }
        return value % range;
    }
    std::deque<int> values;
    std::vector<int> ranges;
};

class FakeHost : public IPlaylistHost {
public:
    void RefreshWindowRegion() override { ++regionRefreshes; }
    void BringToFront() override { ++broughtToFront; }
    void ForceSettingsRewrite() override { ++settingsForced; }
    int VerticalScrollBarWidth() override { return scrollBarWidth; }
    int WorkAreaTop() override { return 0; }
    int WorkAreaHeight() override { return workAreaHeight; }
    int regionRefreshes = 0, broughtToFront = 0, settingsForced = 0;
    int scrollBarWidth = 17, workAreaHeight = 768;
};

// The real file system, with writes and deletes that can be made to fail.
class FaultyFiles : public TPosixPlaylistFiles {
public:
    bool WriteAtomic(const std::string &path, const std::string &bytes) override
    {
        ++writes;
        if (failWrites)
            return false;
        return TPosixPlaylistFiles::WriteAtomic(path, bytes);
    }
    bool Remove(const std::string &path) override
    {
        removed.push_back(path);
        if (failRemoves)
            return false;
        return TPosixPlaylistFiles::Remove(path);
    }
    std::optional<std::string> ReadAll(const std::string &path) override
    {
        if (failReads)
            return std::nullopt;
        return TPosixPlaylistFiles::ReadAll(path);
    }
    bool failWrites = false, failRemoves = false, failReads = false;
    int writes = 0;
    std::vector<std::string> removed;
};

// The main window as the playlist sees it: the normal 195 x 108 view, a
// 72-pixel list panel, sequential order, external-MIDI mode off and
// unavailable, stopped, the program folder a fresh temporary folder.
class PlaylistTest : public ::testing::Test {
protected:
    PlaylistTest()
        : controller(form, log), external(log),
          playlist(form, controller, external, dialogs, random, host, &files)
    {
        form.Form.Height = 108;
        form.Gauge1.Top = 34;
        form.MListPanel.Height = 72;
        form.BtnPanel.Color = RGB(1, 2, 3);
        form.sbRandom.Visible = false;
        form.sbOrder.Visible = true;
        form.sbLevel.Visible = false;
        form.sbNormal.Visible = true;
        form.sbLevel.Enabled = false;
        form.sbNormal.Enabled = false;
        form.sbAbout.Visible = false;
        form.sbStop.Enabled = false;
        form.VisPanel.Visible = false;
        form.State.ProgramFolder = folder.path();
        form.State.OpenDialogInitialDir = folder.path();
    }

    // Writes an (empty) media file and returns its path.
    std::string Media(const std::string &name)
    {
        const std::string path = folder / name;
        WriteBytes(path, "x");
        return path;
    }
    std::vector<std::string> Titles() const
    {
        std::vector<std::string> out;
        for (const auto &item : form.MList.Items)
            out.push_back(item.Caption);
        return out;
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> out;
        for (const auto &item : form.MList.Items)
            out.push_back(item.SubItems.empty() ? "" : item.SubItems[0]);
        return out;
    }
    void StartPlaying(int row)
    {
        form.MList.ClearSelection();
        form.MList.Items.Select(size_t(row));
        controller.PlayCurrentItem();
        log.calls.clear();
    }

    PlaylistTempFolder folder;
    TFormModel form;
    CallLog log;
    RecordingController controller;
    RecordingExternalPlayer external;
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    FakeHost host;
    FaultyFiles files;
    TPlaylist playlist;
};

}  // namespace quaverly::test
