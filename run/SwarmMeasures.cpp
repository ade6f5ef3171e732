#include "run/SwarmMeasures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "base/StateArchive.h"

namespace Korvale::Run {

namespace {

void CheckFinite(std::span<const Disc> robots)
{
    for (const Disc& robot : robots)
        if (!(std::isfinite(robot.x) && std::isfinite(robot.y) && std::isfinite(robot.r)))
            throw std::invalid_argument("the swarm measures need finite positions and radii");
}

double Distance(const Disc& a, const Disc& b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// The robots sorted into square cells over their bounding box, at most about
// four cells a robot: a side too small for that is doubled until it fits.
class PointGrid {
public:
    PointGrid(std::span<const Disc> robots, double side_) : side(side_ > 0 ? side_ : 1)
    {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        double minX = infinity, minY = infinity, maxX = -infinity, maxY = -infinity;
        for (const Disc& robot : robots) {
            minX = std::min(minX, robot.x);
            minY = std::min(minY, robot.y);
            maxX = std::max(maxX, robot.x);
            maxY = std::max(maxY, robot.y);
        }
        originX = minX;
        originY = minY;
        const double width = maxX - minX;
        const double height = maxY - minY;
        if (!(std::isfinite(width) && std::isfinite(height)))
            throw std::invalid_argument("the swarm measures need positions closer than the largest number");
        const double limit = 4.0 * static_cast<double>(robots.size()) + 16;
        while ((std::floor(width / side) + 1) * (std::floor(height / side) + 1) > limit)
            side *= 2;
        columnCount = static_cast<std::int64_t>(std::floor(width / side)) + 1;
        rowCount = static_cast<std::int64_t>(std::floor(height / side)) + 1;

        // A counting sort by cell: each cell's robots in swarm order.
        const std::size_t cells = static_cast<std::size_t>(columnCount * rowCount);
        start.assign(cells + 1, 0);
        std::vector<std::size_t> cellOf(robots.size());
        for (std::size_t i = 0; i < robots.size(); ++i) {
            cellOf[i] = static_cast<std::size_t>(Row(robots[i].y) * columnCount + Column(robots[i].x));
            ++start[cellOf[i] + 1];
        }
        std::partial_sum(start.begin(), start.end(), start.begin());
        order.resize(robots.size());
        std::vector<std::size_t> next(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < robots.size(); ++i)
            order[next[cellOf[i]]++] = static_cast<std::uint32_t>(i);
    }

    std::int64_t Column(double x) const { return Clip((x - originX) / side, columnCount); }
    std::int64_t Row(double y) const { return Clip((y - originY) / side, rowCount); }
    std::int64_t Columns() const { return columnCount; }
    std::int64_t Rows() const { return rowCount; }
    double Side() const { return side; }

    // f(robot) for every robot in cell (column, row); nothing outside the grid.
    template <class F>
    void ForEachInCell(std::int64_t column, std::int64_t row, const F& f) const
    {
        if (column < 0 || row < 0 || column >= columnCount || row >= rowCount)
            return;
        const auto cell = static_cast<std::size_t>(row * columnCount + column);
        for (std::size_t k = start[cell]; k < start[cell + 1]; ++k)
            f(order[k]);
    }

private:
    static std::int64_t Clip(double cell, std::int64_t count)
    {
        return std::clamp(static_cast<std::int64_t>(std::floor(cell)), std::int64_t{0}, count - 1);
    }

    double side;
    double originX = 0;
    double originY = 0;
    std::int64_t columnCount = 1;
    std::int64_t rowCount = 1;
    std::vector<std::size_t> start; // per cell, where its robots begin in `order`
    std::vector<std::uint32_t> order;
};

// Groups by union and find; the smaller index is always the root, so the
// groups do not depend on the order of the unions.
class Groups {
public:
    explicit Groups(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::size_t{0}); }

    std::size_t Find(std::size_t i)
    {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    }
    void Join(std::size_t a, std::size_t b)
    {
        a = Find(a);
        b = Find(b);
        if (a < b)
            parent[b] = a;
        else if (b < a)
            parent[a] = b;
    }

private:
    std::vector<std::size_t> parent;
};

bool Neighbours(const Disc& a, const Disc& b)
{
    // The gap between the bodies against the mean of their diameters.
    return Distance(a, b) - a.r - b.r < a.r + b.r;
}

} // namespace

double LargestClusterShare(std::span<const Disc> robots)
{
    CheckFinite(robots);
    if (robots.empty())
        return 0;
    double largestRadius = 0;
    for (const Disc& robot : robots)
        largestRadius = std::max(largestRadius, std::fabs(robot.r));
    // Neighbours are less than 2 (ra + rb) <= 4 * the largest radius apart:
    // in the same cell or the next.
    const PointGrid grid(robots, 4 * largestRadius);
    Groups groups(robots.size());
    for (std::size_t i = 0; i < robots.size(); ++i) {
        const std::int64_t column = grid.Column(robots[i].x);
        const std::int64_t row = grid.Row(robots[i].y);
        for (std::int64_t dy = -1; dy <= 1; ++dy)
            for (std::int64_t dx = -1; dx <= 1; ++dx)
                grid.ForEachInCell(column + dx, row + dy, [&](std::uint32_t j) {
                    if (j > i && Neighbours(robots[i], robots[j]))
                        groups.Join(i, j);
                });
    }
    std::vector<std::size_t> sizes(robots.size(), 0);
    std::size_t largest = 0;
    for (std::size_t i = 0; i < robots.size(); ++i)
        largest = std::max(largest, ++sizes[groups.Find(i)]);
    return static_cast<double>(largest) / static_cast<double>(robots.size());
}

double MeanDistanceToCentre(std::span<const Disc> robots)
{
    CheckFinite(robots);
    if (robots.empty())
        return 0;
    const auto n = static_cast<double>(robots.size());
    Disc centre;
    for (const Disc& robot : robots) {
        centre.x += robot.x;
        centre.y += robot.y;
    }
    centre.x /= n;
    centre.y /= n;
    double sum = 0;
    for (const Disc& robot : robots)
        sum += Distance(robot, centre);
    return sum / n;
}

double MeanNearestNeighbourDistance(std::span<const Disc> robots)
{
    CheckFinite(robots);
    if (robots.size() < 2)
        return std::numeric_limits<double>::quiet_NaN();
    // About one robot a cell over the robots' bounding box.
    double minX = robots[0].x, maxX = minX, minY = robots[0].y, maxY = minY;
    for (const Disc& robot : robots) {
        minX = std::min(minX, robot.x);
        maxX = std::max(maxX, robot.x);
        minY = std::min(minY, robot.y);
        maxY = std::max(maxY, robot.y);
    }
    const auto n = static_cast<double>(robots.size());
    const double width = maxX - minX;
    const double height = maxY - minY;
    double side = std::sqrt(width * height / n);
    if (!(side > 0))
        side = std::max(width, height) / n;
    if (!(side > 0))
        return 0; // all on one point
    const PointGrid grid(robots, side);
    const std::int64_t farthest = std::max(grid.Columns(), grid.Rows());
    double sum = 0;
    for (std::size_t i = 0; i < robots.size(); ++i) {
        const std::int64_t column = grid.Column(robots[i].x);
        const std::int64_t row = grid.Row(robots[i].y);
        double nearest = std::numeric_limits<double>::infinity();
        const auto visit = [&](std::uint32_t j) {
            if (j != i)
                nearest = std::min(nearest, Distance(robots[i], robots[j]));
        };
        // Rings of cells around the robot's own; every robot beyond ring k
        // lies at least k sides away.
        for (std::int64_t k = 0; k <= farthest; ++k) {
            if (k == 0) {
                grid.ForEachInCell(column, row, visit);
            } else {
                for (std::int64_t d = -k; d <= k; ++d) {
                    grid.ForEachInCell(column + d, row - k, visit);
                    grid.ForEachInCell(column + d, row + k, visit);
                }
                for (std::int64_t d = -k + 1; d <= k - 1; ++d) {
                    grid.ForEachInCell(column - k, row + d, visit);
                    grid.ForEachInCell(column + k, row + d, visit);
                }
            }
            if (nearest <= static_cast<double>(k) * grid.Side())
                break;
        }
        sum += nearest;
    }
    return sum / n;
}

void VisitedCells::Start(double side_)
{
    side = side_ > 0 && std::isfinite(side_) ? side_ : 1;
    cells.clear();
}

void VisitedCells::Add(double x, double y) { cells.insert(Fen::CoverageCell::Of(x, y, side)); }

void VisitedCells::Archive(Tarn::StateArchive& archive)
{
    double keptSide = side;
    std::vector<Fen::CoverageCell> visited;
    if (archive.GetMode() == Tarn::StateArchive::Mode::Save)
        visited = Fen::SortedCells(cells);
    archive.Local(keptSide);
    archive.LocalSequence(visited);
    if (!(keptSide > 0 && std::isfinite(keptSide)))
        throw Tarn::StateMismatch("the state's swarm measures are damaged");
    if (!archive.Loading())
        return;
    side = keptSide;
    cells = Fen::CoverageCells(visited.begin(), visited.end());
}

} // namespace Korvale::Run
