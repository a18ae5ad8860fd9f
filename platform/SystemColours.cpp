#include "platform/SystemColours.h"

#include <array>

namespace quaverly {

namespace {
// The default scheme of the Windows releases the program was made on
// (Windows 7 and Vista, "Windows 7 Basic"/Aero), by index.
constexpr TColor kNone = 0xFFFFFFFFu;
constexpr std::array<TColor, 31> kDefaultScheme = {
    RGB(200, 200, 200),  //  0 COLOR_SCROLLBAR
    RGB(0, 0, 0),        //  1 COLOR_BACKGROUND
    RGB(153, 180, 209),  //  2 COLOR_ACTIVECAPTION
    RGB(191, 205, 219),  //  3 COLOR_INACTIVECAPTION
    RGB(240, 240, 240),  //  4 COLOR_MENU
    RGB(255, 255, 255),  //  5 COLOR_WINDOW
    RGB(100, 100, 100),  //  6 COLOR_WINDOWFRAME
    RGB(0, 0, 0),        //  7 COLOR_MENUTEXT
    RGB(0, 0, 0),        //  8 COLOR_WINDOWTEXT
    RGB(0, 0, 0),        //  9 COLOR_CAPTIONTEXT
    RGB(180, 180, 180),  // 10 COLOR_ACTIVEBORDER
    RGB(244, 247, 252),  // 11 COLOR_INACTIVEBORDER
    RGB(171, 171, 171),  // 12 COLOR_APPWORKSPACE
    RGB(51, 153, 255),   // 13 COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // 14 COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240),  // 15 COLOR_BTNFACE
    RGB(160, 160, 160),  // 16 COLOR_BTNSHADOW
    RGB(109, 109, 109),  // 17 COLOR_GRAYTEXT
    RGB(0, 0, 0),        // 18 COLOR_BTNTEXT
    RGB(67, 78, 84),     // 19 COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // 20 COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105),  // 21 COLOR_3DDKSHADOW
    RGB(227, 227, 227),  // 22 COLOR_3DLIGHT
    RGB(0, 0, 0),        // 23 COLOR_INFOTEXT
    RGB(255, 255, 225),  // 24 COLOR_INFOBK
    kNone,               // 25 (unused)
    RGB(0, 102, 204),    // 26 COLOR_HOTLIGHT
    RGB(185, 209, 234),  // 27 COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242),  // 28 COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),   // 29 COLOR_MENUHILIGHT
    RGB(240, 240, 240),  // 30 COLOR_MENUBAR
};
}  // namespace

TColor SystemColour(int index)
{
    if (index < 0 || std::size_t(index) >= kDefaultScheme.size() || kDefaultScheme[std::size_t(index)] == kNone)
        return clBlack;
    return kDefaultScheme[std::size_t(index)];
}

}  // namespace quaverly
