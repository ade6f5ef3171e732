#include "host/HostFlags.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Host {
namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

template <typename Integer>
std::optional<Integer> ParseInteger(std::string_view text)
{
    Integer value{};
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<float> ParseSeconds(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::string copy(text);
    char* end = nullptr;
    const float value = std::strtof(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value) || value < 0.0f)
        return std::nullopt;
    return value;
}

// Applies one flag; false when its name or its value is not understood.
bool ApplyFlag(HostFlags& flags, const std::string& name, std::optional<std::string_view> value)
{
    const auto noValue = [&](bool& target) {
        if (value)
            return false;
        target = true;
        return true;
    };
    const auto intValue = [&](std::optional<int>& target, int minimum) {
        if (!value)
            return false;
        auto parsed = ParseInteger<int>(*value);
        if (!parsed || *parsed < minimum)
            return false;
        target = parsed;
        return true;
    };

    bool ignored = false;
    if (name == "windowed")
        return noValue(flags.windowed);
    if (name == "fullscreen")
        return noValue(flags.fullScreen);
    if (name == "forcehal")
        return noValue(flags.forceHardware);
    if (name == "forceref")
        return noValue(flags.forceSoftware);
    if (name == "nostats")
        return noValue(flags.noStats);
    if (name == "noerrormsgboxes")
        return noValue(flags.noErrorMessageBoxes);
    if (name == "automation")
        return noValue(flags.automation);
    if (name == "forcepurehwvp" || name == "forcehwvp" || name == "forceswvp" || name == "relaunchmce")
        return noValue(ignored);
    if (name == "adapter")
        return intValue(flags.adapter, 0);
    if (name == "width")
        return intValue(flags.width, 1);
    if (name == "height")
        return intValue(flags.height, 1);
    if (name == "startx")
        return intValue(flags.startX, std::numeric_limits<int>::min());
    if (name == "starty")
        return intValue(flags.startY, std::numeric_limits<int>::min());
    if (name == "forcevsync") {
        if (!value) {
            flags.forceVsync = true;
            return true;
        }
        auto parsed = ParseInteger<int>(*value);
        if (!parsed || (*parsed != 0 && *parsed != 1))
            return false;
        flags.forceVsync = *parsed == 1;
        return true;
    }
    if (name == "constantframetime") {
        if (!value) {
            flags.constantFrameTime = DefaultConstantFrameTime;
            return true;
        }
        flags.constantFrameTime = ParseSeconds(*value);
        return flags.constantFrameTime.has_value();
    }
    if (name == "quitafterframe") {
        if (!value)
            return false;
        auto parsed = ParseInteger<long>(*value);
        if (!parsed || *parsed < 0)
            return false;
        flags.quitAfterFrame = parsed;
        return true;
    }
    if (name == "seed") {
        if (!value)
            return false;
        if (auto parsed = ParseInteger<std::uint64_t>(*value)) {
            flags.seed = parsed;
            return true;
        }
        auto negative = ParseInteger<std::int64_t>(*value);
        if (!negative || *negative >= 0)
            return false;
        flags.seed = static_cast<std::uint64_t>(*negative);
        return true;
    }
    return false;
}

}

FlagParseResult ParseHostFlags(const std::vector<std::string>& arguments)
{
    FlagParseResult result;
    for (const std::string& argument : arguments) {
        const bool dashed = !argument.empty() && argument.front() == '-';
        const std::string_view body = dashed ? std::string_view(argument).substr(1) : std::string_view(argument);
        const auto colon = body.find(':');
        const std::string name = Lower(body.substr(0, colon));
        std::optional<std::string_view> value;
        if (colon != std::string_view::npos)
            value = body.substr(colon + 1);
        if (!dashed || name.empty() || !ApplyFlag(result.flags, name, value)) {
            result.ok = false;
            result.unrecognized = std::string(body);
            return result;
        }
    }
    return result;
}

}
