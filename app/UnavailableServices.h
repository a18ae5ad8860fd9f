#pragma once

#include "app/IAudioPlayer.h"
#include "core/IExternalPlayer.h"
#include "core/IPlaybackController.h"
#include "app/ISettingsFile.h"
#include "playlist/IPlaylist.h"
#include "ui/FormModel.h"
#include "ui/ISpectrumDisplay.h"

namespace quaverly {

// Stand-ins for services this build does not have yet. Each does nothing
// that could harm the user's files or settings and never claims a success it
// did not have: nothing plays, nothing is read or written, the schedule never
// allows an unattended start.

// No settings file: the built-in values stay; nothing is saved. Without a
// schedule no start is ever allowed by it.
class TUnavailableSettingsFile final : public ISettingsFile {
public:
    void LoadSettings() override {}
    void SaveSettings() override {}
    bool ScheduleCheck(int) override { return false; }
};

// No playback controller: nothing plays and the stopped state stays.
// The first play request says so once on standard error.
class TUnavailablePlaybackController final : public IPlaybackController {
public:
    void PlayCurrentItem() override;
    void PlaySelected() override { PlayCurrentItem(); }
    void StopPlayback() override {}
    void ShowStoppedState() override {}
    void UpdateMidiButtons() override {}
    int ChooseEngine(const std::string &) override { return ekMediaControl; }

private:
    bool told_ = false;
};

// No external MIDI player control: its settings are neither copied nor
// restored, its list is not imported.
class TUnavailableExternalPlayer final : public IExternalPlayer {
public:
    void ImportExternalPlayerList() override {}
    void BackupExternalPlayerSettings() override {}
    void RestoreExternalPlayerSettings() override {}
    void CloseExternalPlayer() override {}
};

// No spectrum display: nothing is drawn.
class TUnavailableSpectrumDisplay final : public ISpectrumDisplay {
public:
    void InitSpectrumBitmaps() override {}
    void DrawSpectrumFrame(const TBandOut &) override {}
    void FreeSpectrumBitmaps() override {}
    void ClearSpectrum() override {}
    void ClearPeaks() override {}
};

// No audio player in this build: the shell runs without the audio engine,
// as when the library is absent.
class TUnavailableAudioPlayerFactory final : public IAudioPlayerFactory {
public:
    std::unique_ptr<IAudioPlayer> CreateAudioPlayer() override { return nullptr; }
};

// No playlist files: the list stays as it is and nothing is read or
// written. Display names follow the playlist's rule.
class TUnavailablePlaylist final : public IPlaylist {
public:
    void PickRandomPlaylist() override {}
    void LoadPlaylist() override {}
    void SavePlaylist() override {}
    void SavePlaylistIfChanged() override {}
    void ShowCredit() override {}
    // A URL unchanged; otherwise the file name without folder and extension.
    std::string DisplayNameOf(const std::string &path) const override;
    void OnSettingChange(int) override {}
    void FitListHeight() override {}
    void RevealCurrentItem() override {}
};

}  // namespace quaverly
