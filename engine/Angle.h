#pragma once

namespace Fen {

inline constexpr double pi = 3.141592653589793;

// Brings an angle into [-pi, pi]; exactly pi and -pi stay as they are.
double normalizeAngle(double a);

} // namespace Fen
