#pragma once

namespace Fen {

class World;

// An interaction of a robot with the whole world. No kind exists yet; the
// hook is kept so robots can grow one without touching the step.
class GlobalInteraction {
public:
    virtual ~GlobalInteraction() = default;
    virtual void step(double dt, World& world) = 0;
};

} // namespace Fen
