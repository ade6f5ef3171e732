#pragma once
#include <chrono>
#include <cstdint>
#include <ostream>

namespace Korvale::Tools {

// A progress bar on a terminal line, shown only once a run has taken more
// than a second, redrawn at most ten times a second and wiped at the end.
class ProgressBar {
public:
    ProgressBar(std::ostream& out, bool enabled, std::int64_t total);
    ~ProgressBar() { Finish(); }

    void Update(std::int64_t done);
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    std::ostream& out;
    bool enabled;
    bool shown = false;
    std::int64_t total;
    Clock::time_point start = Clock::now();
    Clock::time_point lastDraw;
};

} // namespace Korvale::Tools
