#pragma once
#include <string>
#include <string_view>

namespace Tarn {
class StateArchive;
}

namespace Korvale::Run {

// The bytes of a simulation's snapshot: the archive's walk of its fields
// (SimulationCore::Archive), opened by the kind of snapshot and the frame
// time, and sealed with a checksum, so that bytes of another kind, of
// another frame time or damaged on their way are refused before anything
// is loaded.

// The first fields of every snapshot: the kind (and the format's number),
// then the frame time, which must match. Saving, `sceneRobots` says whether
// the simulation has robots of the scene, whose controls follow the rest
// in a format of their own; a simulation without them is saved in the
// first format, byte for byte. Returns whether the snapshot carries the
// scene robots' controls (a swarm saved before they were carried does not).
bool ArchiveSnapshotHeader(Tarn::StateArchive& archive, const double& frameTime, bool sceneRobots);
// The archive's bytes with their checksum after them.
std::string SealSnapshot(std::string payload);
// The payload of sealed bytes; Tarn::StateMismatch when they are cut short
// or damaged.
std::string_view OpenSnapshot(std::string_view sealed);
// The payload of bytes this process sealed and kept in memory, unchecked.
std::string_view OpenOwnSnapshot(std::string_view sealed);

} // namespace Korvale::Run
