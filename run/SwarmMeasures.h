#pragma once
#include <cstdint>
#include <span>

#include "engine/CoverageCell.h"

namespace Tarn {
class StateArchive;
}

namespace Korvale::Run {

// A robot as the swarm measures see it: its centre and bounding radius.
struct Disc {
    double x = 0;
    double y = 0;
    double r = 0;
};

// The swarm measures of a run at one moment.
struct SwarmState {
    std::int64_t robots = 0;
    double largestCluster = 0;
    double centreDistance = 0;
    double nearestNeighbour = 0;
    std::int64_t cellsVisited = 0;
};

// How a swarm stands, robot by robot in swarm order (docs/korvale-sim.md
// defines each measure). Positions and radii must be finite numbers
// (std::invalid_argument otherwise). Neighbours are found with a grid, never
// all pairs, so ten thousand robots cost milliseconds.

// The share of the robots in the largest cluster: two robots are neighbours
// when the gap between their bodies, centre distance minus both radii, is
// less than the mean of their diameters (one diameter for equal robots);
// clusters are the connected groups of neighbours. 0 without robots.
double LargestClusterShare(std::span<const Disc> robots);
// The mean distance of the centres to their mean point. 0 without robots.
double MeanDistanceToCentre(std::span<const Disc> robots);
// The mean over the robots of the centre-to-centre distance to the nearest
// other robot. NaN for fewer than two robots.
double MeanNearestNeighbourDistance(std::span<const Disc> robots);

// The cells any robot's centre has been in over a run, on square cells of a
// given side anchored at the arena's origin, as a robot's own run measures
// count its cells: cell (floor(x / side), floor(y / side)).
class VisitedCells {
public:
    // Forgets every cell; a side that is not a positive number counts as 1.
    void Start(double side);
    void Add(double x, double y);
    std::int64_t Count() const { return static_cast<std::int64_t>(cells.size()); }
    double Side() const { return side; }
    // The side and the cells, in one order whatever the run's history.
    void Archive(Tarn::StateArchive& archive);

private:
    double side = 1;
    Fen::CoverageCells cells;
};

} // namespace Korvale::Run
