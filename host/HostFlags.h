#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Host {

// The standard command-line flags of the host, each given as "-name" or
// "-name:value". Flags of the original device model without a meaning here
// (hardware vertex processing and the like) are accepted and ignored.
struct HostFlags {
    std::optional<int> adapter;           // display index the window opens on
    bool windowed = false;
    bool fullScreen = false;
    bool forceHardware = false;
    bool forceSoftware = false;           // "forceref": the software rasteriser
    std::optional<bool> forceVsync;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> startX;
    std::optional<int> startY;
    std::optional<float> constantFrameTime;  // every frame gets this elapsed time
    std::optional<long> quitAfterFrame;
    // Start state of the simulation's noise; a negative seed counts modulo 2^64.
    std::optional<std::uint64_t> seed;
    bool noErrorMessageBoxes = false;  // errors never raise boxes here anyway
    bool noStats = false;
    // Driven by a test script: the status-line texts of commands also go to
    // standard output.
    bool automation = false;
};

struct FlagParseResult {
    HostFlags flags;
    bool ok = true;
    // When not ok: the offending argument without its leading dash.
    std::string unrecognized;

    bool Ok() const { return ok; }
};

// Elapsed time of "-constantframetime" given without a value.
inline constexpr float DefaultConstantFrameTime = 1.0f / 60.0f;

FlagParseResult ParseHostFlags(const std::vector<std::string>& arguments);

}
