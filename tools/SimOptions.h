#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Korvale::Tools {

// A command line the runner cannot use; its text is the one-line hint.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What one run of korvale-sim does, as given on its command line.
struct SimOptions {
    enum class Control { Keyboard, Network };
    // How the engine finds the pairs of bodies that interact; every way gives
    // the same run, the choice is for checking that and for timing.
    enum class Pairs { Automatic, All, Broad };

    std::string scene;
    std::string robot;
    std::string network;
    Control control = Control::Keyboard; // network when --network is given
    std::string keys;
    double frameTime = 1.0 / 60.0;
    std::int64_t frames = 0; // from --seconds or --steps
    std::optional<std::uint64_t> seed; // a negative seed counts modulo 2^64
    Pairs pairs = Pairs::Automatic;
    std::string log;
    std::string trace;
    std::string plot;
    // Pictures of the run, drawn as the window draws the world view.
    std::string snapshot; // PNG of the view after the last frame
    std::string video; // MP4 film of the run
    int pictureWidth = 800;
    int pictureHeight = 800;
    int framesPerSecond = 30; // film frames per simulated second
    bool follow = false; // the view follows robot 0 instead of showing the arena
    bool perRobot = false; // one line a robot after the summary
    bool quiet = false;
    bool help = false;

    // Throws UsageError for anything it cannot use.
    static SimOptions Parse(const std::vector<std::string>& arguments);

    bool WantsPictures() const { return !snapshot.empty() || !video.empty(); }
};

// Film frames a second korvale-sim takes at most.
inline constexpr int MaxFramesPerSecond = 1000;

inline constexpr const char* SimUsage =
    "usage: korvale-sim --scene FILE [--robot FILE] [--network FILE] [--control keyboard|network]\n"
    "                   [--keys FILE] [--dt SECONDS] (--seconds T | --steps N)\n"
    "                   [--seed N] [--pairs auto|all|broad] [--log FILE] [--trace FILE.csv] [--plot FILE.svg]\n"
    "                   [--snapshot FILE.png] [--video FILE.mp4] [--size WxH] [--fps N] [--follow]\n"
    "                   [--per-robot] [--quiet]\n";

} // namespace Korvale::Tools
