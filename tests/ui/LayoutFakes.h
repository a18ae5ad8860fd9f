#pragma once

#include <functional>

#include "ui/ScreenMetrics.h"
#include "ui/VideoMetrics.h"
#include "ui/WindowDrag.h"
#include "core/FormModel.h"

namespace quaverly::test {

struct FakeScreen : IScreenMetrics {
    TScreenRect Whole{0, 0, 1024, 768};
    TScreenRect Work{0, 0, 1024, 768};
    TScreenRect WholeScreen() const override { return Whole; }
    TScreenRect WorkArea() const override { return Work; }
};

struct FakeVideo : IVideoMetrics {
    int Height = 0;
    int Size = mpDefaultSize;
    int PictureHeight() const override { return Height; }
    int DisplaySize() const override { return Size; }
};

// Keeps the finished callbacks so a test decides when the loop ends.
struct RecordingDrag : IWindowDrag {
    std::function<void()> Move, Size;
    int Moves = 0, Sizes = 0;
    void RunMoveLoop(std::function<void()> finished) override { ++Moves; Move = std::move(finished); }
    void RunSizeLoop(std::function<void()> finished) override { ++Sizes; Size = std::move(finished); }
};

inline bool RegionContains(const TFormModel &form, int x, int y)
{
    if (form.Form.Region.empty())
        return x >= 0 && y >= 0 && x < form.Form.Width && y < form.Form.Height;
    for (const TRegionRect &r : form.Form.Region)
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
            return true;
    return false;
}

}  // namespace quaverly::test
