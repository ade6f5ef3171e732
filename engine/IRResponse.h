#pragma once

namespace Fen {

// The infrared response shared by the sensor models: full strength up to one
// unit, then an exponential fall-off with a noisy decay (one noise draw).
double infraredResponse(double distance);

} // namespace Fen
