#pragma once
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "app/CKorvaleScene.h"
#include "base/RgbImage.h"
#include "media/CMp4Video.h"
#include "media/CNewFile.h"
#include "render/COffscreenWorldView.h"
#include "render/CVertexBuffer.h"
#include "tools/FilmTiming.h"
#include "tools/SimOptions.h"

namespace Korvale::Tools {

// The pictures of one korvale-sim run: a film with one frame every
// 1/framesPerSecond simulated seconds (FilmTiming says which world each
// shows) and a snapshot after the last frame, drawn offscreen through the
// window's device and drawing code. The view shows the whole arena, or
// follows the robot as the window's "Robot Target" does.
class RunPictures {
public:
    // Takes the output files (never replacing one) and starts the drawing
    // over the scene's drawing context. None, after one line on err, if any
    // of that fails.
    static std::unique_ptr<RunPictures> Start(const SimOptions& options, Tarn::CVertexBuffer& drawingContext,
                                              CKorvaleScene& scene, std::ostream& err);
    RunPictures(const RunPictures&) = delete;
    RunPictures& operator=(const RunPictures&) = delete;
    ~RunPictures();

    // After the step of frame `frame` (counted from 1): the view moves as
    // the window's does, then the film takes the frames that fall to the
    // world as it is now.
    void AfterFrame(std::int64_t frame, float elapsed);
    // After the last frame (`framesRun`, fewer than asked for when the run
    // stopped early): the rest of the film up to there, and the snapshot.
    // False, after one line on err for each output that failed.
    bool Finish(std::int64_t framesRun, std::ostream& err);

private:
    RunPictures(const SimOptions& options, CKorvaleScene& scene);
    bool Draw(std::int64_t state);
    // Adds the film frames that show the world after `state` run frames.
    void Film(std::int64_t state);

    const SimOptions& options;
    CKorvaleScene& scene;
    std::unique_ptr<Tarn::CNewFile> snapshotFile;
    std::unique_ptr<Tarn::CMp4Video> video;
    std::unique_ptr<Tarn::COffscreenWorldView> view;
    Tarn::RgbImage picture;
    std::int64_t pictureState = -1; // the run frames done when the picture was drawn
    FilmTiming timing;
    std::int64_t nextFilmFrame = 0;
    std::string videoError;
};

} // namespace Korvale::Tools
