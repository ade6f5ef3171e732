#pragma once
#include "base/DeviceResult.h"

namespace Fen {
class IRSensor;
}

namespace Tarn {

class CVertexBuffer;
// Shows an infrared sensor's rays as lines from the sensor to what each ray
// hit, in the colour of what it hit, behind everything else. A ray that hit
// nothing ends at the sensor and is not seen.
class CFenIRSensorPlotter {
public:
    static constexpr float Depth = 0.8f;

    explicit CFenIRSensorPlotter(CVertexBuffer* vertexBuffer);
    virtual ~CFenIRSensorPlotter() = default;

    virtual DeviceResult Plot(const Fen::IRSensor& sensor);

private:
    CVertexBuffer* vertexBuffer; // not owned
};

} // namespace Tarn
