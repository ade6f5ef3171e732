#pragma once
#include <cstddef>
#include <string>

namespace Tarn {

class CFeedForward;

// Whether a network can drive a robot: it takes one input per infrared
// sensor. The window, korvale-sim and the Python module all ask here, and
// say why not in the same words.
bool NetworkFitsSensors(const CFeedForward& network, std::size_t infraredSensors);

// "takes 7 inputs, but the robot has 8 infrared sensors": what follows the
// network's name in every message about a network that does not fit.
std::string NetworkMisfit(const CFeedForward& network, std::size_t infraredSensors);

// "Network file 'Seven.xml' takes 7 inputs, but the robot has 8 infrared
// sensors": the line that says why a loaded network cannot drive.
std::string NetworkFileMisfitLine(const std::string& fileName, const CFeedForward& network,
                                  std::size_t infraredSensors);

} // namespace Tarn
