#pragma once
// One fuzz case: a model file from the fuzzer, loaded as the headless runner
// loads files, then run for a few hundred frames while the invariants are
// checked. The libFuzzer entry points and the regression tests of the normal
// suite both run cases through here.
#include <string>
#include <string_view>

namespace Korvale::Fuzz {

enum class Harness { Scene, Robot, Network };

// The harness named "scene", "robot" or "network"; false for any other name.
bool HarnessFromName(std::string_view name, Harness& harness);

// Loads `input` as the harness's file (a scene, a robot or a network), with
// example files from `examples` for the other two, through the panel
// commands, and runs 300 frames of 1/60 s. Returns the first broken
// invariant in words, or an empty text when all held:
// - a load succeeds with nothing reported, or fails with its messages, one
//   "Error in ..." line each and no empty line;
// - no body's position, angle or speed becomes NaN or infinite;
// - the robot's centre stays inside the arena after every frame, as long as
//   its top speed cannot take it past its own outline in one frame (a
//   faster robot may end a frame past a wall, as documented).
std::string RunCase(Harness harness, std::string_view input, const std::string& examples);

} // namespace Korvale::Fuzz
