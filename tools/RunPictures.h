#pragma once
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "app/CKorvaleScene.h"
#include "base/RgbImage.h"
#include "media/Mp4Video.h"
#include "media/NewFile.h"
#include "render/COffscreenWorldView.h"
#include "render/CVertexBuffer.h"
#include "tools/SimOptions.h"

namespace Korvale::Tools {

// The pictures of one korvale-sim run: a film with one frame every
// 1/framesPerSecond simulated seconds and a snapshot after the last frame,
// drawn offscreen through the window's device and drawing code. The view
// shows the whole arena, or follows the robot as the window's "Robot
// Target" does.
//
// Video frame k shows the world at the frame end nearest to k / fps
// seconds; the film lasts the run's simulated time, rounded to whole video
// frames, and has at least one frame.
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

    // Before frame `frame` (0-based) steps: films what falls to the world
    // as it is now.
    void BeforeFrame(std::int64_t frame);
    // After a frame's step: the view moves as the window's does.
    void AfterFrame(float elapsed);
    // After the last frame: the rest of the film and the snapshot. False,
    // after one line on err for each output that failed.
    bool Finish(std::ostream& err);

private:
    RunPictures(const SimOptions& options, CKorvaleScene& scene);
    bool Draw(std::int64_t state);
    void Film(std::int64_t state);

    const SimOptions& options;
    CKorvaleScene& scene;
    std::unique_ptr<Korvale::Media::NewFile> snapshotFile;
    std::unique_ptr<Korvale::Media::Mp4Video> video;
    std::unique_ptr<Tarn::COffscreenWorldView> view;
    Tarn::RgbImage picture;
    std::int64_t pictureState = -1; // the world state the picture shows
    double stepTime = 0;            // simulated seconds a frame
    std::int64_t filmFrames = 0;    // the film's length
    std::int64_t nextFilmFrame = 0;
    std::string videoError;
};

} // namespace Korvale::Tools
