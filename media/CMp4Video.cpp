#include "media/CMp4Video.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "media/CNewFile.h"
#include "media/Mp4Header.h"

namespace Tarn {

namespace {

// The encoder module, loaded once for the whole process and kept: FFmpeg
// holds global state of its own.
struct EncoderModule {
    CreateMp4EncoderFunction* create = nullptr;
    std::string error;
};

const EncoderModule& LoadEncoderModule()
{
    static const EncoderModule module = [] {
        EncoderModule loaded;
        // The object that holds this code (the Python module, or the program)
        // and the running program.
        Dl_info self{};
        const bool found = ::dladdr(reinterpret_cast<const void*>(&LoadEncoderModule), &self) != 0
                           && self.dli_fname != nullptr;
        std::error_code error;
        const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
        const auto candidates = CMp4Video::EncoderModuleCandidates(found ? self.dli_fname : "", program.string());
        const std::string& path = *std::find_if(candidates.begin(), candidates.end() - 1, [](const std::string& name) {
            return ::access(name.c_str(), R_OK) == 0;
        });
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr)
            loaded.create = reinterpret_cast<CreateMp4EncoderFunction*>(::dlsym(handle, CreateMp4EncoderSymbol));
        if (loaded.create == nullptr) {
            const char* reason = ::dlerror();
            loaded.error = std::string("the film encoder cannot be loaded: ") + (reason ? reason : path);
        }
        return loaded;
    }();
    return module;
}

} // namespace

std::vector<std::string> CMp4Video::EncoderModuleCandidates(const std::string& object, const std::string& program)
{
    std::vector<std::string> candidates;
    const std::filesystem::path holder(object);
    if (holder.extension() == ".so") {
        if (holder.is_absolute())
            candidates.push_back((holder.parent_path() / KORVALE_MP4_MODULE_NAME).string());
    } else if (std::filesystem::path(program).is_absolute()) {
        const std::filesystem::path prefix = std::filesystem::path(program).parent_path().parent_path();
        candidates.push_back((prefix / "lib" / "korvale" / KORVALE_MP4_MODULE_NAME).string());
    }
    candidates.push_back(KORVALE_MP4_MODULE);
    return candidates;
}

std::unique_ptr<CMp4Video> CMp4Video::Create(std::unique_ptr<CNewFile> file, const Settings& settings,
                                             std::string* error)
{
    const auto refuse = [error](const std::string& reason) {
        if (error != nullptr)
            *error = reason;
        return nullptr;
    };
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 != 0 || settings.height % 2 != 0)
        return refuse("the film needs an even width and height");
    if (settings.framesPerSecond <= 0)
        return refuse("the film needs at least one frame a second");
    const EncoderModule& module = LoadEncoderModule();
    if (module.create == nullptr)
        return refuse(module.error);

    std::unique_ptr<CMp4Video> video(new CMp4Video(std::move(file), settings));
    std::string reason;
    video->encoder.reset(
        module.create(*video->file, settings.width, settings.height, settings.framesPerSecond, reason));
    if (video->encoder == nullptr)
        return refuse(reason);
    return video;
}

CMp4Video::CMp4Video(std::unique_ptr<CNewFile> file_, const Settings& settings_)
    : file(std::move(file_)), settings(settings_)
{
}

CMp4Video::~CMp4Video()
{
    // An unfinished film keeps its file once the header and the first
    // frame's fragment are complete, which they are when the next frame has
    // started a fragment of its own.
    if (!finished && encoder != nullptr && encoder->PacketsWritten() >= 2)
        file->KeepAsWritten();
}

const std::string& CMp4Video::Path() const { return file->Path(); }

bool CMp4Video::Fail(const std::string& reason)
{
    failed = true;
    error = reason;
    return false;
}

bool CMp4Video::AddFrame(const RgbImage& image)
{
    if (failed || finished)
        return false;
    if (image.width != settings.width || image.height != settings.height
        || image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        return Fail("a frame of the wrong size");
    if (!encoder->AddFrame(image))
        return Fail(encoder->Error());
    ++frames;
    return true;
}

bool CMp4Video::Finish()
{
    if (failed || finished)
        return false;
    if (!encoder->Finish())
        return Fail(encoder->Error());
    if (!WriteDuration())
        return Fail(std::string("cannot write the film's duration: ") + std::strerror(file->ErrorNumber()));
    finished = true;
    if (!file->Keep())
        return Fail(std::string("cannot write the film: ") + std::strerror(file->ErrorNumber()));
    return true;
}

bool CMp4Video::WriteDuration()
{
    // The header comes first and is small: one track's takes under 1 KiB.
    constexpr std::int64_t most = 1 << 16;
    const std::int64_t size = file->Seek(0, SEEK_END);
    if (size < 0)
        return false;
    std::vector<std::uint8_t> header(static_cast<std::size_t>(std::min(size, most)));
    if (!file->ReadAt(0, header.data(), header.size()))
        return false;
    // A header this does not understand keeps its durations of 0: the film
    // plays all the same.
    for (const Mp4DurationField& field : Mp4DurationFields(header)) {
        const auto bytes = Mp4DurationBytes(field, frames, settings.framesPerSecond);
        if (bytes && !file->WriteAt(static_cast<std::int64_t>(field.offset), bytes->data(), bytes->size()))
            return false;
    }
    return true;
}

} // namespace Tarn
