#pragma once
#include <ostream>
#include <vector>

#include "engine/Vector.h"
#include "tools/PlotPath.h"

namespace Fen {
class World;
}

namespace Korvale::Tools {

// Draws the arena, every body in its colour and the robot's path as an SVG
// picture, in arena units with y pointing up.
// The path is kept in bounded memory (PlotPath): a long run's path is thinned
// to within about a picture pixel or more of the true one.
class SvgPlot {
public:
    // For the picture of this arena.
    explicit SvgPlot(const Fen::World& world);

    void AddPathPoint(const Fen::Point& point) { path.Add(point); }
    std::vector<Fen::Point> Path() const { return path.Points(); }

    void Write(std::ostream& out, const Fen::World& world) const;

private:
    PlotPath path;
};

} // namespace Korvale::Tools
