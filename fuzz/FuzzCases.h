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
// commands, and runs FramesFor(robots) frames of 1/60 s. Tells the first broken invariant
// in words, or nothing when all held, and whether the files loaded and ran:
// - a load succeeds with nothing reported, or fails with its messages, one
//   "Error in ..." line each and no empty line, and then the line that names
//   the file ("Scene file 'FILE': what is wrong");
// - no body's position, angle or speed becomes NaN or infinite;
// - the robot ends every frame no farther past a wall than one frame's drive
//   takes it: its centre stays its least reach (a disc's radius, the
//   distance to a polygon's nearest edge line) less its top travel in a
//   frame inside every wall, whatever the scene holds (bodies that overlap,
//   bodies beyond a wall, a start point on a body).
struct CaseResult {
    std::string fault; // empty when every invariant held
    bool ran = false; // every file loaded, and the frames ran
};
// 300 frames for up to 64 robots (the user's and the scene's), then a budget
// of 19,200 robot-frames shared out, and at least one frame: large swarms
// load and step within the fuzzer's time limit, small ones run in full.
int FramesFor(unsigned robots);
CaseResult RunCase(Harness harness, std::string_view input, const std::string& examples);

} // namespace Korvale::Fuzz
