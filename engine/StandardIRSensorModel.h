#pragma once
#include "engine/SensorResponseFunctor.h"

namespace Fen {

// The same response as NeuralRobotIRSensorModel, kept as a separate kind.
class StandardIRSensorModel : public SensorResponseFunctor {
public:
    double response(double distance, const Color& color) override;
    static StandardIRSensorModel& instance();
};

} // namespace Fen
