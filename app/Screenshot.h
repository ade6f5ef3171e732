#pragma once
#include <string>

#include "base/RgbImage.h"

namespace Korvale {

// What became of a screenshot, as the status line tells it.
struct ScreenshotOutcome {
    bool saved = false;
    std::string text;
};

// Saves a frame of the window (F12) as a new PNG file in the folder (the
// working folder when empty): korvale-0001.png, then korvale-0002.png, and
// so on; a file that exists is never replaced.
ScreenshotOutcome SaveScreenshot(const Tarn::RgbImage& frame, const std::string& folder = {});

} // namespace Korvale
