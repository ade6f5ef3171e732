#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>
#include "engine/Polygone.h"
#include "engine/Vector.h"

namespace Fen {

class PhysicalObject;

// The placement generator of a scene's robot groups: SplitMix64 over a 64-bit
// seed, a sequence of its own so that placing robots never moves the engine's
// noise. uniform() is the top 53 bits of the next output times 2^-53, in [0, 1).
class PlacementRandom {
public:
    explicit PlacementRandom(std::uint64_t seed) : state(seed) {}
    std::uint64_t next();
    double uniform();

private:
    std::uint64_t state;
};

// Where a disc of one radius can stand in the arena: inside the walls (its
// whole circle), on no body and on no disc placed before it. Bodies are taken
// by their outline (a disc, or a polygon where it stands), placed discs by
// their circle; touching is allowed, overlapping is not. A grid over the arena
// keeps each test to the neighbourhood of the candidate.
class FreePlaces {
public:
    struct Place {
        Point pos;
        double angle; // radians
    };

    // A robot that finds no free place in this many draws ends the placement.
    static constexpr int drawsPerPlace = 1000;

    // `expected` is about how many bodies and discs will be added, to size the grid.
    FreePlaces(double width, double height, double radius, std::size_t expected);

    void addBody(const PhysicalObject& body);
    void addDisc(const Point& centre, double radius);
    // Draws x, then y, until a free place turns up (at most drawsPerPlace
    // times), then the heading in [0, 2 pi); the place is taken at once.
    std::optional<Place> take(PlacementRandom& random);
    bool isFree(const Point& p) const;

private:
    struct Shape {
        Point centre;
        double r;
        Polygone outline; // empty for a disc
    };
    void insert(std::uint32_t index, double minX, double minY, double maxX, double maxY);
    int column(double x) const;
    int row(double y) const;

    double width;
    double height;
    double radius;
    double cell = 1;
    int columns = 1;
    int rows = 1;
    std::vector<Shape> shapes;
    std::vector<std::vector<std::uint32_t>> cells;
};

} // namespace Fen
