#pragma once
#include <string_view>

namespace Tarn {

// Where the run log's records go. Append either stores the whole text and
// passes it on to the system at once, or fails and leaves what was stored
// before as it was.
class ILogFile {
public:
    virtual ~ILogFile() = default;
    virtual bool Append(std::string_view text) = 0;
};

} // namespace Tarn
