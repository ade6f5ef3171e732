#pragma once

namespace Tarn {

// What is drawn of every robot, shared by all robots of one world: hiding
// the infrared rays keeps a large swarm readable (and quick to draw).
struct RobotDrawOptions {
    bool rays = true;
};

} // namespace Tarn
