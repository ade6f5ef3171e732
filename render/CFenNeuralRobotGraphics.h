#pragma once
#include <cstdint>
#include "model/IFenGraphics.h"
#include "render/CFenCircularCamPlotter.h"
#include "render/CFenIRSensorPlotter.h"
#include "render/CFenPhysicalObjectPlotter.h"
#include "render/RobotDrawOptions.h"

namespace Tarn {

class CVertexBuffer;
class CFenNeuralRobot;

// Draws the robot: its body, an arrow along its heading, its two wheels, the
// image of each camera and the rays of each infrared sensor.
class CFenNeuralRobotGraphics : public IFenGraphics {
public:
    static constexpr float ArrowDepth = 0.4f;
    static constexpr float WheelDepth = 0.6f;
    static constexpr std::uint32_t ArrowColor = 0xFFAAAAAAu;
    static constexpr std::uint32_t WheelColor = 0xFFAAAAAAu;

    // The options (not owned; null: everything) are read at each drawing.
    CFenNeuralRobotGraphics(CVertexBuffer* vertexBuffer, CFenNeuralRobot& robot,
                            const RobotDrawOptions* options = nullptr);
    // The result of the last drawing, the sensors' if there are any.
    DeviceResult Draw() override;
    // A triangle whose tip lies half a radius ahead of the centre.
    virtual DeviceResult DrawArrow();
    // Two bars of length r and width r / 4, wheelDistance apart.
    virtual DeviceResult DrawWheels();

private:
    CVertexBuffer* vertexBuffer; // not owned
    CFenNeuralRobot& robot;
    const RobotDrawOptions* options;
    CFenPhysicalObjectPlotter objectPlotter;
    CFenCircularCamPlotter camPlotter;
    CFenIRSensorPlotter irPlotter;
};

} // namespace Tarn
