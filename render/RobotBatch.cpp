#include "render/RobotBatch.h"

#include <algorithm>
#include <cmath>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "render/CFenCircularCamPlotter.h"
#include "render/CFenIRSensorPlotter.h"
#include "render/CFenNeuralRobotGraphics.h"
#include "render/CFenPhysicalObjectPlotter.h"
#include "render/CVertexBuffer.h"
#include "render/VertexColor.h"

namespace Tarn {

namespace {

// A point of the robot's own frame (x ahead), turned by its heading and
// moved to its place, as CFenNeuralRobotGraphics has the device do it.
Vertex Placed(const Fen::NeuralRobot& robot, float x, float y, float depth, std::uint32_t color)
{
    const double c = std::cos(robot.angle);
    const double s = std::sin(robot.angle);
    return {static_cast<float>(x * c - y * s + robot.pos.x), static_cast<float>(x * s + y * c + robot.pos.y), depth,
            color};
}

} // namespace

void RobotBatch::Clear()
{
    triangles.clear();
    lines.clear();
}

void RobotBatch::AppendStrip(const Vertex* points, std::size_t count)
{
    for (std::size_t k = 0; k + 2 < count; ++k) {
        triangles.push_back(points[k]);
        triangles.push_back(points[k + 1]);
        triangles.push_back(points[k + 2]);
    }
}

void RobotBatch::Append(const Fen::NeuralRobot& robot, bool rays)
{
    using Graphics = CFenNeuralRobotGraphics;
    CFenPhysicalObjectPlotter::AppendTriangles(robot, fan, triangles);

    const float h = static_cast<float>(robot.r / 2);
    triangles.push_back(Placed(robot, -h, -h, Graphics::ArrowDepth, Graphics::ArrowColor));
    triangles.push_back(Placed(robot, -h, h, Graphics::ArrowDepth, Graphics::ArrowColor));
    triangles.push_back(Placed(robot, h, 0, Graphics::ArrowDepth, Graphics::ArrowColor));

    const float halfWidth = static_cast<float>(robot.r / 8);
    const float axle = static_cast<float>(robot.wheelDistance / 2);
    for (const float side : {axle, -axle}) {
        const Vertex wheel[] = {
            Placed(robot, -h, side + halfWidth, Graphics::WheelDepth, Graphics::WheelColor),
            Placed(robot, -h, side - halfWidth, Graphics::WheelDepth, Graphics::WheelColor),
            Placed(robot, h, side + halfWidth, Graphics::WheelDepth, Graphics::WheelColor),
            Placed(robot, h, side - halfWidth, Graphics::WheelDepth, Graphics::WheelColor),
        };
        AppendStrip(wheel, 4);
    }

    for (const auto& camera : robot.cameras) {
        const unsigned n = camera != nullptr ? camera->pixelCount() : 0;
        if (n < 2)
            continue;
        strip.clear();
        for (unsigned i = 0; i < n; ++i) {
            // Inside a run of one colour the quads are all that colour: a
            // pixel every few keeps the arc round, the ends of each run keep
            // the colours where they change.
            constexpr unsigned keepEvery = 8;
            const bool sameAsBefore = i > 0 && camera->image[i] == camera->image[i - 1];
            const bool sameAfter = i + 1 < n && camera->image[i] == camera->image[i + 1];
            if (sameAsBefore && sameAfter && i % keepEvery != 0)
                continue;
            const double a = camera->absOrientation - camera->fieldOfView + 2 * camera->fieldOfView * i / (n - 1);
            const Fen::Vector direction(std::cos(a), std::sin(a));
            const Fen::Point inner = camera->absPos + 1.5 * robot.r * direction;
            const Fen::Point outer = camera->absPos + 2.5 * robot.r * direction;
            const std::uint32_t color = VertexColor(camera->image[i]);
            const float depth = CFenCircularCamPlotter::Depth;
            strip.push_back({static_cast<float>(inner.x), static_cast<float>(inner.y), depth, color});
            strip.push_back({static_cast<float>(outer.x), static_cast<float>(outer.y), depth, color});
        }
        AppendStrip(strip.data(), strip.size());
    }

    if (!rays)
        return;
    for (const auto& sensor : robot.irSensors) {
        if (sensor == nullptr)
            continue;
        const Fen::IRSensor& s = *sensor;
        const std::size_t count = std::min({static_cast<std::size_t>(s.rayCount), s.rayHitPoints.size(),
                                            s.finalRayColors.size()});
        for (std::size_t i = 0; i < count; ++i) {
            const Fen::Point hit = s.absPos + s.rayHitPoints[i];
            const std::uint32_t color = VertexColor(s.finalRayColors[i]);
            const float depth = CFenIRSensorPlotter::Depth;
            lines.push_back({static_cast<float>(s.absPos.x), static_cast<float>(s.absPos.y), depth, color});
            lines.push_back({static_cast<float>(hit.x), static_cast<float>(hit.y), depth, color});
        }
    }
}

DeviceResult RobotBatch::Draw(CVertexBuffer& buffer) const
{
    DeviceResult result = DeviceOk;
    const auto draw = [&buffer, &result](const std::vector<Vertex>& list, PrimitiveType type) {
        if (list.empty() || Failed(result))
            return;
        result = buffer.Set(list.data(), static_cast<std::uint32_t>(list.size() * sizeof(Vertex)));
        if (Succeeded(result))
            result = buffer.Bind();
        if (Succeeded(result))
            result = buffer.Draw(type);
    };
    draw(triangles, PrimitiveType::TriangleList);
    draw(lines, PrimitiveType::LineList);
    return result;
}

} // namespace Tarn
