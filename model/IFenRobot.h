#pragma once

#include "base/DeviceResult.h"
#include "model/IRobot.h"

namespace Fen {
class PhysicalObject;
}

namespace Tarn {

class CFenIOStruct;

// A robot adapter: its engine robot (also its body), reading and drawing.
class IFenRobot : public IRobot {
public:
    // Takes away the robot's sensors and control and resets its drive.
    virtual void Clear() = 0;
    virtual Fen::PhysicalObject& GetPhysicalObject() = 0;
    virtual void Read(CFenIOStruct& io) = 0;
    virtual DeviceResult Draw() = 0;
};

} // namespace Tarn
