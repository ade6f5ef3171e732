#include "app/CKorvale.h"

#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "render/WorldView.h"

#include <chrono>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

namespace Korvale {

namespace {
constexpr float CameraStep = 20.0f;
}

CKorvale::CKorvale()
    : positioningSystem(&viewport), scene(&vertexBuffer, &keyboard),
      clock([] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); })
{
    msgSubject.Attach(&keyboard);
    msgSubject.Attach(&positioningSystem);
    msgSubject.Attach(&mouseWheel);
    deviceSubject.Attach(&vertexBuffer);
    deviceSubject.Attach(&viewport);
}

void CKorvale::Update(double time, float elapsed)
{
    statusBar.SetTime(static_cast<float>(time));
    ShowPosition();
    AdvanceWorld(elapsed);
}

void CKorvale::AdvanceWorld(float elapsed)
{
    if (run.IsAsFastAsPossible() && !run.IsPaused()) {
        const double end = clock() + frameBudget;
        do
            WorldFrame(elapsed);
        while (clock() < end);
        return;
    }
    for (int frames = run.TakeFrames(); frames > 0; --frames)
        WorldFrame(elapsed);
}

void CKorvale::WorldFrame(float elapsed)
{
    scene.AdvanceFrame(elapsed);
    ++worldFrames;
    sensorHistory.Record(ReadSensors(scene));
}

std::string CKorvale::FormatPosition(float x, float y)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::setw(5) << x << ' ' << y;
    return text.str();
}

void CKorvale::ShowPosition()
{
    if (!positioningSystem.moveValid)
        return;
    statusBar.ShowMessage("World x, y: " + FormatPosition(positioningSystem.moveWorld.x, positioningSystem.moveWorld.y),
                          0.1f, 1);
}

void CKorvale::UpdateZoom(float elapsed)
{
    if (keyboard.IsKeyDown(Tarn::VirtualKey::E))
        viewport.ZoomTo(viewport.GetZoom() * 2, elapsed);
    else if (keyboard.IsKeyDown(Tarn::VirtualKey::Q))
        viewport.ZoomTo(viewport.GetZoom() / 2, elapsed);
    if (const int notches = mouseWheel.TakeNotches(); notches != 0)
        viewport.SetZoom(viewport.GetZoom() * std::pow(1.25f, static_cast<float>(notches)));
}

void CKorvale::MoveCamera(float elapsed)
{
    const Tarn::Vec2 centre = viewport.GetCentre();
    if (keyboard.IsKeyDown(Tarn::VirtualKey::W))
        viewport.MoveTo(centre.x, centre.y + CameraStep, elapsed);
    else if (keyboard.IsKeyDown(Tarn::VirtualKey::S))
        viewport.MoveTo(centre.x, centre.y - CameraStep, elapsed);
    // The vertical move may have changed the centre already; the horizontal
    // one keeps its result.
    const Tarn::Vec2 now = viewport.GetCentre();
    if (keyboard.IsKeyDown(Tarn::VirtualKey::D))
        viewport.MoveTo(now.x + CameraStep, now.y, elapsed);
    else if (keyboard.IsKeyDown(Tarn::VirtualKey::A))
        viewport.MoveTo(now.x - CameraStep, now.y, elapsed);
}

void CKorvale::FollowRobot(float elapsed)
{
    Tarn::CFenNeuralRobot* robot = scene.GetRobot();
    if (!robot)
        return;
    const Fen::Point& pos = robot->GetPhysicalObject().pos;
    viewport.MoveTo(static_cast<float>(pos.x), static_cast<float>(pos.y), elapsed);
}

void CKorvale::RenderWorld()
{
    Tarn::DrawWorldView(viewport, [this] { scene.Draw(); });
}

void CKorvale::ResetZoom()
{
    const Fen::World& world = scene.GetWorld()->GetFenWorld();
    viewport.FitWorld(static_cast<float>(world.width), static_cast<float>(world.height));
}

void CKorvale::ShowInfo(const std::string& text)
{
    statusBar.ShowInfo(text);
}

} // namespace Korvale
