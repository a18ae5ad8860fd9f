// Frames composed from given band levels, compared pixel for pixel with what
// the display's rules give by hand.
#include <QImage>
#include <gtest/gtest.h>
#include <random>
#include <set>

#include "ui/SpectrumScales.h"
#include "ui/qt/SpectrumFrame.h"
#include "ui/qt/SpectrumRings.h"

namespace quaverly {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kLed = 0xFF88E217u;        // RGB(136, 226, 23)
constexpr QRgb kBarGreen = 0xFF00B020u;   // RGB(0, 176, 32)
constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kRingBackground = 0xFF5F5FFFu;   // RGB(95, 95, 255)

QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }

TBandOut Levels(std::initializer_list<std::pair<int, int>> bandLevels)
{
    TBandOut out{};
    for (auto [band, level] : bandLevels)
        out[band - 1] = std::uint16_t(level);
    return out;
}

// The colours of rows top ... bottom - 1 in the given columns are `colour`,
// and every other pixel of those columns is black.
void ExpectColumns(const QImage &frame, int left, int width, const std::vector<QRgb> &rows)
{
    for (int x = left; x < left + width; ++x)
        for (int y = 0; y < 92; ++y)
            ASSERT_EQ(rows[y], frame.pixel(x, y)) << "x " << x << " y " << y;
}

std::vector<QRgb> Rows(QRgb fill = kBlack) { return std::vector<QRgb>(92, fill); }

int Count(const QImage &frame, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            n += frame.pixel(x, y) == colour;
    return n;
}

TEST(SpectrumScales, ColourScaleAndLedPatternRows)
{
    const TSpectrumScales s = MakeSpectrumScales();
    const std::pair<int, QRgb> telling[] = {
        {0, Rgb(255, 95, 95)},   {1, Rgb(255, 102, 95)},  {23, Rgb(255, 255, 95)},
        {24, Rgb(248, 255, 95)}, {45, Rgb(101, 255, 95)}, {46, Rgb(95, 255, 102)},
        {68, Rgb(95, 255, 255)}, {69, Rgb(95, 248, 255)}, {91, Rgb(95, 95, 255)},
    };
    for (auto [row, colour] : telling)
        EXPECT_EQ(colour, s.Gradient[row]) << "row " << row;
    for (int y : {0, 1, 3, 4, 90, 91})
        EXPECT_EQ(kLed, s.Segment[y]) << y;
    for (int y : {2, 5, 86, 89})
        EXPECT_EQ(kBlack, s.Segment[y]) << y;
}

class SpectrumFrameTest : public ::testing::Test {
protected:
    void SetUp() override { frame.Init(mode, true); }
    void Draw(const TBandOut &bands) { frame.Draw(bands, mode, nt); }
    const QImage &Image() const { return frame.Image(); }

    TSpectrumFrame frame;
    int mode = 1;
    bool nt = true;
    const TSpectrumScales scale = MakeSpectrumScales();
};

TEST_F(SpectrumFrameTest, LedBarsShowWholeSegmentsAndALevelOfOneDrawsNothing)
{
    mode = 1;
    // Tops: 4 -> 89 (93 - 4), 5 -> 87, 2 -> 90, 8 -> 84, 1 -> 92 (nothing).
    Draw(Levels({{1, 4}, {2, 5}, {3, 2}, {4, 8}, {5, 1}}));
    const std::pair<int, int> bandTop[] = {{1, 89}, {2, 87}, {3, 90}, {4, 84}, {5, 92}, {6, 92}};
    for (auto [band, top] : bandTop) {
        auto rows = Rows();
        for (int y = top; y < 92; ++y)
            rows[y] = (y + 1) % 3 == 0 ? kBlack : kLed;
        ExpectColumns(Image(), (band - 1) * 9, 8, rows);
        ExpectColumns(Image(), (band - 1) * 9 + 8, 1, Rows());   // the gap column
    }
}

TEST_F(SpectrumFrameTest, GradientBarsColourByHeightOrFromTheirOwnTopAndThinBarsTakeTheTopColour)
{
    mode = 2;
    Draw(Levels({{1, 92}, {2, 10}}));
    auto full = Rows(), ten = Rows();
    for (int y = 0; y < 92; ++y)
        full[y] = scale.Gradient[y];
    for (int y = 82; y < 92; ++y)
        ten[y] = scale.Gradient[y];
    ExpectColumns(Image(), 0, 9, full);
    ExpectColumns(Image(), 9, 9, ten);
    EXPECT_EQ(Rgb(255, 255, 95), Image().pixel(4, 23));

    mode = 5;
    Draw(Levels({{2, 10}}));
    for (int y = 82; y < 92; ++y)
        ten[y] = scale.Gradient[y - 82];
    ExpectColumns(Image(), 9, 9, ten);
    EXPECT_EQ(Rgb(255, 95, 95), Image().pixel(9, 82));

    mode = 4;
    Draw(Levels({{3, 69}}));   // top 23: one colour, the scale's row 23
    auto thin = Rows();
    for (int y = 23; y < 92; ++y)
        thin[y] = Rgb(255, 255, 95);
    ExpectColumns(Image(), 18, 3, Rows());
    ExpectColumns(Image(), 21, 3, thin);
    ExpectColumns(Image(), 24, 3, Rows());
}

TEST_F(SpectrumFrameTest, LevelAboveFullHeightIsDrawnFullAndItsMarkerLandsOnTheTopTwoRows)
{
    mode = 3;
    Draw(Levels({{19, 200}}));
    ExpectColumns(Image(), 162, 8, Rows(kBarGreen));
    ExpectColumns(Image(), 170, 1, Rows());
    EXPECT_FLOAT_EQ(92.01f, frame.PeakLevel(19));

    Draw(Levels({}));
    auto marker = Rows();
    marker[0] = marker[1] = kBlue;
    ExpectColumns(Image(), 162, 8, marker);
    EXPECT_EQ(16, Count(Image(), kBlue));
}

TEST_F(SpectrumFrameTest, MarkerHoldsEightFramesThenFallsEverFaster)
{
    mode = 3;
    Draw(Levels({{7, 50}}));
    EXPECT_EQ(0, Count(Image(), kBlue));   // pushed up: no marker on the bar's own frame
    const int x0 = 54;

    const auto expectMarkerRows = [&](int upper) {
        auto rows = Rows();
        rows[upper] = rows[upper + 1] = kBlue;
        ExpectColumns(Image(), x0, 8, rows);
    };
    for (int age = 0; age <= 8; ++age) {
        Draw(Levels({}));
        expectMarkerRows(41);   // 92 - 50 = 42, and the row above it
        EXPECT_NEAR(50.01, frame.PeakLevel(7), 1e-4) << "age " << age;
        EXPECT_EQ(age + 1, frame.PeakAge(7));
    }
    const double falling[] = {49.71, 49.11, 48.21, 47.01};
    const int upperRows[] = {41, 42, 42, 43};   // drawn before each fall
    for (int k = 0; k < 4; ++k) {
        Draw(Levels({}));
        expectMarkerRows(upperRows[k]);
        EXPECT_NEAR(falling[k], frame.PeakLevel(7), 1e-4) << k;
    }
    // A bar reaching within one level of the marker pushes it up again.
    Draw(Levels({{7, 47}}));
    EXPECT_NEAR(47.01, frame.PeakLevel(7), 1e-4);
    EXPECT_EQ(0, frame.PeakAge(7));
}

TEST_F(SpectrumFrameTest, GradientMarkerShowsForTwentyOneFramesAndIsThenGone)
{
    mode = 2;
    Draw(Levels({{2, 50}}));
    auto marker = Rows();
    // y = 92 - 50 + 1 = 43: rows 43 and 42 in the scale's row 43, RGB(115, 255, 95).
    marker[42] = marker[43] = Rgb(115, 255, 95);
    for (int frameNo = 1; frameNo <= 21; ++frameNo) {
        Draw(Levels({}));
        ExpectColumns(Image(), 9, 9, marker);
    }
    Draw(Levels({}));
    EXPECT_EQ(0, 171 * 92 - Count(Image(), kBlack));
}

TEST_F(SpectrumFrameTest, GradientMarkerLeavesOutTheRowItsBarCovers)
{
    mode = 2;
    Draw(Levels({{1, 50}}));
    Draw(Levels({{1, 49}}));   // marker at rows 42 and 43; the bar's top is row 43
    auto rows = Rows();
    rows[42] = Rgb(115, 255, 95);
    for (int y = 43; y < 92; ++y)
        rows[y] = scale.Gradient[y];
    ExpectColumns(Image(), 0, 9, rows);
}

TEST_F(SpectrumFrameTest, MarkerJustAboveTheFloorStaysInsideTheColourScaleAndThePicture)
{
    // A marker at 1 <= p < 2 puts its row at 92 in mode 2 and its colour row
    // at 92 in mode 4: both are held at the bottom row.
    for (int m : {2, 4}) {
        mode = m;
        frame.ClearPeaks();
        Draw(Levels({{5, 1}}));
        Draw(Levels({}));
        auto rows = Rows();
        rows[91] = Rgb(95, 95, 255);
        if (m == 4)
            rows[90] = Rgb(95, 95, 255);
        ExpectColumns(Image(), m == 4 ? 39 : 36, m == 4 ? 3 : 9, rows);
    }
}

TEST_F(SpectrumFrameTest, WaterfallWritesRowZeroAndMovesEachPastFrameDownOneRow)
{
    mode = 6;
    nt = true;
    frame.Clear(mode, nt);
    const TBandOut first = Levels({{1, 92}, {2, 46}, {19, 300}});
    const TBandOut second = Levels({{1, 1}, {2, 0}});
    Draw(first);
    Draw(second);
    Draw(Levels({{1, 69}}));

    // Rows 0, 1, 2 hold the third, second and first frames; the rest is black.
    const auto colour = [&](const TBandOut &b, int band) {
        return scale.Gradient[92 - std::max<int>(std::min<int>(b[band - 1], 92), 1)];
    };
    for (int band = 1; band <= 19; ++band) {
        const int x0 = (band - 1) * 9;
        for (int x = x0; x < x0 + 8; ++x) {
            ASSERT_EQ(colour(Levels({{1, 69}}), band), Image().pixel(x, 0)) << band;
            ASSERT_EQ(colour(second, band), Image().pixel(x, 1)) << band;
            ASSERT_EQ(colour(first, band), Image().pixel(x, 2)) << band;
            ASSERT_EQ(kBlack, Image().pixel(x, 3)) << band;
        }
        ASSERT_EQ(kBlack, Image().pixel(x0 + 8, 0));   // a line leaves out its end point
    }
    EXPECT_EQ(Rgb(255, 95, 95), Image().pixel(0, 2));
    EXPECT_EQ(Rgb(95, 255, 102), Image().pixel(9, 2));   // level 46 -> row 46
    EXPECT_EQ(Rgb(95, 95, 255), Image().pixel(9, 1));    // silence shows level 1
    EXPECT_EQ(Rgb(255, 255, 95), Image().pixel(0, 0));   // level 69 -> row 23
}

TEST_F(SpectrumFrameTest, RingsAreDrawnInOrderWithTheirCrossingPatchesAndTrailLeft)
{
    mode = 6;
    nt = false;
    frame.Clear(mode, nt);
    EXPECT_EQ(171 * 92, Count(Image(), kRingBackground));

    // Ring colours: band 1 level 92 -> row 0, band 5 level 69 -> row 23,
    // band 9 level 46 -> row 46, band 13 level 24 -> row 68, band 17 level 80 -> row 12.
    Draw(Levels({{1, 92}, {5, 69}, {9, 46}, {13, 24}, {17, 80}, {2, 50}, {18, 50}}));
    const QRgb c1 = Rgb(255, 95, 95), c5 = Rgb(255, 255, 95), c9 = Rgb(95, 255, 102), c13 = Rgb(95, 255, 255),
               c17 = Rgb(255, 179, 95);
    const QRgb colours[5] = {c1, c5, c9, c13, c17};
    const std::vector<QPoint> patches[5] = {
        {},
        {{128, 55}, {129, 55}, {128, 56}, {129, 56}},
        {{86, 56}, {87, 56}, {87, 55}, {88, 55}},
        {{82, 55}, {83, 55}, {82, 56}, {83, 56}},
        {{40, 56}, {41, 56}, {41, 55}, {42, 55}},
    };
    const int boxes[5][2] = {{110, 14}, {87, 35}, {64, 14}, {41, 35}, {18, 14}};

    // Each outline is 2 pixels thick, fills its 43 x 43 box and no more, is
    // symmetric, and leaves the centre.
    TSpectrumRings rings;
    for (int k = 0; k < 5; ++k) {
        const int l = boxes[k][0], t = boxes[k][1];
        std::set<std::pair<int, int>> outline;
        for (QPoint p : rings.Outline(k))
            outline.insert({p.x(), p.y()});
        int minX = 999, maxX = -1, minY = 999, maxY = -1;
        for (auto [x, y] : outline) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            ASSERT_TRUE(outline.count({2 * l + 42 - x, y}) && outline.count({x, 2 * t + 42 - y})) << x << "," << y;
        }
        EXPECT_EQ(QRect(l, t, 43, 43), QRect(QPoint(minX, minY), QPoint(maxX, maxY))) << "ring " << k;
        for (auto [x, y] : {std::pair{l, t + 21}, {l + 1, t + 21}, {l + 21, t}, {l + 21, t + 1}})
            EXPECT_TRUE(outline.count({x, y})) << "ring " << k << " " << x << "," << y;
        for (auto [x, y] : {std::pair{l + 2, t + 21}, {l + 21, t + 2}, {l + 21, t + 21}})
            EXPECT_FALSE(outline.count({x, y})) << "ring " << k << " " << x << "," << y;
    }

    // The picture: rings in order, each followed by its patch in the colour
    // of the ring before; everything else as the clear left it.
    QImage expected(171, 92, QImage::Format_RGB32);
    expected.fill(kRingBackground);
    for (int k = 0; k < 5; ++k) {
        for (QPoint p : rings.Outline(k))
            expected.setPixel(p, colours[k]);
        for (QPoint p : patches[k])
            expected.setPixel(p, colours[k - 1]);
    }
    EXPECT_EQ(expected, Image());
    EXPECT_EQ(c1, Image().pixel(128, 55));
    EXPECT_EQ(c13, Image().pixel(42, 55));

    // The next frame moves everything one pixel left: the leftmost point of
    // the band-17 ring now stands at x = 17, outside every ring.
    Draw(Levels({}));
    EXPECT_EQ(c17, Image().pixel(17, 35));
    EXPECT_EQ(kRingBackground, Image().pixel(16, 35));
    EXPECT_EQ(kRingBackground, Image().pixel(170, 35));   // the right edge keeps what it had
}

TEST_F(SpectrumFrameTest, ClearDropsPeaksKeepsAgesAndBlanksOnlyTheHistoryPicture)
{
    mode = 3;
    Draw(Levels({{3, 30}}));
    Draw(Levels({}));
    Draw(Levels({}));
    frame.Clear(3, true);
    EXPECT_EQ(0.0f, frame.PeakLevel(3));
    EXPECT_EQ(2, frame.PeakAge(3));
    EXPECT_NE(0, Count(Image(), kBlue));   // modes 1 ... 5 keep the picture

    frame.Clear(6, false);
    EXPECT_EQ(171 * 92, Count(Image(), kRingBackground));
    frame.Clear(6, true);
    EXPECT_EQ(171 * 92, Count(Image(), kBlack));
}

TEST_F(SpectrumFrameTest, AnyLevelsInAnyModeStayInsideThePicture)
{
    std::mt19937 random(15);
    std::uniform_int_distribution<int> level(0, 65535), small(0, 95), modeOf(0, 7);
    for (int n = 0; n < 3000; ++n) {
        TBandOut bands;
        for (auto &b : bands)
            b = std::uint16_t(n % 3 ? small(random) : level(random));
        frame.Draw(bands, modeOf(random), n % 2);
        for (int band = 1; band <= 19; ++band)
            ASSERT_TRUE(frame.PeakLevel(band) >= 0.0f && frame.PeakLevel(band) <= 92.01f);
    }
    EXPECT_EQ(QSize(171, 92), Image().size());

    frame.Free();
    frame.Draw(Levels({{1, 50}}), 3, true);   // after the bitmaps went: ignored
    EXPECT_TRUE(Image().isNull());
}

}  // namespace
}  // namespace quaverly
