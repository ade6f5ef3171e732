#pragma once
#include <cstdint>
#include <string>

#include "base/RgbImage.h"
#include "media/IOutputFile.h"

namespace Tarn {

// The H.264 and MP4 work behind CMp4Video. It lives in a module of its own
// (libkorvale_mp4.so), loaded the first time a film is made: FFmpeg's
// libraries take some 40 ms to load, which programs that make no film
// should not pay at every start.
class IMp4Encoder {
public:
    virtual ~IMp4Encoder() = default;
    // Encodes the next frame (of the film's size) and hands what the encoder
    // gives to the file.
    virtual bool AddFrame(const RgbImage& image) = 0;
    // Encodes what the encoder still holds and writes the end of the file.
    virtual bool Finish() = 0;
    // The one-line reason of the failure.
    virtual const std::string& Error() const = 0;
    // Encoded frames the file has taken.
    virtual std::int64_t PacketsWritten() const = 0;
};

// The module's one entry point: an encoder writing into `file`, or null with
// the reason in `error`. The caller owns the encoder.
using CreateMp4EncoderFunction = IMp4Encoder*(IOutputFile& file, int width, int height, int framesPerSecond,
                                              std::string& error);
inline constexpr const char* CreateMp4EncoderSymbol = "KorvaleCreateMp4Encoder";

} // namespace Tarn
