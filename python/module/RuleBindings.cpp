// The rules the C++ core keeps and the Python programs check against: the
// frame times the world takes, whole frames in a time, the stuck measure's
// window, the top infrared reading, the measures' and rewards' names, the
// seeds taken. Defined once, in C++; the module hands them over.
#include <cmath>
#include <cstdint>
#include <limits>

#include "BindingHelpers.h"
#include "engine/FrameCount.h"
#include "engine/RunMetrics.h"
#include "model/CFenWorld.h"
#include "run/Metrics.h"
#include "run/Rewards.h"

namespace Korvale::Python {

std::int64_t FramesFrom(double seconds, double dt)
{
    const Fen::FrameCount count = Fen::framesIn(seconds, dt);
    switch (count.fault) {
    case Fen::FrameCount::Fault::badSeconds: throw py::value_error("seconds must be a number of at least 0");
    case Fen::FrameCount::Fault::tooMany: throw py::value_error("seconds / dt gives too many frames");
    case Fen::FrameCount::Fault::none: break;
    }
    return count.frames;
}

void BindRules(py::module_& m)
{
    m.def("_frames_in", &FramesFrom, py::arg("seconds"), py::arg("dt"),
          "Whole frames in seconds of dt each, halves away from zero, as every run counts them; ValueError for "
          "seconds that are not a number of at least 0, or a count of 9e15 or more.");
    m.def("_takes_frame_time", &Tarn::CFenWorld::TakesFrameTime, py::arg("dt"),
          "Whether the world steps dt unchanged (handed over in single precision), the frame times every run takes.");
    m.attr("_FRAME_TIME_RANGE") = py::make_tuple(Tarn::CFenWorld::minStepTime, Tarn::CFenWorld::maxStepTime);
    m.attr("_FRAME_TIME_RANGE_TEXT") = Tarn::CFenWorld::frameTimeRange;
    m.attr("_MAX_FRAMES") = Fen::maxFrames;
    m.attr("_STUCK_SECONDS") = Fen::RunMetrics::stuckSeconds;
    m.attr("_STUCK_DISTANCE") = Fen::RunMetrics::stuckDistance;
    m.attr("_TOP_READING") = Fen::RunMetrics::topReading;
    py::tuple rewards(rewardNames.size());
    for (std::size_t k = 0; k < rewardNames.size(); ++k)
        rewards[k] = py::str(rewardNames[k].data(), rewardNames[k].size());
    m.attr("_REWARDS") = rewards;
    py::tuple measures(measureNames.size());
    for (std::size_t k = 0; k < measureNames.size(); ++k)
        measures[k] = py::str(measureNames[k]);
    m.attr("_MEASURES") = measures;
    // What SeedFrom takes: any 64-bit whole number, signed or not.
    m.attr("_SEED_RANGE") = py::make_tuple(std::numeric_limits<std::int64_t>::min(),
                                           std::numeric_limits<std::uint64_t>::max());
}

} // namespace Korvale::Python
