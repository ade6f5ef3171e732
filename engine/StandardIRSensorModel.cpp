#include "engine/StandardIRSensorModel.h"

#include "engine/IRResponse.h"

namespace Fen {

double StandardIRSensorModel::response(double distance, const Color& /*color*/)
{
    return infraredResponse(distance);
}

StandardIRSensorModel& StandardIRSensorModel::instance()
{
    static StandardIRSensorModel model;
    return model;
}

} // namespace Fen
