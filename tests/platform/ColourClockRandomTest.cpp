#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/SystemColours.h"

#include <ctime>
#include <gtest/gtest.h>
#include <set>

using namespace quaverly;

TEST(SystemColours, TheColoursTheFormUsesAreTheDefaultSchemes)
{
    EXPECT_EQ(RGB(185, 209, 234), SystemColour(COLOR_GRADIENTACTIVECAPTION));
    EXPECT_EQ(RGB(240, 240, 240), SystemColour(COLOR_BTNFACE));
    EXPECT_EQ(RGB(180, 180, 180), SystemColour(COLOR_ACTIVEBORDER));
    EXPECT_EQ(RGB(0, 0, 0), SystemColour(COLOR_BACKGROUND));
    EXPECT_EQ(27, COLOR_GRADIENTACTIVECAPTION);
    EXPECT_EQ(15, COLOR_BTNFACE);
    EXPECT_EQ(10, COLOR_ACTIVEBORDER);
    EXPECT_EQ(1, COLOR_BACKGROUND);
}

TEST(SystemColours, IndicesOutsideTheTableGiveBlack)
{
    EXPECT_EQ(clBlack, SystemColour(-1));
    EXPECT_EQ(clBlack, SystemColour(25));
    EXPECT_EQ(clBlack, SystemColour(31));
    EXPECT_EQ(clBlack, SystemColour(1 << 30));
    EXPECT_NE(clBlack, SystemColour(COLOR_WINDOW));
}

TEST(SystemClock, TicksNeverGoBackAndNowIsTodayAsADayCount)
{
    SystemClock clock;
    auto a = clock.TickCountMs();
    auto b = clock.TickCountMs();
    EXPECT_LE(a, b);
    std::time_t t = std::time(nullptr);
    std::tm local {};
    localtime_r(&t, &local);
    double now = clock.Now();
    double secondsOfDay = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    double fraction = now - double(long(now));
    EXPECT_NEAR(secondsOfDay / 86400.0, fraction, 5.0 / 86400.0);
    // 2020-01-01 is day 43831.
    EXPECT_GT(now, 43831.0);
}

TEST(SystemRandom, StaysInRangeAndCoversIt)
{
    SystemRandom random(42);
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        int v = random.Next(10);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 10);
        seen.insert(v);
    }
    EXPECT_EQ(10u, seen.size());
    EXPECT_EQ(0, random.Next(0));
    EXPECT_EQ(0, random.Next(-3));
    EXPECT_EQ(0, random.Next(1));
}
