// The picture of a video drawn by the media control into a native X window
// it is given, as the player's video panel gives its own.
#include "MediaFixture.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <set>

using namespace quaverly;
using namespace quaverly::nsplay;
using namespace quaverly::test;

TEST(NSPlayVideoWindow, AVideoIsDrawnIntoTheGivenWindowScaledToFitIt)
{
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    ASSERT_FALSE(MediaFolder().empty());
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    ASSERT_EQ(0, xcb_connection_has_error(c));
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const xcb_screen_t *screen = it.data;
    // Twice the picture's width and as high: the picture is scaled up to the
    // width and the rest is left black, above and below.
    constexpr int W = 640, H = 480 + 160;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->black_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, W, H, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, window);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    NSPlayOptions options = FileOutput(MediaFolder() + "/window.wav", "");  // libVLC's own choice of output
    TNSPlay control(options);
    control.SetVideoWindow(window);
    control.SetFileName(Media("clip.avi"));
    const MediaStartResult started = control.Play();
    ASSERT_TRUE(started.ok) << started.reason;
    EXPECT_EQ(320, control.PictureWidth());

    // Colours of a row of the window; the test pattern has many.
    const auto rowColours = [&](int y) {
        std::set<std::uint32_t> colours;
        auto *image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, std::int16_t(y), W, 1, ~0u), nullptr);
        if (!image)
            return colours;
        const auto *pixels = reinterpret_cast<const std::uint32_t *>(xcb_get_image_data(image));
        const int n = xcb_get_image_data_length(image) / 4;
        for (int i = 0; i < n; ++i)
            colours.insert(pixels[i] & 0xFFFFFF);
        std::free(image);
        return colours;
    };
    EXPECT_TRUE(WaitFor([&] { return rowColours(H / 2).size() >= 6; }, 3000)) << "no picture in the window";
    EXPECT_LE(rowColours(20).size(), 2u) << "the band above the picture is not black";
    EXPECT_LE(rowColours(H - 20).size(), 2u) << "the band below the picture is not black";
    control.SetFileName("");
    xcb_disconnect(c);
}
