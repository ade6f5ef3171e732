#include "base/WindowMessages.h"

#include <gtest/gtest.h>

using namespace Tarn;

TEST(WindowMessages, PointRoundTrips)
{
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 479}, {1, 32767}, {-1, -1}, {-32768, 12}, {-5, 300}}) {
        const std::intptr_t param = PackPointParam(x, y);
        EXPECT_EQ(PointParamX(param), x);
        EXPECT_EQ(PointParamY(param), y);
    }
}

TEST(WindowMessages, PointLayoutIsLowXHighY)
{
    EXPECT_EQ(PackPointParam(0x12, 0x34), 0x00340012);
    EXPECT_EQ(PackPointParam(-1, 0), 0x0000FFFF);
    EXPECT_EQ(PackPointParam(0, -2), static_cast<std::intptr_t>(0xFFFE0000u));
}

TEST(WindowMessages, CoordinatesBeyondSixteenBitsWrap)
{
    // What the platform does too: only the low 16 bits travel.
    EXPECT_EQ(PointParamX(PackPointParam(65536 + 7, 0)), 7);
    EXPECT_EQ(PointParamY(PackPointParam(0, 40000)), 40000 - 65536);
}

TEST(WindowMessages, KeyParamMarksRepeatsAndReleases)
{
    EXPECT_FALSE(IsRepeatedKeyDown(PackKeyParam(true, false, false)));
    EXPECT_TRUE(IsRepeatedKeyDown(PackKeyParam(true, true, false)));
    EXPECT_FALSE(IsRepeatedKeyDown(PackKeyParam(false, false, false)));
    EXPECT_NE(PackKeyParam(false, false, false) & KeyParam::ReleasedBit, 0);
    EXPECT_EQ(PackKeyParam(true, false, false) & 0xFFFF, 1);
}

TEST(WindowMessages, KeyParamCarriesAlt)
{
    EXPECT_TRUE(IsAltHeld(PackKeyParam(true, false, true)));
    EXPECT_FALSE(IsAltHeld(PackKeyParam(true, false, false)));
}
