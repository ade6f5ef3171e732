#include "host/Framework.h"
#include "host/HostFlags.h"

#include <gtest/gtest.h>

using Host::ParseHostFlags;

TEST(HostFlags, EmptyCommandLineKeepsDefaults)
{
    const auto result = ParseHostFlags({});
    ASSERT_TRUE(result.Ok());
    EXPECT_FALSE(result.flags.fullScreen);
    EXPECT_FALSE(result.flags.constantFrameTime);
    EXPECT_FALSE(result.flags.quitAfterFrame);
    EXPECT_FALSE(result.flags.seed);
}

TEST(HostFlags, SeedTakesEvery64BitNumberAndNegativesCountModulo2To64)
{
    EXPECT_EQ(ParseHostFlags({"-seed:0"}).flags.seed, 0u);
    EXPECT_EQ(ParseHostFlags({"-seed:18446744073709551615"}).flags.seed, 18446744073709551615u);
    EXPECT_EQ(ParseHostFlags({"-Seed:-2"}).flags.seed, 18446744073709551614u);
    EXPECT_EQ(ParseHostFlags({"-seed:-9223372036854775808"}).flags.seed, 9223372036854775808u);
}

TEST(HostFlags, ValuesAreReadAfterTheColon)
{
    const auto result = ParseHostFlags({"-width:800", "-height:600", "-startx:-20", "-starty:40", "-adapter:1",
                                        "-quitafterframe:300", "-constantframetime:0.05", "-forcevsync:0"});
    ASSERT_TRUE(result.Ok()) << result.unrecognized;
    EXPECT_EQ(result.flags.width, 800);
    EXPECT_EQ(result.flags.height, 600);
    EXPECT_EQ(result.flags.startX, -20);
    EXPECT_EQ(result.flags.startY, 40);
    EXPECT_EQ(result.flags.adapter, 1);
    EXPECT_EQ(result.flags.quitAfterFrame, 300);
    EXPECT_FLOAT_EQ(*result.flags.constantFrameTime, 0.05f);
    EXPECT_EQ(result.flags.forceVsync, false);
}

TEST(HostFlags, SwitchesWithoutValue)
{
    const auto result = ParseHostFlags({"-windowed", "-fullscreen", "-forceref", "-forcehal", "-nostats",
                                        "-noerrormsgboxes", "-automation", "-forcevsync"});
    ASSERT_TRUE(result.Ok()) << result.unrecognized;
    EXPECT_TRUE(result.flags.windowed);
    EXPECT_TRUE(result.flags.fullScreen);
    EXPECT_TRUE(result.flags.forceSoftware);
    EXPECT_TRUE(result.flags.forceHardware);
    EXPECT_TRUE(result.flags.noStats);
    EXPECT_TRUE(result.flags.noErrorMessageBoxes);
    EXPECT_TRUE(result.flags.automation);
    EXPECT_EQ(result.flags.forceVsync, true);
}

TEST(HostFlags, DeviceFlagsWithoutMeaningAreAccepted)
{
    EXPECT_TRUE(ParseHostFlags({"-forcepurehwvp", "-forcehwvp", "-forceswvp", "-relaunchmce"}).Ok());
}

TEST(HostFlags, NamesIgnoreCase)
{
    const auto result = ParseHostFlags({"-ConstantFrameTime", "-NOSTATS"});
    ASSERT_TRUE(result.Ok());
    EXPECT_FLOAT_EQ(*result.flags.constantFrameTime, Host::DefaultConstantFrameTime);
    EXPECT_TRUE(result.flags.noStats);
}

TEST(HostFlags, UnknownOrMalformedArgumentsAreNamed)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string named;
    };
    const Case cases[] = {
        {{"-bogus"}, "bogus"},
        {{"-windowed", "-frob:3"}, "frob:3"},
        {{"Default.xml"}, "Default.xml"},
        {{"-"}, ""},
        {{"-width"}, "width"},
        {{"-width:abc"}, "width:abc"},
        {{"-width:0"}, "width:0"},
        {{"-width:800px"}, "width:800px"},
        {{"-windowed:1"}, "windowed:1"},
        {{"-forcevsync:2"}, "forcevsync:2"},
        {{"-constantframetime:-1"}, "constantframetime:-1"},
        {{"-constantframetime:nan"}, "constantframetime:nan"},
        {{"-quitafterframe"}, "quitafterframe"},
        {{"-seed"}, "seed"},
        {{"-seed:1e3"}, "seed:1e3"},
        {{"-seed:18446744073709551616"}, "seed:18446744073709551616"},
        {{"-seed:-9223372036854775809"}, "seed:-9223372036854775809"},
    };
    for (const Case& c : cases) {
        const auto result = ParseHostFlags(c.arguments);
        EXPECT_FALSE(result.Ok()) << c.named;
        EXPECT_EQ(result.unrecognized, c.named);
    }
}

TEST(HostFlags, FrameworkRefusesUnknownFlagWithStatusTwo)
{
    Host::Framework framework;
    testing::internal::CaptureStderr();
    const int status = framework.Init({"-windowed", "-frobnicate"}, "korvale");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 2);
    EXPECT_EQ(error, "Unrecognized flag: frobnicate\n");
}
