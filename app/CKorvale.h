#pragma once
#include "app/CD3DDeviceSubject.h"
#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CMouseWheel.h"
#include "app/CMsgSubject.h"
#include "app/CPositioningSystem.h"
#include "app/CRunControl.h"
#include "app/SensorReadout.h"
#include "app/CStatusBar.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"

#include <functional>
#include <string>

namespace Korvale {

// The application: the notification subjects and everything that observes
// them, the status line, the mouse tracker and the scene, with the per-frame
// work of advancing the simulation and steering the camera.
class CKorvale {
public:
    // Attaches the keyboard, the mouse tracker, then the wheel, to the message subject,
    // and the drawing context, then the viewport, to the device subject.
    CKorvale();
    CKorvale(const CKorvale&) = delete;
    CKorvale& operator=(const CKorvale&) = delete;
    virtual ~CKorvale() = default;

    // The status clock, the hover position, then the world frames of this
    // window frame (the simulation step and the log each).
    void Update(double time, float elapsed);
    // As many world frames of `elapsed` each as the run control gives; as
    // fast as possible: as many as fit in the frame budget, at least one.
    void AdvanceWorld(float elapsed);
    // The wall time a window frame may spend on world frames at full speed.
    void SetFrameBudget(double seconds) { frameBudget = seconds; }
    double FrameBudget() const { return frameBudget; }
    // Seconds of wall time from any fixed point; tests hand in their own.
    void SetClock(std::function<double()> newClock) { clock = std::move(newClock); }
    // World frames advanced since the start.
    long WorldFrames() const { return worldFrames; }
    // The hover position on the status line for 0.1 s at priority 1, after
    // the label "World x, y: ".
    void ShowPosition();
    // E zooms in (towards twice the zoom), else Q out (towards half); each
    // notch of the wheel over the world view, away from the user, zooms in
    // by a quarter at once, towards the user out.
    void UpdateZoom(float elapsed);
    // W/S and D/A aim the centre 20 world units up/down, right/left; the
    // first of each pair wins.
    void MoveCamera(float elapsed);
    // The camera closes in on the selected robot.
    void FollowRobot(float elapsed);
    // The world view: cleared to dark blue, then the scene, then, when
    // there is more than one robot, a ring round the selected one.
    void RenderWorld();

    // Selecting a robot of a swarm: the scene's selection changes and the
    // sensor history starts anew. False, changing nothing, without such a
    // robot.
    bool SelectRobot(unsigned index);
    // What the status line says of the selection: "Robot 3 of 20", adding
    // which robot a running log records when that is another one; empty
    // for a lone robot, which is never named.
    std::string SelectionMessage() const;
    // Tab and Shift+Tab: the next or previous robot, wrapping.
    bool SelectNextRobot(bool backwards);
    // A click at a pixel of the world view: the robot there, if any.
    bool SelectRobotAt(int pixelX, int pixelY);
    // Fits the arena into the world view.
    void ResetZoom();
    void ShowInfo(const std::string& text);

    // The hover text: x right-aligned in at least 5 characters, a blank, y;
    // six significant digits each.
    static std::string FormatPosition(float x, float y);

    CMsgSubject msgSubject;
    CD3DDeviceSubject deviceSubject;
    Tarn::CVertexBuffer vertexBuffer;
    CKeyboard keyboard;
    Tarn::CViewport viewport;
    CStatusBar statusBar;
    CPositioningSystem positioningSystem;
    CMouseWheel mouseWheel{&viewport};
    CKorvaleScene scene;
    CRunControl run;
    // What the robot sensed and decided over the last world frames.
    CSensorHistory sensorHistory;

private:
    void WorldFrame(float elapsed);
    // World units one pixel of the world view spans.
    float WorldPerPixel();

    std::function<double()> clock;
    double frameBudget = 0.010;
    long worldFrames = 0;
};

} // namespace Korvale
