#pragma once

namespace Host {
class Dialog;
}

namespace Korvale {

class CSensorHistory;
struct SensorReadout;

// The sensor panel (F4): the infrared readings as bars, the network's four
// outputs against the 0.5 threshold, the four commands given, and the last
// few seconds of each as lines, with a legend of their colours; opaque, and
// small enough that at 640 x 480 most of the arena stays in sight.
namespace SensorPanel {
inline constexpr int Width = 200;
inline constexpr int Height = 258;

void Build(Host::Dialog& panel);
void Show(Host::Dialog& panel, const SensorReadout& now, const CSensorHistory& history);
}

} // namespace Korvale
