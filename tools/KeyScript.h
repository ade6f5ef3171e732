#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace Korvale::Tools {

// A scripted keyboard: lines "TIME KEY down|up" with KEY one of Up, Down,
// Left, Right. Blank lines and lines starting with '#' are skipped.
class KeyScript {
public:
    struct Event {
        double time = 0;
        std::uint8_t key = 0; // virtual-key code
        bool down = false;
    };

    // Throws UsageError naming the source and line of the first bad line.
    static KeyScript Parse(std::istream& in, const std::string& source);
    static KeyScript Load(const std::string& fileName);

    // The events, in time order; events of equal time keep their file order.
    const std::vector<Event>& Events() const { return events; }

private:
    std::vector<Event> events;
};

} // namespace Korvale::Tools
