// Arenas as researchers write them by script: bodies on a jittered grid with
// random sizes, nothing keeping them apart or inside the walls, the start
// point wherever it falls. Every one loads as written and runs with the
// robot kept inside, however the bodies overlap.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>

#include "fuzz/FuzzCases.h"

namespace {

// Uniform numbers from the standard engine's fixed sequence (the standard
// distributions may differ between libraries).
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine(seed) {}
    double between(double low, double high) { return low + (high - low) * (engine() >> 5) * (1.0 / 134217728.0); }
    bool chance(double p) { return between(0, 1) < p; }

private:
    std::mt19937 engine;
};

struct Disc {
    double x, y, r;
    bool movable;
};

// A generated scene, and what in it the scene loader used to refuse (counted
// for the discs, whose overlaps are plain to see).
struct Arena {
    std::string xml;
    int overlappingDiscs = 0; // pairs, one of them at least movable
    int discsPastAWall = 0;
    bool startOnADisc = false;
};

Arena Generate(std::uint32_t seed, int bodies)
{
    Dice dice(seed);
    const int columns = static_cast<int>(std::ceil(std::sqrt(bodies)));
    const int rows = (bodies + columns - 1) / columns;
    const double spacing = 10;
    const double width = columns * spacing;
    const double height = rows * spacing;
    const double startX = dice.between(3, width - 3);
    const double startY = dice.between(3, height - 3);
    std::ostringstream xml;
    xml.setf(std::ios::fixed);
    xml.precision(3);
    xml << "<world width=\"" << width << "\" height=\"" << height << "\" startX=\"" << startX << "\" startY=\""
        << startY << "\">\n";
    std::vector<Disc> discs;
    for (int i = 0; i < bodies; ++i) {
        const double x = (i % columns + 0.5) * spacing + dice.between(-0.35, 0.35) * spacing;
        const double y = (i / columns + 0.5) * spacing + dice.between(-0.35, 0.35) * spacing;
        const double size = dice.between(0.15, 0.55) * spacing;
        const bool movable = dice.chance(0.7);
        xml << "  <object x=\"" << x << "\" y=\"" << y << "\"";
        if (movable)
            xml << " mass=\"" << dice.between(0.2, 5) << "\"";
        if (dice.chance(0.6)) {
            xml << " r=\"" << size << "\" color=\"red\"/>\n";
            discs.push_back({x, y, size, movable});
            continue;
        }
        // A regular polygon of 3 to 6 corners, counter-clockwise, turned at random.
        const int corners = 3 + static_cast<int>(dice.between(0, 4));
        xml << " angle=\"" << dice.between(0, 360) << "\" color=\"green\">\n    <polygone m=\"" << corners << "\">";
        for (int k = 0; k < corners; ++k) {
            const double a = 2 * 3.141592653589793 * k / corners;
            xml << (k == 0 ? "" : " ") << size * std::cos(a) << " " << size * std::sin(a);
        }
        xml << "</polygone>\n  </object>\n";
    }
    xml << "</world>\n";

    Arena arena{xml.str()};
    for (std::size_t i = 0; i < discs.size(); ++i) {
        const Disc& a = discs[i];
        arena.discsPastAWall += a.x < a.r || a.y < a.r || a.x + a.r > width || a.y + a.r > height;
        arena.startOnADisc |= std::hypot(startX - a.x, startY - a.y) < a.r + 3; // Robot.xml's radius
        for (std::size_t j = i + 1; j < discs.size(); ++j) {
            const Disc& b = discs[j];
            arena.overlappingDiscs += (a.movable || b.movable) && std::hypot(a.x - b.x, a.y - b.y) < a.r + b.r;
        }
    }
    return arena;
}

void ExpectLoadsAndRuns(const Arena& arena, const std::string& name)
{
    const Korvale::Fuzz::CaseResult result =
        Korvale::Fuzz::RunCase(Korvale::Fuzz::Harness::Scene, arena.xml, KORVALE_SOURCE_DIR "/examples");
    EXPECT_TRUE(result.ran) << name << " did not load";
    EXPECT_EQ(result.fault, "") << name;
}

TEST(GeneratedArenas, TwentyArenasOfSixtyBodiesAllLoadAndRunWithTheRobotInside)
{
    int overlaps = 0;
    int pastAWall = 0;
    int startsOnADisc = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const Arena arena = Generate(seed, 60);
        overlaps += arena.overlappingDiscs;
        pastAWall += arena.discsPastAWall;
        startsOnADisc += arena.startOnADisc;
        ExpectLoadsAndRuns(arena, "arena " + std::to_string(seed) + " of 60 bodies");
    }
    // What the arenas hold that the loader once refused.
    EXPECT_GT(overlaps, 20);
    EXPECT_GT(pastAWall, 20);
    EXPECT_GT(startsOnADisc, 0);
}

TEST(GeneratedArenas, LargerArenasUpToThreeThousandBodiesLoadAndRunWithTheRobotInside)
{
    for (const int bodies : {150, 400, 1000, 3000}) {
        const Arena arena = Generate(100 + static_cast<std::uint32_t>(bodies), bodies);
        EXPECT_GT(arena.overlappingDiscs, bodies / 20);
        ExpectLoadsAndRuns(arena, "an arena of " + std::to_string(bodies) + " bodies");
    }
}

} // namespace
