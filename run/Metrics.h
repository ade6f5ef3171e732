#pragma once
#include <array>
#include <cstdint>

#include "engine/RunMetrics.h"

namespace Korvale::Run {

// The measures' names, in the order every dict and table of them lists them.
inline constexpr std::array<const char*, 5> measureNames = {"distance", "coverage", "contact_frames", "stuck", "avoid"};

// The metrics of a run so far, as values (Fen::RunMetrics says what each is).
struct Metrics {
    std::int64_t frames = 0;
    double distance = 0;
    std::int64_t coverage = 0;
    std::int64_t contactFrames = 0;
    double stuck = 0;
    double avoid = 0;
    bool stuckMeasured = false;

    // visit(name, value) for each measure, in the order of measureNames;
    // the counts stay whole numbers.
    template <class Visit>
    void ForEachMeasure(Visit&& visit) const
    {
        visit(measureNames[0], distance);
        visit(measureNames[1], coverage);
        visit(measureNames[2], contactFrames);
        visit(measureNames[3], stuck);
        visit(measureNames[4], avoid);
    }

    static Metrics Of(const Fen::RunMetrics& m)
    {
        return {m.frames(), m.distance(), m.coverage(), m.contactFrames(), m.stuck(), m.avoid(), m.stuckMeasured()};
    }
};

} // namespace Korvale::Run
