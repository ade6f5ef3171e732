#pragma once
#include <cstdint>
#include <vector>

#include "engine/BodyGrid.h"
#include "engine/PhysicalObject.h"
#include "engine/RunMetrics.h"
#include "run/SwarmMeasures.h"

namespace Tarn {
class IWorld;
class StateArchive;
}

namespace Fen {
class NeuralRobot;
class World;
}

namespace Korvale::Run {

// The run measures of a swarm's robots after the first, and the cells any
// robot has visited. Robot 0's measures stay the simulation's own, kept as a
// lone robot's always were; these are kept only while the swarm has more
// than one robot. The robots' contact tests share one grid of the world's
// bodies, so each looks only at the bodies near it.
class SwarmRunMetrics {
public:
    // Starts every robot's measures where it stands, and the visited cells
    // on cells as wide as robot 0; nothing for a swarm of one robot or none.
    void Start(const Tarn::IWorld& world, double frameTime);
    // After a frame: each robot's frame (its distance alone, or every
    // measure), then every robot's cell.
    void AddFrame(const Tarn::IWorld& robots, Fen::World& world, bool distanceOnly);
    // Robot `index` was put somewhere from outside a step: its measures
    // start again there (robot 0's are the simulation's to start) and its
    // new cell counts as visited.
    void RobotPlaced(const Tarn::IWorld& world, std::size_t index, double frameTime);

    // Robots counted: the swarm's size, or 0 while not kept.
    std::size_t Count() const { return others.empty() ? 0 : others.size() + 1; }
    // index from 1 to Count() - 1.
    const Fen::RunMetrics& Of(std::size_t index) const { return others.at(index - 1); }
    std::int64_t CellsVisited() const { return cells.Count(); }

    void Archive(Tarn::StateArchive& archive);

private:
    bool Touches(Fen::World& world, const Fen::NeuralRobot& robot);
    void UpdatePlaces(const Fen::World& world);
    void Place(const Fen::World& world, std::uint32_t body);

    std::vector<Fen::RunMetrics> others; // robots 1, 2, ...
    VisitedCells cells;

    // Every body of the world, robots included, by its bounding circle's box.
    Fen::BodyGrid places;
    bool placesKnown = false;
    std::size_t placedBodies = 0;
    double largestRadius = 0;
    std::vector<std::uint32_t> changed;
    std::vector<std::uint32_t> near;
    std::vector<std::uint32_t> stamps;
    std::uint32_t stamp = 0;
    Fen::PhysicalObject robotCopy;
    Fen::PhysicalObject bodyCopy;
};

} // namespace Korvale::Run
