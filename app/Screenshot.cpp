#include "app/Screenshot.h"

#include <cstring>

#include "media/CNewFile.h"
#include "media/PngImage.h"

namespace Korvale {

ScreenshotOutcome SaveScreenshot(const Tarn::RgbImage& frame, const std::string& folder)
{
    int error = 0;
    std::unique_ptr<Tarn::CNewFile> file = Tarn::CNewFile::CreateNumbered(folder, "korvale-", ".png", &error);
    if (file == nullptr)
        return {false, std::string("Screenshot not saved: ") + std::strerror(error)};
    if (!Tarn::WritePng(*file, frame))
        return {false, "Screenshot not saved: " + file->Path() + ": " + std::strerror(file->ErrorNumber())};
    return {true, "Screenshot saved as " + file->Path()};
}

} // namespace Korvale
