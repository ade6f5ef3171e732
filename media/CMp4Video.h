#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/RgbImage.h"
#include "media/IMp4Encoder.h"

namespace Tarn {

class CNewFile;

// A film written frame by frame into an MP4 file that common players open:
// H.264 in 4:2:0 (yuv420p) with BT.709 colours, every frame shown for
// 1/framesPerSecond seconds. The file is cut into one fragment a frame, so
// that whatever stops the film on the way (a full disk, a killed program)
// leaves it playable up to the last frame that reached the disk.
//
// Failures are one-line reasons in Error(); after the first one the film
// takes no more frames. The encoding itself is FFmpeg's, in a module loaded
// with the first film (IMp4Encoder).
class CMp4Video {
public:
    struct Settings {
        int width = 0; // even
        int height = 0; // even
        int framesPerSecond = 30;
    };

    // Takes over the new file. None, with the reason in `error`, if the
    // encoder or the file cannot be started.
    static std::unique_ptr<CMp4Video> Create(std::unique_ptr<CNewFile> file, const Settings& settings,
                                             std::string* error);
    // Where the film encoder module is looked for, the first there taken:
    // when `object`, the file that holds this code, is a shared object (the
    // Python module), beside it; else in lib/korvale/ of the running
    // `program`'s prefix (installed programs are in bin/); last in the build
    // that made it. Relative paths are passed over.
    static std::vector<std::string> EncoderModuleCandidates(const std::string& object, const std::string& program);
    // A film that was not finished keeps the frames that reached the file; a
    // file that holds none goes away.
    ~CMp4Video();
    CMp4Video(const CMp4Video&) = delete;
    CMp4Video& operator=(const CMp4Video&) = delete;

    // Adds the next frame, of the film's size.
    bool AddFrame(const RgbImage& image);
    // Encodes what the encoder still holds and ends the file; its header then
    // gives the film's length, frames / framesPerSecond.
    bool Finish();

    std::int64_t FrameCount() const { return frames; }
    const std::string& Error() const { return error; }
    const std::string& Path() const;

private:
    CMp4Video(std::unique_ptr<CNewFile> file, const Settings& settings);
    bool Fail(const std::string& reason);
    // Writes the film's length into its header, which was written when the
    // length was not known yet; false with the file's errno.
    bool WriteDuration();

    std::unique_ptr<CNewFile> file;
    Settings settings;
    std::unique_ptr<IMp4Encoder> encoder; // goes before the file it writes
    std::int64_t frames = 0;
    bool failed = false;
    bool finished = false;
    std::string error;
};

} // namespace Tarn
