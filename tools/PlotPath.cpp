#include "tools/PlotPath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Korvale::Tools {

namespace {

bool Within(const Fen::Point& a, const Fen::Point& b, double tolerance)
{
    return (a - b).norm2() <= tolerance * tolerance;
}

} // namespace

PlotPath::PlotPath(double firstTolerance_, std::size_t capacity_)
    : firstTolerance(firstTolerance_ > 0 ? firstTolerance_ : std::numeric_limits<double>::min()),
      capacity(std::max<std::size_t>(capacity_, 4))
{
    kept.reserve(capacity);
}

void PlotPath::Add(const Fen::Point& point)
{
    if (tolerance > 0 && !kept.empty() && Within(point, kept.back(), tolerance)) {
        latest = point;
        return;
    }
    latest.reset();
    kept.push_back(point);
    if (kept.size() >= capacity)
        Thin();
}

void PlotPath::Thin()
{
    while (kept.size() > capacity / 2) {
        tolerance = tolerance > 0 ? 2 * tolerance : firstTolerance;
        // Past every finite tolerance only points that are no numbers are
        // left apart: every other one goes then.
        const bool everyOther = std::isinf(tolerance);
        std::size_t out = 1;
        for (std::size_t i = 1; i + 1 < kept.size(); ++i) {
            const bool keep = everyOther ? i % 2 == 0 : !Within(kept[i], kept[out - 1], tolerance);
            if (keep)
                kept[out++] = kept[i];
        }
        kept[out++] = kept.back(); // the path still ends where the robot is
        kept.resize(out);
    }
}

std::vector<Fen::Point> PlotPath::Points() const
{
    std::vector<Fen::Point> points = kept;
    if (latest)
        points.push_back(*latest);
    return points;
}

} // namespace Korvale::Tools
