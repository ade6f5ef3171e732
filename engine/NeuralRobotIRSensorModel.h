#pragma once
#include "engine/SensorResponseFunctor.h"

namespace Fen {

// The response every infrared sensor of a loaded robot uses (one noise draw a call).
class NeuralRobotIRSensorModel : public SensorResponseFunctor {
public:
    double response(double distance, const Color& color) override;
    // The one shared instance.
    static NeuralRobotIRSensorModel& instance();
};

} // namespace Fen
