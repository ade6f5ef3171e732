#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "media/CNewFile.h"
#include "media/PngImage.h"
#include "tests/support/DecodedPictures.h"
#include "tests/support/TempFolder.h"

using namespace Tarn;

namespace {

// Every pixel different, so that a swapped channel, a flipped row or a
// shifted stride shows.
Tarn::RgbImage Gradient(int width, int height)
{
    Tarn::RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.At(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 11);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    return image;
}

TEST(PngImage, ReadsBackPixelForPixel)
{
    TestSupport::TempFolder folder;
    const Tarn::RgbImage image = Gradient(37, 21);
    int error = 0;
    auto file = CNewFile::Create(folder.File("picture.png"), &error);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(WritePng(*file, image));
    file.reset();

    const Tarn::RgbImage read = TestSupport::ReadPng(folder.File("picture.png"));
    EXPECT_EQ(read.width, 37);
    EXPECT_EQ(read.height, 21);
    EXPECT_EQ(read.pixels, image.pixels);
}

TEST(PngImage, AnEmptyOrMismatchedPictureWritesNoFile)
{
    TestSupport::TempFolder folder;
    Tarn::RgbImage broken(4, 4);
    broken.pixels.resize(5);
    for (const Tarn::RgbImage& image : {Tarn::RgbImage{}, broken}) {
        EXPECT_TRUE(EncodePng(image).empty());
        int error = 0;
        auto file = CNewFile::Create(folder.File("picture.png"), &error);
        ASSERT_NE(file, nullptr);
        EXPECT_FALSE(WritePng(*file, image));
        EXPECT_EQ(file->ErrorNumber(), ENOMEM);
        file.reset();
        EXPECT_FALSE(std::filesystem::exists(folder.File("picture.png")));
    }
}

} // namespace
