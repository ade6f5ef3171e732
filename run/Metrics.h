#pragma once
#include <cstdint>

#include "engine/RunMetrics.h"

namespace Korvale::Run {

// The metrics of a run so far, as values (Fen::RunMetrics says what each is).
struct Metrics {
    std::int64_t frames = 0;
    double distance = 0;
    std::int64_t coverage = 0;
    std::int64_t contactFrames = 0;
    double stuck = 0;
    double avoid = 0;
    bool stuckMeasured = false;

    static Metrics Of(const Fen::RunMetrics& m)
    {
        return {m.frames(), m.distance(), m.coverage(), m.contactFrames(), m.stuck(), m.avoid(), m.stuckMeasured()};
    }
};

} // namespace Korvale::Run
