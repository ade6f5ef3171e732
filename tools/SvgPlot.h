#pragma once
#include <ostream>
#include <vector>

#include "engine/Vector.h"
#include "tools/PlotPath.h"

namespace Fen {
class World;
}

namespace Korvale::Tools {

// Draws the arena, every body in its colour and the robots' paths as an SVG
// picture, in arena units with y pointing up.
// Each path is kept in bounded memory (PlotPath): a long run's path is
// thinned to within about a picture pixel or more of the true one. A lone
// robot's path holds up to PlotPath::defaultCapacity points; the paths of a
// swarm share pointsForAllPaths, each at least minimumPathCapacity.
class SvgPlot {
public:
    static constexpr std::size_t pointsForAllPaths = 262144;
    static constexpr std::size_t minimumPathCapacity = 64;

    // For the picture of this arena and that many robots' paths.
    explicit SvgPlot(const Fen::World& world, std::size_t robots = 1);

    void AddPathPoint(const Fen::Point& point) { paths.front().Add(point); }
    void AddPathPoint(std::size_t robot, const Fen::Point& point) { paths.at(robot).Add(point); }
    std::vector<Fen::Point> Path(std::size_t robot = 0) const { return paths.at(robot).Points(); }
    // The points a path holds at most.
    static std::size_t PathCapacity(std::size_t robots);

    void Write(std::ostream& out, const Fen::World& world) const;

private:
    void WritePath(std::ostream& out, const PlotPath& path) const;

    std::vector<PlotPath> paths;
};

} // namespace Korvale::Tools
