#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace Fen {

// A square cell of the grid a run's coverage counts: cell (floor(x / side),
// floor(y / side)), anchored at the arena's origin. One robot's run measures
// and the swarm's visited cells count the same cells.
struct CoverageCell {
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool operator==(const CoverageCell&) const = default;

    // The cell of a point, each index kept within a range where it stays
    // exact and fits.
    static CoverageCell Of(double x, double y, double side) { return {index(x, side), index(y, side)}; }

private:
    static std::int64_t index(double coordinate, double side)
    {
        constexpr double limit = 4e18;
        const double cell = std::floor(coordinate / side);
        if (!(cell > -limit))
            return static_cast<std::int64_t>(-limit);
        return static_cast<std::int64_t>(std::min(cell, limit));
    }
};

struct CoverageCellHash {
    std::size_t operator()(const CoverageCell& c) const
    {
        return static_cast<std::size_t>(c.x * 0x9e3779b97f4a7c15ULL ^ (c.y + 0x632be59bd9b4e019ULL));
    }
};

using CoverageCells = std::unordered_set<CoverageCell, CoverageCellHash>;

// The cells in one order whatever the run's history, so that equal runs give
// equal bytes in a snapshot.
inline std::vector<CoverageCell> SortedCells(const CoverageCells& cells)
{
    std::vector<CoverageCell> sorted(cells.begin(), cells.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const CoverageCell& p, const CoverageCell& q) { return p.x != q.x ? p.x < q.x : p.y < q.y; });
    return sorted;
}

} // namespace Fen
