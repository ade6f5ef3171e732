#include "engine/Angle.h"

#include <cmath>

namespace Fen {

namespace {
// Beyond this magnitude the subtraction loop would take millions of rounds
// (or never end once 2*pi is below the angle's precision), so the bulk of the
// turns is taken off at once. Ordinary angles never come near it.
constexpr double loopLimit = 1e6;
}

double normalizeAngle(double a)
{
    if (!std::isfinite(a))
        return a;
    if (std::fabs(a) > loopLimit)
        a = std::remainder(a, 2 * pi);
    while (a > pi)
        a -= 2 * pi;
    while (a < -pi)
        a += 2 * pi;
    return a;
}

} // namespace Fen
