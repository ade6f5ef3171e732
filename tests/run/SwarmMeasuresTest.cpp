#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

#include "base/StateArchive.h"
#include "run/SwarmMeasures.h"

using namespace Korvale::Run;

namespace {

// The same measures by visiting every pair, to hold the grid's answers against.
double ClusterShareOfAllPairs(const std::vector<Disc>& robots)
{
    const std::size_t n = robots.size();
    std::vector<std::size_t> group(n);
    std::iota(group.begin(), group.end(), std::size_t{0});
    const auto find = [&](std::size_t i) {
        while (group[i] != i)
            i = group[i];
        return i;
    };
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = std::hypot(robots[i].x - robots[j].x, robots[i].y - robots[j].y);
            if (d - robots[i].r - robots[j].r < robots[i].r + robots[j].r)
                group[find(j)] = find(i);
        }
    std::vector<std::size_t> sizes(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        ++sizes[find(i)];
    return static_cast<double>(*std::max_element(sizes.begin(), sizes.end())) / static_cast<double>(n);
}

double NearestOfAllPairs(const std::vector<Disc>& robots)
{
    double sum = 0;
    for (std::size_t i = 0; i < robots.size(); ++i) {
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < robots.size(); ++j)
            if (j != i)
                nearest = std::min(nearest, std::hypot(robots[i].x - robots[j].x, robots[i].y - robots[j].y));
        sum += nearest;
    }
    return sum / static_cast<double>(robots.size());
}

} // namespace

TEST(SwarmMeasures, ClustersJoinRobotsCloserThanADiameterBetweenTheirBodies)
{
    // Radius 1: neighbours while the centres are less than 4 apart.
    const std::vector<Disc> robots = {
        {0, 0, 1}, {3.9, 0, 1}, {7.8, 0, 1}, // a chain of three, each gap 1.9
        {20, 0, 1}, {24, 0, 1},              // a gap of exactly one diameter: apart
        {50, 50, 1},
    };
    EXPECT_DOUBLE_EQ(LargestClusterShare(robots), 0.5);
    // Unequal robots: the mean of the two diameters, 1 + 3 = 4, against the gap.
    EXPECT_DOUBLE_EQ(LargestClusterShare(std::vector<Disc>{{0, 0, 1}, {7.9, 0, 3}}), 1.0);
    EXPECT_DOUBLE_EQ(LargestClusterShare(std::vector<Disc>{{0, 0, 1}, {8, 0, 3}}), 0.5);
    // A chain that runs through many cells is one cluster.
    std::vector<Disc> chain;
    for (int i = 0; i < 100; ++i)
        chain.push_back({3.0 * i, 1000 - 2.0 * i, 1}); // 3.6 apart
    EXPECT_DOUBLE_EQ(LargestClusterShare(chain), 1.0);
    EXPECT_DOUBLE_EQ(LargestClusterShare(std::vector<Disc>{}), 0.0);
    EXPECT_DOUBLE_EQ(LargestClusterShare(std::vector<Disc>{{5, 5, 3}}), 1.0);
}

TEST(SwarmMeasures, DistancesToTheCentreAndToTheNearestNeighbour)
{
    const std::vector<Disc> square = {{0, 0, 1}, {2, 0, 1}, {0, 2, 1}, {2, 2, 1}};
    EXPECT_DOUBLE_EQ(MeanDistanceToCentre(square), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(MeanNearestNeighbourDistance(square), 2.0);
    // Centre to centre, whatever the radii; the far robot's nearest is (3, 4).
    const std::vector<Disc> spread = {{0, 0, 1}, {3, 0, 2}, {3, 4, 1}, {100, 100, 5}};
    EXPECT_DOUBLE_EQ(MeanNearestNeighbourDistance(spread), (3 + 3 + 4 + std::sqrt(97.0 * 97 + 96 * 96)) / 4);
    // On one point, on one line, and too few to have a neighbour.
    EXPECT_EQ(MeanNearestNeighbourDistance(std::vector<Disc>{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}), 0.0);
    EXPECT_DOUBLE_EQ(MeanNearestNeighbourDistance(std::vector<Disc>{{0, 5, 1}, {1, 5, 1}, {10, 5, 1}}), 11.0 / 3);
    EXPECT_TRUE(std::isnan(MeanNearestNeighbourDistance(std::vector<Disc>{{1, 1, 1}})));
    EXPECT_EQ(MeanDistanceToCentre(std::vector<Disc>{}), 0.0);
}

TEST(SwarmMeasures, TheGridFindsWhatEveryPairWouldFind)
{
    std::mt19937 random(31);
    std::uniform_real_distribution<double> place(0, 400);
    std::uniform_real_distribution<double> size(1, 4);
    for (const std::size_t n : {2u, 37u, 1500u}) {
        std::vector<Disc> robots;
        for (std::size_t i = 0; i < n; ++i)
            robots.push_back({place(random), place(random), size(random)});
        // A straggler far away, so that the cells are not all alike.
        robots.push_back({5000, -3000, 2});
        EXPECT_DOUBLE_EQ(LargestClusterShare(robots), ClusterShareOfAllPairs(robots)) << n;
        EXPECT_DOUBLE_EQ(MeanNearestNeighbourDistance(robots), NearestOfAllPairs(robots)) << n;
    }
}

TEST(SwarmMeasures, PositionsThatAreNoNumbersAreRefused)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Disc> robots = {{0, 0, 1}, {nan, 0, 1}};
    EXPECT_THROW(LargestClusterShare(robots), std::invalid_argument);
    EXPECT_THROW(MeanDistanceToCentre(robots), std::invalid_argument);
    EXPECT_THROW(MeanNearestNeighbourDistance(robots), std::invalid_argument);
    const std::vector<Disc> farApart = {{-1e308, 0, 1}, {1e308, 0, 1}};
    EXPECT_THROW(MeanNearestNeighbourDistance(farApart), std::invalid_argument);
}

TEST(SwarmMeasures, VisitedCellsCountEachCellOnceAndSurviveAState)
{
    VisitedCells cells;
    cells.Start(2);
    cells.Add(0.5, 0.5);
    cells.Add(1.9, 1.9); // the same cell, (0, 0)
    cells.Add(2, 0); // (1, 0)
    cells.Add(-0.1, 0); // (-1, 0)
    EXPECT_EQ(cells.Count(), 3);

    Tarn::StateArchive save = Tarn::StateArchive::Saving();
    cells.Archive(save);
    const std::string bytes = save.TakeBytes();
    VisitedCells restored;
    restored.Start(7);
    Tarn::StateArchive load = Tarn::StateArchive::Reading(bytes, true);
    restored.Archive(load);
    EXPECT_EQ(restored.Count(), 3);
    EXPECT_EQ(restored.Side(), 2);
    restored.Add(1, 1);
    EXPECT_EQ(restored.Count(), 3);
}
