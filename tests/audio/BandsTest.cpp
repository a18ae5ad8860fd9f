#include "audio/Bands.h"

#include <gtest/gtest.h>

#include <array>

using namespace quaverly::audio;

namespace {
std::array<float, 256> Silence() { return std::array<float, 256>{}; }
} // namespace

TEST(BandLevel, WeightsAndRoundsHalvesToEven)
{
    EXPECT_EQ(947, BandLevel(18, 1.0f));  // 3.7 * 256 = 947.2
    EXPECT_EQ(256, BandLevel(0, 1.0f));
    EXPECT_EQ(0, BandLevel(5, 0.0f));
    // 0.5 / 256 * 256 = 0.5 rounds to 0, 1.5 rounds to 2
    EXPECT_EQ(0, BandLevel(0, 0.5f / 256.0f));
    EXPECT_EQ(2, BandLevel(0, 1.5f / 256.0f));
    EXPECT_EQ(65535, BandLevel(18, 1e9f));  // saturates instead of wrapping
    EXPECT_EQ(0, BandLevel(3, -1.0f));
}

TEST(UpdateBands, EachBandTakesThePeakOfItsOwnBins)
{
    // Put a distinct magnitude at the last bin of each band and a larger one
    // just past band 18 (bin 193) and at bin 0: neither may show.
    auto fft = Silence();
    fft[0] = 1.0f;
    fft[193] = 1.0f;
    for (int i = 0; i < 19; ++i)
        fft[BandUpperBin[i]] = 0.01f * (i + 1);
    TBandOut bands{};
    UpdateBands(fft.data(), bands);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(BandLevel(i, 0.01f * (i + 1)), bands[i]) << "band " << i;

    // The first bin of band 17 is 129 (after entry 128 of band 16).
    auto only129 = Silence();
    only129[129] = 0.5f;
    TBandOut b2{};
    UpdateBands(only129.data(), b2);
    EXPECT_EQ(0, b2[16]);
    EXPECT_EQ(BandLevel(17, 0.5f), b2[17]);
}

TEST(UpdateBands, RisesAtOnceAndFallsByTwoNeverBelowTheNewLevel)
{
    auto loud = Silence();
    loud[192] = 1.0f;
    TBandOut bands{};
    UpdateBands(loud.data(), bands);
    EXPECT_EQ(947, bands[18]);

    auto quiet = Silence();
    UpdateBands(quiet.data(), bands);
    EXPECT_EQ(945, bands[18]);
    UpdateBands(quiet.data(), bands);
    EXPECT_EQ(943, bands[18]);

    // The new level 942.x is above old - 2 (941): the band stops there.
    auto almost = Silence();
    almost[192] = 942.0f / 947.2f;
    UpdateBands(almost.data(), bands);
    EXPECT_EQ(BandLevel(18, almost[192]), bands[18]);
    EXPECT_GT(bands[18], 941);

    // Below 2 a band falls to 0, not around through 65535.
    TBandOut low{};
    low[0] = 1;
    UpdateBands(quiet.data(), low);
    EXPECT_EQ(0, low[0]);
}
