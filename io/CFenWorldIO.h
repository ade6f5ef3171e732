#pragma once

#include "model/IFenIO.h"

namespace Tarn {

class CFenWorld;

// Reads a scene's "world" element into its world adapter: the arena size,
// the start position, one object adapter per "object" child and the scene
// robots of "robot" and "robots" children (SceneRobotsReader). After any
// fault the world is left empty at 100 by 100.
class CFenWorldIO : public IFenIO {
public:
    explicit CFenWorldIO(CFenWorld* world) : world(world) {}
    void Read(CFenIOStruct& io) override;

private:
    CFenWorld* world;
};

} // namespace Tarn
