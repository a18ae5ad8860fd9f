#pragma once
// TVisThread: writes the frames of the shared block for the outside
// visualisation program. Despite its name it is no operating-system thread:
// its FrameTimer ticks on the UI thread. Each tick disables the timer while
// it works, so a slow tick never queues a second one, and the buffers it
// fills are sized once per channel format, so a tick allocates nothing.
#include "audio/PlayerLibrary.h"
#include "audio/SharedMemory.h"
#include "audio/VisFrame.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

namespace quaverly::audio {

class TVisThread : public QObject {
    Q_OBJECT
public:
    static constexpr const char *ShareName = visframe::ShareName;
    static constexpr std::size_t BlockSize = 2600; // as asked; the mapping covers a whole frame
    static constexpr const char *Target = visframe::TargetTitle;

    // `lib` (the player's library), `windows` and `dialogs` (both may be null) outlive this.
    TVisThread(const TPlayerLibrary *lib, X11WindowSystem *windows, IDialogs *dialogs, QObject *parent = nullptr);
    ~TVisThread() override;

    void SetChannelInfo(std::uint32_t channel, std::int32_t sampleRate, std::uint16_t channels);
    void SetPlayPosition(std::uint32_t ms) { playPosition_ = ms; }
    // The low 16 bits of lParam of command 55, at least 10 ms.
    void SetInterval(std::int32_t lParam);
    void StartVis();
    void StopVis();
    bool IsStopped() const { return visStopped_; }

    int Interval() const { return interval_; }
    bool TimerActive() const { return frameTimer_.isActive(); }
    TSharedMemory &SharedMem() { return *sharedMem_; }
    std::uint8_t *View() const { return view_; }
    int SkipCount() const { return skip_.SkipCount(); }
    std::uint64_t FramesWritten() const { return framesWritten_; }

    // One tick of FrameTimer (public for benchmarks).
    void WriteFrame();

private:
    const TPlayerLibrary *lib_;
    QTimer frameTimer_;
    bool visStopped_ = true;
    int interval_ = 10;
    std::uint32_t channel_ = 0;
    std::int32_t sampleRate_ = 0;
    std::uint16_t channels_ = 0;
    std::uint32_t playPosition_ = 0;
    visframe::SkipRule skip_;
    std::unique_ptr<TSharedMemory> sharedMem_;
    std::uint8_t *view_ = nullptr;
    std::vector<float> fft_;          // 1024 magnitudes per channel
    std::vector<std::int16_t> pcm_;   // 576 sample frames
    std::uint64_t framesWritten_ = 0;
};

} // namespace quaverly::audio
