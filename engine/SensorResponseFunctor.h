#pragma once
#include "engine/Color.h"

namespace Fen {

// Turns one ray's hit distance (and colour) into its share of a sensor reading.
class SensorResponseFunctor {
public:
    virtual ~SensorResponseFunctor() = default;
    virtual double response(double distance, const Color& color) = 0;
};

} // namespace Fen
