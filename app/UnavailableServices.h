#pragma once

#include "core/IExternalPlayer.h"
#include "app/ISettingsFile.h"
#include "ui/ISpectrumDisplay.h"

namespace quaverly {

// Stand-ins for services this build does not have yet. Each does nothing
// that could harm the user's files or settings and never claims a success it
// did not have: nothing is read or written, the schedule never allows an
// unattended start.

// No settings file: the built-in values stay; nothing is saved. Without a
// schedule no start is ever allowed by it.
class TUnavailableSettingsFile final : public ISettingsFile {
public:
    void LoadSettings() override {}
    void SaveSettings() override {}
    bool ScheduleCheck(int) override { return false; }
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

}  // namespace quaverly
