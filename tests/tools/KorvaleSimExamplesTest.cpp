#include <gtest/gtest.h>

#include <cmath>

#include "KorvaleSimRun.h"

using namespace KorvaleSimRun;

namespace {

const char* const scenes[] = {"Default.xml", "OpenArena.xml", "Rooms.xml", "Crowded.xml"};

struct Path {
    std::vector<double> x, y;

    // The farthest the robot gets from where it was at frame `from` within `frames` frames.
    double Reach(std::size_t from, std::size_t frames) const
    {
        double farthest = 0;
        for (std::size_t i = from; i < from + frames && i < x.size(); ++i)
            farthest = std::max(farthest, std::hypot(x[i] - x[from], y[i] - y[from]));
        return farthest;
    }
};

Path ReadPath(const Trace& trace)
{
    Path path;
    for (std::size_t i = 0; i < trace.rows.size(); ++i) {
        path.x.push_back(trace.Value(i, "x"));
        path.y.push_back(trace.Value(i, "y"));
    }
    return path;
}

class ExampleScene : public ::testing::TestWithParam<const char*> {
protected:
    Folder folder;
};

// The obstacle avoider keeps the robot going for two minutes in every
// example: at least 10 units away from where it was within every 20 s, and
// never pinned anywhere (against a wall or a body) for 3 s.
TEST_P(ExampleScene, AvoiderKeepsMovingAndNeverGetsStuck)
{
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", Example(GetParam()), "--robot", Example("Robot.xml"), "--network",
                                      Example("AvoidObstacles.xml"), "--seconds", "120", "--trace", trace, "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Path path = ReadPath(Trace::Read(trace));
    ASSERT_EQ(path.x.size(), 7200u);

    constexpr std::size_t window = 20 * 60;
    for (std::size_t from = 0; from + window <= path.x.size(); from += 30)
        ASSERT_GE(path.Reach(from, window), 10.0) << "slow from " << from / 60.0 << " s";

    constexpr std::size_t pinned = 3 * 60;
    for (std::size_t from = 0; from + pinned <= path.x.size(); from += 10)
        ASSERT_GE(path.Reach(from, pinned), 1.0)
            << "stuck at " << path.x[from] << ", " << path.y[from] << " from " << from / 60.0 << " s";
}

TEST_P(ExampleScene, LoadsWithTheKeyboardAndStaysAtItsStart)
{
    const Result result =
        folder.Run({"--scene", Example(GetParam()), "--robot", Example("Robot.xml"), "--steps", "60", "--quiet"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleScene, ::testing::ValuesIn(scenes),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(ExampleNetworks, DriveForwardAlwaysDrivesForward)
{
    Folder folder;
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", Example("OpenArena.xml"), "--robot", Example("Robot.xml"), "--network",
                                      Example("DriveForward.xml"), "--seconds", "10", "--trace", trace});
    ASSERT_EQ(result.status, 0) << result.err;
    const Trace t = Trace::Read(trace);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        ASSERT_EQ(t.Value(i, "forward"), 1);
        ASSERT_EQ(t.Value(i, "backward") + t.Value(i, "left") + t.Value(i, "right"), 0);
    }
}

TEST(ExampleNetworks, SameFilesAndOptionsGiveTheSameTraceByteForByte)
{
    Folder folder;
    const std::vector<std::string> run = {"--scene", Example("Crowded.xml"), "--robot", Example("Robot.xml"),
                                          "--network", Example("AvoidObstacles.xml"), "--seconds", "30", "--quiet",
                                          "--trace"};
    std::vector<std::string> first = run, second = run;
    first.push_back(folder.File("first.csv"));
    second.push_back(folder.File("second.csv"));
    ASSERT_EQ(folder.Run(first).status, 0);
    ASSERT_EQ(folder.Run(second).status, 0);
    const std::string a = ReadFile(folder.File("first.csv"));
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, ReadFile(folder.File("second.csv")));
}

} // namespace
