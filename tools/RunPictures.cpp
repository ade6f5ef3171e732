#include "tools/RunPictures.h"

#include <cerrno>
#include <cstring>

#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "media/PngImage.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "model/IFenWorld.h"

namespace Korvale::Tools {

namespace {

using Tarn::CNewFile;

std::unique_ptr<CNewFile> TakeName(const std::string& path, const char* what, std::ostream& err)
{
    int error = 0;
    std::unique_ptr<CNewFile> file = CNewFile::Create(path, &error);
    if (file == nullptr) {
        if (error == EEXIST)
            err << "korvale-sim: the " << what << " '" << path << "' already exists\n";
        else
            err << "korvale-sim: cannot write the " << what << " '" << path << "': " << std::strerror(error) << '\n';
    }
    return file;
}

// Robot 0 of the swarm: the user's robot when one is loaded, else the scene's first.
const Fen::NeuralRobot* FollowedRobot(const CKorvaleScene& scene)
{
    const Tarn::IWorld& world = *scene.GetWorld();
    return world.GetSwarmSize() > 0 ? &world.GetSwarmRobot(0).GetPhysicalObject() : nullptr;
}

} // namespace

RunPictures::RunPictures(const SimOptions& options_, CKorvaleScene& scene_)
    : options(options_), scene(scene_),
      // A frame steps the world by the frame time as the world takes it.
      timing(options_.framesPerSecond, Tarn::CFenWorld::StepTime(static_cast<float>(options_.frameTime)),
             options_.frames)
{
}

RunPictures::~RunPictures() = default;

std::unique_ptr<RunPictures> RunPictures::Start(const SimOptions& options, Tarn::CVertexBuffer& drawingContext,
                                                CKorvaleScene& scene, std::ostream& err)
{
    std::unique_ptr<RunPictures> pictures(new RunPictures(options, scene));
    if (!options.snapshot.empty() && !(pictures->snapshotFile = TakeName(options.snapshot, "snapshot", err)))
        return nullptr;
    std::unique_ptr<CNewFile> videoFile;
    if (!options.video.empty() && !(videoFile = TakeName(options.video, "video", err)))
        return nullptr;

    std::string error;
    pictures->view =
        Tarn::COffscreenWorldView::Create(drawingContext, options.pictureWidth, options.pictureHeight, &error);
    if (pictures->view == nullptr) {
        err << "korvale-sim: no offscreen drawing for the pictures: " << error << '\n';
        return nullptr;
    }
    if (videoFile != nullptr) {
        const Tarn::CMp4Video::Settings settings{options.pictureWidth, options.pictureHeight, options.framesPerSecond};
        pictures->video = Tarn::CMp4Video::Create(std::move(videoFile), settings, &error);
        if (pictures->video == nullptr) {
            err << "korvale-sim: cannot write the video '" << options.video << "': " << error << '\n';
            return nullptr;
        }
    }

    // The window's camera after "Reset Zoom"; following starts at the robot.
    Tarn::CViewport& viewport = pictures->view->GetViewport();
    const Fen::World& world = scene.GetWorld()->GetFenWorld();
    viewport.FitWorld(static_cast<float>(world.width), static_cast<float>(world.height));
    if (const Fen::NeuralRobot* followed = options.follow ? FollowedRobot(scene) : nullptr) {
        const Fen::Point& pos = followed->pos;
        viewport.SetCentre(static_cast<float>(pos.x), static_cast<float>(pos.y));
    }
    return pictures;
}

bool RunPictures::Draw(std::int64_t state)
{
    if (state == pictureState)
        return true;
    if (!view->Draw(*scene.GetWorld(), picture))
        return false;
    pictureState = state;
    return true;
}

void RunPictures::Film(std::int64_t state)
{
    while (video != nullptr && nextFilmFrame < timing.FrameCount() && timing.RunFramesDone(nextFilmFrame) <= state) {
        if (!Draw(state)) {
            videoError = "the offscreen drawing failed";
        } else if (video->AddFrame(picture)) {
            ++nextFilmFrame;
            continue;
        } else {
            videoError = video->Error();
        }
        // The film stops here and keeps the frames that reached the file.
        video.reset();
    }
}

void RunPictures::AfterFrame(std::int64_t frame, float elapsed)
{
    if (const Fen::NeuralRobot* followed = options.follow ? FollowedRobot(scene) : nullptr) {
        const Fen::Point& pos = followed->pos;
        view->GetViewport().MoveTo(static_cast<float>(pos.x), static_cast<float>(pos.y), elapsed);
    }
    Film(frame);
}

bool RunPictures::Finish(std::int64_t framesRun, std::ostream& err)
{
    Film(framesRun);
    if (video != nullptr) {
        if (!video->Finish())
            videoError = video->Error();
        video.reset();
    }
    bool ok = true;
    if (!videoError.empty()) {
        err << "korvale-sim: the video '" << options.video << "' stopped at frame " << nextFilmFrame + 1 << " of "
            << timing.FrameCount() << ": " << videoError << '\n';
        ok = false;
    }
    if (snapshotFile != nullptr) {
        if (!Draw(framesRun)) {
            snapshotFile->Fail(EIO);
            err << "korvale-sim: cannot write the snapshot '" << options.snapshot
                << "': the offscreen drawing failed\n";
            ok = false;
        } else if (!Tarn::WritePng(*snapshotFile, picture)) {
            err << "korvale-sim: cannot write the snapshot '" << options.snapshot
                << "': " << std::strerror(snapshotFile->ErrorNumber()) << '\n';
            ok = false;
        }
        snapshotFile.reset();
    }
    return ok;
}

} // namespace Korvale::Tools
