#include "engine/IRResponse.h"

#include <algorithm>
#include <cmath>
#include "engine/Random.h"

namespace Fen {

double infraredResponse(double distance)
{
    const double x = std::max(distance - 1, 0.0);
    const double u = randomUniform();
    return 1100 * std::exp(-(x * (0.97 + 0.06 * u)) / 2.5);
}

} // namespace Fen
