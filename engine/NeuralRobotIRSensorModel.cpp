#include "engine/NeuralRobotIRSensorModel.h"

#include "engine/IRResponse.h"

namespace Fen {

double NeuralRobotIRSensorModel::response(double distance, const Color& /*color*/)
{
    return infraredResponse(distance);
}

NeuralRobotIRSensorModel& NeuralRobotIRSensorModel::instance()
{
    static NeuralRobotIRSensorModel model;
    return model;
}

} // namespace Fen
