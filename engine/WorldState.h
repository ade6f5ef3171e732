#pragma once

namespace Tarn {
class StateArchive;
}

namespace Fen {

class World;

// Every number of the world that a later step reads and that changes as the
// world runs: the pair order, each body's motion (and its polygon as the last
// step placed it), a robot's wheel commands and its sensors' last readings,
// rays and images. What the model files fix (shapes, masses, sensor mounts)
// is checked, not carried: a state loads only into a world of the same files.
// Loading makes the world work out its caches afresh, which gives the very
// numbers they held.
void archiveWorldState(Tarn::StateArchive& archive, World& world);

} // namespace Fen
