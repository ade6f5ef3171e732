#pragma once
#include <ostream>
#include <vector>

#include "engine/Vector.h"

namespace Fen {
class World;
}

namespace Korvale::Tools {

// Draws the arena, every body in its colour and the robot's path as an SVG
// picture, in arena units with y pointing up.
class SvgPlot {
public:
    void AddPathPoint(const Fen::Point& point) { path.push_back(point); }
    const std::vector<Fen::Point>& Path() const { return path; }

    void Write(std::ostream& out, const Fen::World& world) const;

private:
    std::vector<Fen::Point> path;
};

} // namespace Korvale::Tools
