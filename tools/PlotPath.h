#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "engine/Vector.h"

namespace Korvale::Tools {

// The robot's path for a plot, in memory that does not grow with the run.
// Every point is kept until `capacity` points are held; then the path is
// thinned: a point within a tolerance of the point kept before it is
// dropped, the tolerance starting at `firstTolerance` and doubling each
// time the path fills up again. The drawn line then stays within about
// twice the tolerance of the true path, and the last point added is always
// drawn.
class PlotPath {
public:
    static constexpr std::size_t defaultCapacity = 16384;

    explicit PlotPath(double firstTolerance, std::size_t capacity = defaultCapacity);

    void Add(const Fen::Point& point);
    // The points to draw, in order, ending with the last one added.
    std::vector<Fen::Point> Points() const;
    // The same, one at a time, without a copy of the path.
    template <class Visit>
    void ForEachPoint(Visit visit) const
    {
        for (const Fen::Point& point : kept)
            visit(point);
        if (latest)
            visit(*latest);
    }
    bool Empty() const { return kept.empty(); }
    const Fen::Point& Front() const { return kept.front(); }
    // 0 while no point has been dropped.
    double Tolerance() const { return tolerance; }

private:
    void Thin();

    double firstTolerance;
    std::size_t capacity;
    double tolerance = 0;
    std::vector<Fen::Point> kept;
    std::optional<Fen::Point> latest; // added after the last kept point, within the tolerance of it
};

} // namespace Korvale::Tools
