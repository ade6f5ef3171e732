#include "tools/KeyScript.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/WindowMessages.h"
#include "tools/SimOptions.h"

namespace Korvale::Tools {

namespace {

bool KeyCode(const std::string& name, std::uint8_t& code)
{
    if (name == "Up")
        code = Tarn::VirtualKey::Up;
    else if (name == "Down")
        code = Tarn::VirtualKey::Down;
    else if (name == "Left")
        code = Tarn::VirtualKey::Left;
    else if (name == "Right")
        code = Tarn::VirtualKey::Right;
    else
        return false;
    return true;
}

bool ParseTime(const std::string& text, double& time)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, time);
    return ec == std::errc{} && ptr == end && std::isfinite(time) && time >= 0;
}

} // namespace

KeyScript KeyScript::Parse(std::istream& in, const std::string& source)
{
    KeyScript script;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream fields(line);
        std::string time, key, state, extra;
        if (!(fields >> time) || time[0] == '#')
            continue;
        Event event;
        fields >> key >> state;
        const bool ok = ParseTime(time, event.time) && KeyCode(key, event.key) && (state == "down" || state == "up") &&
                        !(fields >> extra);
        if (!ok)
            throw UsageError(source + ":" + std::to_string(number) +
                             ": expected 'TIME KEY down|up' with KEY Up, Down, Left or Right");
        event.down = state == "down";
        script.events.push_back(event);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
    return script;
}

KeyScript KeyScript::Load(const std::string& fileName)
{
    std::ifstream in(fileName);
    if (!in)
        throw UsageError("cannot read the key script '" + fileName + "'");
    return Parse(in, fileName);
}

} // namespace Korvale::Tools
