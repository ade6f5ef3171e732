#pragma once
#include <optional>
#include <string>

namespace Tarn {
class IWorld;
}

namespace Korvale {

// The robot after `index` in the window's numbering (IWorld::GetSwarmSize),
// or before it when `backwards`, wrapping at either end; 0 without robots.
unsigned NextRobot(unsigned index, unsigned count, bool backwards);

// "Robot 3 of 20" for index 2 of 20 robots.
std::string RobotNumberText(unsigned index, unsigned count);

// The status line's resting text: the run state, then which robot is
// selected once there is more than one ("Ready - Robot 3 of 20"); the run
// state alone otherwise, as it has always been.
std::string RestingStatusText(const std::string& runState, unsigned index, unsigned count);

// The robot under world point (x, y): of the robots whose body reaches
// within `reach` world units of the point (so that a robot a few pixels wide
// can still be hit), the one whose centre is nearest. None when no robot is
// that close.
std::optional<unsigned> RobotAt(const Tarn::IWorld& world, double x, double y, double reach);

} // namespace Korvale
