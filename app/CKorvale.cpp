#include "app/CKorvale.h"

#include "app/RobotSelection.h"

#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "render/SelectionRing.h"
#include "render/WorldView.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iomanip>
#include <locale>
#include <optional>
#include <sstream>
#include <string>

namespace Korvale {

namespace {
constexpr float CameraStep = 20.0f;
// A click this many pixels off a robot's rim still hits it.
constexpr float ClickReach = 6.0f;
// The ring stays at least this large on the screen, however far out the zoom.
constexpr float RingInnerPixels = 7.0f;
constexpr float RingWidthPixels = 2.5f;
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
    // The window's keys go to whichever robot is selected.
    scene.SetKeysFollowSelection(true);
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
    Tarn::CFenNeuralRobot* robot = scene.GetSelectedRobot();
    if (!robot)
        return;
    const Fen::Point& pos = robot->GetPhysicalObject().pos;
    viewport.MoveTo(static_cast<float>(pos.x), static_cast<float>(pos.y), elapsed);
}

void CKorvale::RenderWorld()
{
    Tarn::CFenNeuralRobot* selected = scene.RobotCount() > 1 ? scene.GetSelectedRobot() : nullptr;
    const float perPixel = selected != nullptr ? WorldPerPixel() : 0.0f;
    Tarn::DrawWorldView(viewport, [&] {
        scene.Draw();
        if (selected == nullptr)
            return;
        const Fen::NeuralRobot& body = selected->GetPhysicalObject();
        const float r = static_cast<float>(body.r);
        const float inner = std::max(1.35f * r, RingInnerPixels * perPixel);
        const float width = std::max(0.25f * r, RingWidthPixels * perPixel);
        Tarn::SelectionRing::Draw(vertexBuffer, static_cast<float>(body.pos.x), static_cast<float>(body.pos.y), inner,
                                  inner + width);
    });
}

float CKorvale::WorldPerPixel()
{
    const Tarn::DeviceViewport& rect = viewport.GetRect();
    const int x = static_cast<int>(rect.x);
    const int y = static_cast<int>(rect.y);
    const Tarn::Vec2 a = viewport.ScreenToWorld(x, y);
    const Tarn::Vec2 b = viewport.ScreenToWorld(x + 100, y);
    const float perPixel = std::hypot(b.x - a.x, b.y - a.y) / 100.0f;
    return std::isfinite(perPixel) ? perPixel : 0.0f;
}

bool CKorvale::SelectRobot(unsigned index)
{
    if (!scene.SelectRobot(index))
        return false;
    sensorHistory.Clear();
    return true;
}

std::string CKorvale::SelectionMessage() const
{
    // A single robot is never named: the window stays as it always was.
    const unsigned count = scene.RobotCount();
    if (count < 2)
        return {};
    const unsigned index = scene.SelectedIndex();
    std::string text = RobotNumberText(index, count);
    const Tarn::CFenNeuralRobot* logged = scene.GetLoggedRobot();
    const Tarn::IFenWorld& world = *scene.GetWorld();
    for (unsigned i = 0; logged != nullptr && i < count; ++i)
        if (&world.GetSwarmRobot(i) == logged && i != index)
            text += "; the log records robot " + std::to_string(i + 1);
    return text;
}

bool CKorvale::SelectNextRobot(bool backwards)
{
    return SelectRobot(NextRobot(scene.SelectedIndex(), scene.RobotCount(), backwards));
}

bool CKorvale::SelectRobotAt(int pixelX, int pixelY)
{
    if (!viewport.Contains(pixelX, pixelY))
        return false;
    const Tarn::Vec2 at = viewport.ScreenToWorld(pixelX, pixelY);
    const std::optional<unsigned> hit = RobotAt(*scene.GetWorld(), at.x, at.y, ClickReach * WorldPerPixel());
    return hit.has_value() && SelectRobot(*hit);
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
