#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/IExternalPlayer.h"
#include "core/IPlaybackController.h"
#include "core/ISettingsFile.h"
#include "core/IShellPlatform.h"
#include "app/SystemShellPlatform.h"
#include "core/NullAudioEngine.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "core/IPlaylist.h"
#include "core/FormModel.h"
#include "core/ISpectrumDisplay.h"
#include "ui/ScreenMetrics.h"

namespace quaverly::test {

// Every fake writes the calls it receives into one log, so a test sees the
// order across services.
using CallLog = std::vector<std::string>;

class RecordingSettings final : public ISettingsFile {
public:
    explicit RecordingSettings(CallLog &log) : log_(log) {}
    void LoadSettings() override { log_.push_back("LoadSettings"); }
    void SaveSettings() override { log_.push_back("SaveSettings"); }
    bool ScheduleCheck(int kind) override
    {
        log_.push_back("ScheduleCheck " + std::to_string(kind));
        return kind == 0 ? allowAuto : allowArgument;
    }
    bool allowAuto = true;
    bool allowArgument = true;

private:
    CallLog &log_;
};

class RecordingController final : public IPlaybackController {
public:
    explicit RecordingController(CallLog &log) : log_(log) {}
    void PlayCurrentItem() override { log_.push_back("PlayCurrentItem"); }
    void PlaySelected() override { log_.push_back("PlaySelected"); }
    void StopPlayback() override { log_.push_back("StopPlayback"); }
    void ShowStoppedState() override { log_.push_back("ShowStoppedState"); }
    void UpdateMidiButtons() override { log_.push_back("UpdateMidiButtons"); }
    int ChooseEngine(const std::string &path) override
    {
        log_.push_back("ChooseEngine " + path);
        return engine;
    }
    int engine = ekMediaControl;

private:
    CallLog &log_;
};

class RecordingExternalPlayer final : public IExternalPlayer {
public:
    explicit RecordingExternalPlayer(CallLog &log) : log_(log) {}
    void ImportExternalPlayerList() override { log_.push_back("ImportExternalPlayerList"); }
    void BackupExternalPlayerSettings() override { log_.push_back("BackupExternalPlayerSettings"); }
    void RestoreExternalPlayerSettings() override { log_.push_back("RestoreExternalPlayerSettings"); }
    void CloseExternalPlayer() override { log_.push_back("CloseExternalPlayer"); }

private:
    CallLog &log_;
};

// Loading adds `rowsOnLoad` rows, as a playlist file with that many entries
// would.
class RecordingPlaylist final : public IPlaylist {
public:
    RecordingPlaylist(CallLog &log, TFormModel &form) : log_(log), form_(form) {}
    void PickRandomPlaylist() override
    {
        log_.push_back("PickRandomPlaylist");
        AddRows();
    }
    void LoadPlaylist() override
    {
        log_.push_back("LoadPlaylist " + form_.State.PlaylistPath);
        AddRows();
    }
    void SavePlaylist() override { log_.push_back("SavePlaylist"); }
    void SavePlaylistIfChanged() override { log_.push_back("SavePlaylistIfChanged"); }
    void ShowCredit() override { log_.push_back("ShowCredit"); }
    std::string DisplayNameOf(const std::string &path) const override { return "name of " + path; }
    void OnSettingChange(int flag) override { log_.push_back("OnSettingChange " + std::to_string(flag)); }
    void FitListHeight() override { log_.push_back("FitListHeight"); }
    void RevealCurrentItem() override { log_.push_back("RevealCurrentItem"); }
    int rowsOnLoad = 0;
    int selectedOnLoad = -1;

private:
    void AddRows()
    {
        for (int i = 0; i < rowsOnLoad; ++i)
            form_.MList.Items.push_back(TListItem{"row" + std::to_string(i), {"/m/" + std::to_string(i)}, i == selectedOnLoad});
    }
    CallLog &log_;
    TFormModel &form_;
};

class RecordingSpectrum final : public ISpectrumDisplay {
public:
    explicit RecordingSpectrum(CallLog &log) : log_(log) {}
    void InitSpectrumBitmaps() override { log_.push_back("InitSpectrumBitmaps"); }
    void DrawSpectrumFrame(const TBandOut &bands) override
    {
        log_.push_back("DrawSpectrumFrame " + std::to_string(bands[0]));
    }
    void FreeSpectrumBitmaps() override { log_.push_back("FreeSpectrumBitmaps"); }
    void ClearSpectrum() override { log_.push_back("ClearSpectrum"); }
    void ClearPeaks() override { log_.push_back("ClearPeaks"); }
#include "core/IExternalPlayer.h"
#include "core/IPlaybackController.h"

private:
    CallLog &log_;
};

class RecordingAudioPlayer final : public TNullAudioEngine {
public:
    RecordingAudioPlayer(CallLog &log, bool ready) : log_(log) { Ready = ready; }
    ~RecordingAudioPlayer() override { log_.push_back("FreeAudioPlayer"); }
    void SetOnNewFFTData(std::function<void(const TBandOut &)> handler) override
    {
        log_.push_back(handler ? "SetOnNewFFTData" : "ClearOnNewFFTData");
        TNullAudioEngine::SetOnNewFFTData(std::move(handler));
    }

private:
    CallLog &log_;
};

class RecordingAudioPlayerFactory final : public IAudioEngineFactory {
public:
    explicit RecordingAudioPlayerFactory(CallLog &log) : log_(log) {}
    std::unique_ptr<IAudioEngine> CreateAudioEngine() override
    {
        log_.push_back("CreateAudioPlayer");
        auto player = std::make_unique<RecordingAudioPlayer>(log_, ready);
        last = player.get();
        return player;
    }
    bool ready = true;
    RecordingAudioPlayer *last = nullptr;

private:
    CallLog &log_;
};

class FixedScreen final : public IScreenMetrics {
public:
    TScreenRect WholeScreen() const override { return whole; }
    TScreenRect WorkArea() const override { return work; }
    TScreenRect whole{0, 0, 1024, 768};
    TScreenRect work{0, 0, 1024, 768};
};

// A settable wall clock (a day count with the time of day as fraction).
class FixedClock final : public IClock {
public:
    std::uint64_t TickCountMs() override { return 0; }
    double Now() override { return now; }
    void SetTime(int hour, int minute) { now = 46000.0 + (hour * 60 + minute) / 1440.0; }
    double now = 46000.5;
};

class ScriptedRandom final : public IRandom {
public:
    int Next(int range) override
    {
        ranges.push_back(range);
        return value < range ? value : 0;
    }
    int value = 0;
    std::vector<int> ranges;
};

// The real file system probe; the scroll bar width and the end of the
// process are recorded.
class RecordingPlatform final : public IShellPlatform {
public:
    explicit RecordingPlatform(CallLog &log) : log_(log) {}
    bool FileExists(const std::string &path) override { return system_.FileExists(path); }
    int VerticalScrollBarWidth() override { return scrollBarWidth; }
    void EndProcessNow() override { log_.push_back("EndProcessNow"); }
    int scrollBarWidth = 17;

private:
    CallLog &log_;
    TSystemShellPlatform system_{nullptr};
};

}  // namespace quaverly::test
