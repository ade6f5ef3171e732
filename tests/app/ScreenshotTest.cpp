#include <gtest/gtest.h>

#include <filesystem>

#include "app/Screenshot.h"
#include "tests/support/DecodedPictures.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(Screenshot, EachGoesIntoTheNextFreeNumberedFile)
{
    TestSupport::TempFolder folder;
    folder.Write("korvale-0001.png", "someone else's");
    Tarn::RgbImage frame(20, 10);
    frame.At(3, 4)[0] = 200;

    const Korvale::ScreenshotOutcome first = Korvale::SaveScreenshot(frame, folder.File(""));
    EXPECT_TRUE(first.saved);
    EXPECT_EQ(first.text, "Screenshot saved as " + folder.File("korvale-0002.png"));
    const Korvale::ScreenshotOutcome second = Korvale::SaveScreenshot(frame, folder.File(""));
    EXPECT_EQ(second.text, "Screenshot saved as " + folder.File("korvale-0003.png"));

    EXPECT_EQ(folder.Read("korvale-0001.png"), "someone else's");
    const Tarn::RgbImage read = TestSupport::ReadPng(folder.File("korvale-0002.png"));
    EXPECT_EQ(read.pixels, frame.pixels);
}

TEST(Screenshot, AFolderThatTakesNoFileSaysWhy)
{
    TestSupport::TempFolder folder;
    const Korvale::ScreenshotOutcome outcome = Korvale::SaveScreenshot(Tarn::RgbImage(4, 4), folder.File("gone"));
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.text, "Screenshot not saved: No such file or directory");
}

} // namespace
