#include "render/CFenNeuralRobotGraphics.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "model/CFenNeuralRobot.h"
#include "render/CVertexBuffer.h"

namespace Tarn {

CFenNeuralRobotGraphics::CFenNeuralRobotGraphics(CVertexBuffer* vertexBuffer_, CFenNeuralRobot& robot_,
                                                 const RobotDrawOptions* options_)
    : vertexBuffer(vertexBuffer_), robot(robot_), options(options_), objectPlotter(vertexBuffer_), camPlotter(vertexBuffer_),
      irPlotter(vertexBuffer_)
{
}

DeviceResult CFenNeuralRobotGraphics::Draw()
{
    const Fen::NeuralRobot& body = robot.GetPhysicalObject();
    DeviceResult result = objectPlotter.Plot(body);
    result = DrawArrow();
    result = DrawWheels();
    for (const auto& camera : body.cameras)
        if (camera != nullptr)
            result = camPlotter.Plot(*camera, body.r);
    if (options != nullptr && !options->rays)
        return result;
    for (const auto& sensor : body.irSensors)
        if (sensor != nullptr)
            result = irPlotter.Plot(*sensor);
    return result;
}

namespace {
// Robot coordinates to the world: turn by the heading, then move to the position.
Matrix Placement(const Fen::NeuralRobot& body)
{
    return MatrixMultiply(MatrixRotationZ(static_cast<float>(body.angle)),
                          MatrixTranslation(static_cast<float>(body.pos.x), static_cast<float>(body.pos.y), 0));
}
} // namespace

DeviceResult CFenNeuralRobotGraphics::DrawArrow()
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    const Fen::NeuralRobot& body = robot.GetPhysicalObject();
    const float h = static_cast<float>(body.r / 2);
    const Vertex arrow[] = {
        {-h, -h, ArrowDepth, ArrowColor},
        {-h, h, ArrowDepth, ArrowColor},
        {h, 0, ArrowDepth, ArrowColor},
    };
    if (DeviceResult r = vertexBuffer->Set(arrow, sizeof arrow); Failed(r))
        return r;
    if (DeviceResult r = vertexBuffer->Bind(); Failed(r))
        return r;
    return vertexBuffer->DrawTransformed(PrimitiveType::TriangleList, Placement(body));
}

DeviceResult CFenNeuralRobotGraphics::DrawWheels()
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    const Fen::NeuralRobot& body = robot.GetPhysicalObject();
    const float halfLength = static_cast<float>(body.r / 2);
    const float halfWidth = static_cast<float>(body.r / 8);
    const Vertex wheel[] = {
        {-halfLength, halfWidth, WheelDepth, WheelColor},
        {-halfLength, -halfWidth, WheelDepth, WheelColor},
        {halfLength, halfWidth, WheelDepth, WheelColor},
        {halfLength, -halfWidth, WheelDepth, WheelColor},
    };
    if (DeviceResult r = vertexBuffer->Set(wheel, sizeof wheel); Failed(r))
        return r;
    if (DeviceResult r = vertexBuffer->Bind(); Failed(r))
        return r;
    const float axle = static_cast<float>(body.wheelDistance / 2);
    const Matrix placement = Placement(body);
    const Matrix left = MatrixMultiply(MatrixTranslation(0, axle, 0), placement);
    if (DeviceResult r = vertexBuffer->DrawTransformed(PrimitiveType::TriangleStrip, left); Failed(r))
        return r;
    const Matrix right = MatrixMultiply(MatrixTranslation(0, -axle, 0), placement);
    return vertexBuffer->DrawTransformed(PrimitiveType::TriangleStrip, right);
}

} // namespace Tarn
