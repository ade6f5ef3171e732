#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "KorvaleSimRun.h"
#include "tests/support/DecodedPictures.h"

using namespace KorvaleSimRun;
using TestSupport::Near;

namespace {

// Where a world point of an arena fitted into a W x H picture lands: the
// larger arena side spans 95 % of the picture's shorter side.
struct Camera {
    double width, height, zoom, centreX, centreY;

    Camera(int w, int h, double arenaWidth, double arenaHeight)
        : width(w), height(h), zoom(0.95 * std::min(w, h) / std::max(arenaWidth, arenaHeight)), centreX(arenaWidth / 2),
          centreY(arenaHeight / 2)
    {
    }
    int X(double x) const { return static_cast<int>(std::lround(width / 2 + zoom * (x - centreX))); }
    int Y(double y) const { return static_cast<int>(std::lround(height / 2 - zoom * (y - centreY))); }
};

bool BlackNear(const Tarn::RgbImage& picture, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Near(picture.At(x + dx, y + dy), 0, 0, 0, 20))
                return true;
    return false;
}

// The mean position of the robot's body colour, #3366cc.
std::pair<double, double> RobotCentre(const Tarn::RgbImage& picture)
{
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (Near(picture.At(x, y), 0x33, 0x66, 0xCC, 24)) {
                sx += x;
                sy += y;
                ++n;
            }
    return n == 0 ? std::pair{-1.0, -1.0} : std::pair{sx / n, sy / n};
}

double MeanDifference(const Tarn::RgbImage& a, const Tarn::RgbImage& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        sum += std::abs(a.pixels[i] - b.pixels[i]);
    return sum / static_cast<double>(a.pixels.size());
}

class KorvaleSimPictures : public ::testing::Test {
protected:
    std::vector<std::string> Robot(std::vector<std::string> more) const
    {
        std::vector<std::string> arguments = {"--scene", Example("OpenArena.xml"), "--robot", Example("Robot.xml")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }

    // Runs korvale-sim with files limited to `bytes`, as on a full disk.
    Result RunOnFullDisk(const std::vector<std::string>& arguments, rlim_t bytes) const
    {
        const std::string program = std::string(KORVALE_BINARY_DIR) + "/tools/korvale-sim";
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const std::string out = folder.File("stdout.txt"), err = folder.File("stderr.txt");
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{bytes, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            ::execv(program.c_str(), argv.data());
            std::_Exit(127);
        }
        int raw = 0;
        ::waitpid(child, &raw, 0);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    }

    Folder folder;
};

// ---- what is refused

TEST_F(KorvaleSimPictures, PictureOptionsItCannotUseAreUsageErrors)
{
    const std::string png = folder.File("s.png"), mp4 = folder.File("v.mp4");
    const std::vector<std::pair<std::vector<std::string>, std::string>> table = {
        {{"--snapshot", png, "--size", "15x800"}, "--size must be from 16x16 to 8192x8192, not '15x800'"},
        {{"--snapshot", png, "--size", "800x8193"}, "--size must be from 16x16 to 8192x8192, not '800x8193'"},
        {{"--snapshot", png, "--size", "99999999999x16"},
         "--size must be from 16x16 to 8192x8192, not '99999999999x16'"},
        {{"--snapshot", png, "--size", "800"}, "--size needs WIDTHxHEIGHT in pixels, such as 800x600, not '800'"},
        {{"--snapshot", png, "--size", "-20x20"}, "--size needs WIDTHxHEIGHT in pixels, such as 800x600, not '-20x20'"},
        {{"--video", mp4, "--size", "801x600"}, "--video needs an even width and height, not '801x600'"},
        {{"--video", mp4, "--fps", "0"}, "--fps needs a whole number of frames a second from 1 to 1000, not '0'"},
        {{"--video", mp4, "--fps", "29.97"},
         "--fps needs a whole number of frames a second from 1 to 1000, not '29.97'"},
        {{"--snapshot", png, "--fps", "30"}, "--fps needs --video FILE"},
        {{"--size", "64x64"}, "--size needs --snapshot FILE or --video FILE"},
        {{"--follow"}, "--follow needs --snapshot FILE or --video FILE"},
        {{"--snapshot", ""}, "--snapshot needs a file name"},
        {{"--snapshot", mp4, "--video", mp4}, "--snapshot and --video need two different files"},
    };
    for (const auto& [options, message] : table) {
        const Result result = folder.Run(Robot(options));
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.err, "korvale-sim: " + message + " (korvale-sim --help shows the usage)\n");
    }
    const Result noRobot =
        folder.Run({"--scene", Example("OpenArena.xml"), "--steps", "1", "--snapshot", png, "--follow"});
    EXPECT_EQ(noRobot.status, 2);
    EXPECT_EQ(noRobot.err, "korvale-sim: --follow needs --robot FILE (korvale-sim --help shows the usage)\n");
    EXPECT_FALSE(std::filesystem::exists(png));
    EXPECT_FALSE(std::filesystem::exists(mp4));
}

// A name in the way stops the run before anything is written.
TEST_F(KorvaleSimPictures, AnExistingOrUnwritableOutputStopsTheRunWithOneLine)
{
    const std::string taken = folder.Write("taken.mp4", "keep");
    const std::string snapshot = folder.File("s.png"), trace = folder.File("t.csv");
    Result result = folder.Run(Robot({"--steps", "10", "--trace", trace, "--snapshot", snapshot, "--video", taken}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "korvale-sim: the video '" + taken + "' already exists\n");
    EXPECT_EQ(ReadFile(taken), "keep");
    EXPECT_FALSE(std::filesystem::exists(snapshot));
    EXPECT_FALSE(std::filesystem::exists(trace));

    const std::string nowhere = folder.File("no/such/folder/s.png");
    result = folder.Run(Robot({"--steps", "10", "--snapshot", nowhere}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "korvale-sim: cannot write the snapshot '" + nowhere + "': No such file or directory\n");
}

// ---- what is drawn

// The window's world view: the arena fitted into the picture, the border,
// the red disc where the viewport puts it, the robot at its start.
TEST_F(KorvaleSimPictures, SnapshotShowsTheArenaTheBodiesAndTheRobotWhereTheViewportPutsThem)
{
    const std::string png = folder.File("s.png");
    const Result result = folder.Run(Robot({"--steps", "5", "--snapshot", png, "--size", "400x300", "--quiet"}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    const Tarn::RgbImage picture = TestSupport::ReadPng(png);
    ASSERT_EQ(picture.width, 400);
    ASSERT_EQ(picture.height, 300);

    const Camera camera(400, 300, 100, 100);
    EXPECT_TRUE(Near(picture.At(2, 2), 0, 0, 0xAA, 0)); // the world view's ground
    for (double t : {10.0, 50.0, 90.0}) {
        EXPECT_TRUE(BlackNear(picture, camera.X(0), camera.Y(t))) << "left " << t;
        EXPECT_TRUE(BlackNear(picture, camera.X(100), camera.Y(t))) << "right " << t;
        EXPECT_TRUE(BlackNear(picture, camera.X(t), camera.Y(0))) << "bottom " << t;
        EXPECT_TRUE(BlackNear(picture, camera.X(t), camera.Y(100))) << "top " << t;
    }
    EXPECT_TRUE(Near(picture.At(camera.X(50), camera.Y(50)), 0xFF, 0, 0, 0)); // the red disc
    EXPECT_TRUE(Near(picture.At(camera.X(30), camera.Y(80)), 0xFF, 0xA5, 0, 0)); // the orange one
    const auto [x, y] = RobotCentre(picture);
    EXPECT_NEAR(x, camera.X(15), 2.0);
    EXPECT_NEAR(y, camera.Y(50), 2.0);
}

TEST_F(KorvaleSimPictures, FollowKeepsTheRobotNearTheMiddle)
{
    // Two seconds forward: the robot leaves the arena's middle far behind.
    const std::string png = folder.File("s.png");
    const Result result = folder.Run(Robot({"--network", Example("DriveForward.xml"), "--seconds", "2", "--snapshot",
                                            png, "--size", "200x200", "--follow", "--quiet"}));
    ASSERT_EQ(result.status, 0) << result.err;
    // The view trails the robot by a few units, as in the window; left to
    // itself the robot would be some 35 pixels left of the middle.
    const auto [x, y] = RobotCentre(TestSupport::ReadPng(png));
    EXPECT_NEAR(x, 100, 14.0);
    EXPECT_NEAR(y, 100, 3.0);
}

// One frame each 1/fps simulated seconds, whatever the step: the film lasts
// as long as the run; each frame shows the world at the end of its time, the
// first after the frame end nearest to 1/fps, the last as the snapshot does.
TEST_F(KorvaleSimPictures, VideoHasAFramePerTimeStepWhateverTheFrameTime)
{
    struct Case {
        std::string dt, seconds, fps;
        std::size_t frames;
        std::string firstFrameSteps;
    };
    const auto run = [this](const std::string& dt, const std::vector<std::string>& more) {
        std::vector<std::string> arguments = {"--network", Example("DriveForward.xml"), "--dt", dt, "--size", "320x240",
                                              "--quiet"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const Result result = folder.Run(Robot(arguments));
        EXPECT_EQ(result.status, 0) << result.err;
    };
    for (const Case& c : {Case{"0.0166666667", "2", "15", 30, "4"}, Case{"0.1", "1.5", "30", 45, "1"},
                          Case{"0.03", "0.6", "50", 30, "1"}}) {
        const std::string mp4 = folder.File("v" + c.fps + ".mp4"), last = folder.File("last" + c.fps + ".png");
        const std::string first = folder.File("first" + c.fps + ".png");
        run(c.dt, {"--seconds", c.seconds, "--fps", c.fps, "--video", mp4, "--snapshot", last});
        run(c.dt, {"--steps", c.firstFrameSteps, "--snapshot", first});

        const auto film = TestSupport::DecodedVideo::Read(mp4);
        ASSERT_TRUE(film.opened) << c.fps;
        EXPECT_EQ(film.width, 320);
        EXPECT_EQ(film.height, 240);
        ASSERT_EQ(film.FrameCount(), c.frames) << c.fps;
        EXPECT_NEAR(film.seconds, std::stod(c.seconds), 1e-6) << c.fps;
        EXPECT_NEAR(film.frameTimes.back(), (c.frames - 1.0) / std::stod(c.fps), 1e-6);
        // Compression blurs every edge a little, alike in both comparisons;
        // the robot's move tells which end of the run a frame shows.
        const Tarn::RgbImage firstPicture = TestSupport::ReadPng(first), lastPicture = TestSupport::ReadPng(last);
        const double toFirst = MeanDifference(film.frames.front(), firstPicture);
        const double toLast = MeanDifference(film.frames.back(), lastPicture);
        EXPECT_LT(toFirst, MeanDifference(film.frames.front(), lastPicture) - 0.1) << c.fps;
        EXPECT_LT(toLast, MeanDifference(film.frames.back(), firstPicture) - 0.1) << c.fps;
    }
}

// A full disk stops the film with one line; what reached the disk still plays.
TEST_F(KorvaleSimPictures, FullDiskStopsTheVideoAndKeepsItPlayable)
{
    const std::string mp4 = folder.File("v.mp4");
    const Result result = RunOnFullDisk(Robot({"--network", Example("AvoidObstacles.xml"), "--seconds", "20", "--video",
                                               mp4, "--size", "320x320", "--quiet"}),
                                        60000);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.err.rfind("korvale-sim: the video '" + mp4 + "' stopped at frame ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(" of 600: cannot write the film: File too large\n"), std::string::npos) << result.err;

    const auto film = TestSupport::DecodedVideo::Read(mp4, false);
    ASSERT_TRUE(film.opened);
    EXPECT_GT(film.FrameCount(), 10u);
    EXPECT_LT(film.FrameCount(), 600u);
}

} // namespace
