#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/CMp4Video.h"
#include "media/CNewFile.h"
#include "tests/support/DecodedPictures.h"
#include "tests/support/TempFolder.h"

using namespace Tarn;
using TestSupport::Near;

namespace {

Tarn::RgbImage Filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    Tarn::RgbImage image(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
        image.pixels[i] = r;
        image.pixels[i + 1] = g;
        image.pixels[i + 2] = b;
    }
    return image;
}

// The durations of a film's header as a player that reads only the header
// sees them, in seconds: the movie's (mvhd), the track's (tkhd, in the
// movie's time scale) and the track media's (mdhd, in its own). Read from
// the fixed places of version-0 boxes, as FFmpeg writes them.
struct HeaderDurations {
    double movie = -1;
    double track = -1;
    double media = -1;
};

HeaderDurations ReadHeaderDurations(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto word = [&bytes](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        return static_cast<double>(value);
    };
    HeaderDurations durations;
    const std::size_t mvhd = bytes.find("mvhd");
    const std::size_t tkhd = bytes.find("tkhd");
    const std::size_t mdhd = bytes.find("mdhd");
    if (mvhd == std::string::npos || tkhd == std::string::npos || mdhd == std::string::npos)
        return durations;
    const double movieScale = word(mvhd + 16);
    durations.movie = word(mvhd + 20) / movieScale;
    durations.track = word(tkhd + 24) / movieScale;
    durations.media = word(mdhd + 20) / word(mdhd + 16);
    return durations;
}

class Mp4VideoTest : public testing::Test {
protected:
    std::unique_ptr<CMp4Video> Start(const CMp4Video::Settings& settings, std::string* error = nullptr)
    {
        int errorNumber = 0;
        auto file = CNewFile::Create(Path(), &errorNumber);
        EXPECT_NE(file, nullptr);
        return CMp4Video::Create(std::move(file), settings, error);
    }
    std::string Path() const { return folder.File("film.mp4"); }

    TestSupport::TempFolder folder;
};

// A player sees every frame, in order, in its colour, for 1/fps seconds.
TEST_F(Mp4VideoTest, DecodesBackToItsFramesSizeAndDuration)
{
    auto video = Start({64, 48, 15});
    ASSERT_NE(video, nullptr);
    // Two seconds of red, one of blue.
    for (int i = 0; i < 45; ++i)
        ASSERT_TRUE(video->AddFrame(i < 30 ? Filled(64, 48, 255, 0, 0) : Filled(64, 48, 0, 0, 255))) << video->Error();
    ASSERT_TRUE(video->Finish()) << video->Error();
    EXPECT_EQ(video->FrameCount(), 45);
    video.reset();

    const auto film = TestSupport::DecodedVideo::Read(Path());
    ASSERT_TRUE(film.opened);
    EXPECT_EQ(film.codec, "h264");
    EXPECT_EQ(film.pixelFormat, "yuv420p");
    EXPECT_EQ(film.width, 64);
    EXPECT_EQ(film.height, 48);
    EXPECT_NEAR(film.seconds, 3.0, 1e-6);
    ASSERT_EQ(film.FrameCount(), 45u);
    for (std::size_t i = 0; i < film.FrameCount(); ++i)
        EXPECT_NEAR(film.frameTimes[i], static_cast<double>(i) / 15, 1e-6);
    EXPECT_TRUE(Near(film.frames[29].At(32, 24), 255, 0, 0, 12));
    EXPECT_TRUE(Near(film.frames[30].At(32, 24), 0, 0, 255, 12));

    // Players that read only the header see the length too.
    const HeaderDurations header = ReadHeaderDurations(Path());
    EXPECT_DOUBLE_EQ(header.movie, 3.0);
    EXPECT_DOUBLE_EQ(header.track, 3.0);
    EXPECT_DOUBLE_EQ(header.media, 3.0);
}

TEST_F(Mp4VideoTest, TakesOnlyFramesOfItsOwnEvenSize)
{
    std::string error;
    EXPECT_EQ(Start({65, 48, 30}, &error), nullptr);
    EXPECT_EQ(error, "the film needs an even width and height");
    EXPECT_FALSE(std::filesystem::exists(Path()));

    auto video = Start({64, 48, 30});
    ASSERT_NE(video, nullptr);
    EXPECT_FALSE(video->AddFrame(Filled(48, 64, 0, 0, 0)));
    EXPECT_EQ(video->Error(), "a frame of the wrong size");
    // Once failed, a film takes nothing more.
    EXPECT_FALSE(video->AddFrame(Filled(64, 48, 0, 0, 0)));
    EXPECT_FALSE(video->Finish());
}

TEST_F(Mp4VideoTest, AnUnfinishedFilmKeepsItsFramesAndOneWithoutFramesGoes)
{
    auto empty = Start({64, 48, 30});
    ASSERT_NE(empty, nullptr);
    empty.reset();
    EXPECT_FALSE(std::filesystem::exists(Path()));

    auto video = Start({64, 48, 30});
    ASSERT_NE(video, nullptr);
    // More frames than the encoder holds back, as a long run that stops does.
    for (int i = 0; i < 90; ++i)
        ASSERT_TRUE(video->AddFrame(Filled(64, 48, static_cast<std::uint8_t>(i * 2), 0, 0)));
    video.reset();
    const auto film = TestSupport::DecodedVideo::Read(Path(), false);
    ASSERT_TRUE(film.opened);
    EXPECT_GT(film.FrameCount(), 0u);
    EXPECT_LT(film.FrameCount(), 90u);
    // Cut short, its header keeps the 0 it was written with; it plays from
    // its fragments.
    const HeaderDurations header = ReadHeaderDurations(Path());
    EXPECT_EQ(header.movie, 0.0);
    EXPECT_EQ(header.media, 0.0);
}

} // namespace

// Installed, the encoder module lies beside the Python module and in the
// programs' lib/korvale/; the build's own is the last resort. The Python
// module never takes the one of the interpreter's prefix.
TEST(Mp4EncoderModule, IsLookedForBesideTheModuleOrInTheProgramsPrefixThenInTheBuild)
{
    const auto module =
        CMp4Video::EncoderModuleCandidates("/opt/k/lib/python3/dist-packages/korvale/_korvale.so", "/usr/bin/python3");
    ASSERT_EQ(module.size(), 2u);
    EXPECT_EQ(module[0], "/opt/k/lib/python3/dist-packages/korvale/libkorvale_mp4.so");
    EXPECT_TRUE(std::filesystem::is_regular_file(module[1])) << module[1];

    const auto program = CMp4Video::EncoderModuleCandidates("/usr/bin/korvale-sim", "/usr/bin/korvale-sim");
    EXPECT_EQ(program, (std::vector<std::string>{"/usr/lib/korvale/libkorvale_mp4.so", module[1]}));
    EXPECT_EQ(CMp4Video::EncoderModuleCandidates("korvale-sim", ""), std::vector<std::string>{module[1]});
}
