#pragma once

namespace quaverly {

// Display sizes of the hosted media control.
constexpr int mpDefaultSize = 0;
constexpr int mpHalfSize = 1;
constexpr int mpDoubleSize = 2;

// What the video view needs from the hosted media control: the height of
// its picture in pixels (0 or less when unknown) and its display size.
class IVideoMetrics {
public:
    virtual ~IVideoMetrics() = default;
    virtual int PictureHeight() const = 0;
    virtual int DisplaySize() const = 0;
};

}  // namespace quaverly
