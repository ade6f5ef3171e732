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
    // The system's error number of the last Append that failed; 0 when it
    // is not known.
    virtual int LastError() const { return 0; }
};

} // namespace Tarn
