#include "tools/SimOptions.h"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "engine/FrameCount.h"
#include "model/CFenWorld.h"
#include "render/COffscreenWorldView.h"

namespace Korvale::Tools {

namespace {

double ParseReal(const std::string& option, const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value))
        throw UsageError(option + " needs a number, not '" + text + "'");
    return value;
}

std::int64_t ParseCount(const std::string& option, const std::string& text)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < 0)
        throw UsageError(option + " needs a whole number of frames, not '" + text + "'");
    return value;
}

// Any 64-bit whole number, signed or not; a negative one counts modulo 2^64.
std::uint64_t ParseSeed(const std::string& text)
{
    const char* end = text.data() + text.size();
    std::uint64_t value = 0;
    if (const auto [ptr, ec] = std::from_chars(text.data(), end, value); !text.empty() && ec == std::errc{} && ptr == end)
        return value;
    std::int64_t negative = 0;
    if (const auto [ptr, ec] = std::from_chars(text.data(), end, negative);
        !text.empty() && ec == std::errc{} && ptr == end && negative < 0)
        return static_cast<std::uint64_t>(negative);
    throw UsageError("--seed needs a 64-bit whole number, not '" + text + "'");
}

const std::vector<std::string> valueOptions = {"--scene",    "--robot", "--network", "--control", "--keys",  "--dt",
                                               "--seconds",  "--steps", "--seed",    "--pairs",   "--log",   "--trace",
                                               "--plot",     "--snapshot", "--video", "--size",   "--fps"};

using Tarn::MaxPictureSide;
using Tarn::MinPictureSide;

// WIDTHxHEIGHT in pixels, each side from MinPictureSide to MaxPictureSide.
void ParseSize(const std::string& text, int* width, int* height)
{
    // A side: digits only; too many of them count as too large.
    const auto side = [](const std::string& digits, int* value) {
        const char* end = digits.data() + digits.size();
        const auto [ptr, ec] = std::from_chars(digits.data(), end, *value);
        if (ec == std::errc::result_out_of_range)
            *value = MaxPictureSide + 1;
        return !digits.empty() && digits.front() != '-' && ptr == end;
    };
    const std::size_t x = text.find('x');
    if (x == std::string::npos || !side(text.substr(0, x), width) || !side(text.substr(x + 1), height))
        throw UsageError("--size needs WIDTHxHEIGHT in pixels, such as 800x600, not '" + text + "'");
    const auto inRange = [](int value) { return value >= MinPictureSide && value <= MaxPictureSide; };
    if (!inRange(*width) || !inRange(*height)) {
        const std::string least = std::to_string(MinPictureSide), most = std::to_string(MaxPictureSide);
        throw UsageError("--size must be from " + least + "x" + least + " to " + most + "x" + most + ", not '" + text
                         + "'");
    }
}

int ParseFramesPerSecond(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < 1 || value > MaxFramesPerSecond)
        throw UsageError("--fps needs a whole number of frames a second from 1 to " + std::to_string(MaxFramesPerSecond)
                         + ", not '" + text + "'");
    return value;
}

bool TakesValue(const std::string& option)
{
    for (const std::string& name : valueOptions)
        if (name == option)
            return true;
    return false;
}

} // namespace

SimOptions SimOptions::Parse(const std::vector<std::string>& arguments)
{
    std::map<std::string, std::string> given;
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (option == "--help" || option == "-h") {
            options.help = true;
            return options;
        }
        if (option == "--quiet" && !value) {
            options.quiet = true;
            continue;
        }
        if (option == "--per-robot" && !value) {
            if (options.perRobot)
                throw UsageError("--per-robot given twice");
            options.perRobot = true;
            continue;
        }
        if (option == "--follow" && !value) {
            if (options.follow)
                throw UsageError("--follow given twice");
            options.follow = true;
            continue;
        }
        if (!TakesValue(option))
            throw UsageError("unknown option '" + arguments[i] + "'");
        if (!value) {
            if (i + 1 == arguments.size())
                throw UsageError(option + " needs a value");
            value = arguments[++i];
        }
        if (!given.emplace(option, *value).second)
            throw UsageError(option + " given twice");
    }

    const auto get = [&given](const char* name) {
        const auto found = given.find(name);
        return found == given.end() ? std::string{} : found->second;
    };
    const auto has = [&given](const char* name) { return given.count(name) != 0; };
    const auto needsFile = [&](const char* name) {
        if (has(name) && get(name).empty())
            throw UsageError(std::string(name) + " needs a file name");
    };
    for (const char* name :
         {"--scene", "--robot", "--network", "--keys", "--log", "--trace", "--plot", "--snapshot", "--video"})
        needsFile(name);

    if (!has("--scene"))
        throw UsageError("--scene FILE is required");
    options.scene = get("--scene");
    options.robot = get("--robot");
    options.network = get("--network");
    options.keys = get("--keys");
    options.log = get("--log");
    options.trace = get("--trace");
    options.plot = get("--plot");
    options.snapshot = get("--snapshot");
    options.video = get("--video");

    options.control = has("--network") ? Control::Network : Control::Keyboard;
    if (has("--control")) {
        const std::string control = get("--control");
        if (control == "keyboard")
            options.control = Control::Keyboard;
        else if (control == "network")
            options.control = Control::Network;
        else
            throw UsageError("--control is keyboard or network, not '" + control + "'");
    }
    // --trace and --follow take the scene's robots too: SimRun checks them
    // once the scene is loaded.
    for (const char* name : {"--control", "--keys"})
        if (has(name) && options.robot.empty())
            throw UsageError(std::string(name) + " needs --robot FILE");

    const bool pictures = has("--snapshot") || has("--video");
    if (pictures && options.snapshot == options.video)
        throw UsageError("--snapshot and --video need two different files");
    if (has("--size") && !pictures)
        throw UsageError("--size needs --snapshot FILE or --video FILE");
    if (options.follow && !pictures)
        throw UsageError("--follow needs --snapshot FILE or --video FILE");
    if (has("--fps") && !has("--video"))
        throw UsageError("--fps needs --video FILE");
    if (has("--size"))
        ParseSize(get("--size"), &options.pictureWidth, &options.pictureHeight);
    if (has("--video") && (options.pictureWidth % 2 != 0 || options.pictureHeight % 2 != 0))
        throw UsageError("--video needs an even width and height, not '" + get("--size") + "'");
    if (has("--fps"))
        options.framesPerSecond = ParseFramesPerSecond(get("--fps"));

    if (has("--dt")) {
        options.frameTime = ParseReal("--dt", get("--dt"));
        // A time the world would clamp leaves the trace and the frame count
        // no longer telling what the world did.
        if (!Tarn::CFenWorld::TakesFrameTime(options.frameTime))
            throw UsageError(std::string("--dt must be ") + Tarn::CFenWorld::frameTimeRange);
    }
    if (has("--seed"))
        options.seed = ParseSeed(get("--seed"));
    if (has("--pairs")) {
        const std::string pairs = get("--pairs");
        if (pairs == "auto")
            options.pairs = Pairs::Automatic;
        else if (pairs == "all")
            options.pairs = Pairs::All;
        else if (pairs == "broad")
            options.pairs = Pairs::Broad;
        else
            throw UsageError("--pairs is auto, all or broad, not '" + pairs + "'");
    }
    if (has("--seconds") == has("--steps"))
        throw UsageError("give either --seconds T or --steps N");
    if (has("--steps")) {
        options.frames = ParseCount("--steps", get("--steps"));
    } else {
        const double seconds = ParseReal("--seconds", get("--seconds"));
        if (seconds < 0)
            throw UsageError("--seconds must not be negative");
        const Fen::FrameCount count = Fen::framesIn(seconds, options.frameTime);
        if (count.fault != Fen::FrameCount::Fault::none)
            throw UsageError("--seconds / --dt gives too many frames");
        options.frames = count.frames;
    }
    return options;
}

} // namespace Korvale::Tools
