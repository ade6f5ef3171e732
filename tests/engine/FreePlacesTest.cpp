// Free places for a scene's robot groups, and the generator they come from.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "EngineFixtures.h"
#include "engine/FreePlaces.h"

namespace {

using Fen::FreePlaces;
using Fen::PlacementRandom;
using Fen::Point;

TEST(PlacementRandom, IsSplitMix64)
{
    // The well-known first outputs of SplitMix64 from seed 0.
    PlacementRandom zero(0);
    EXPECT_EQ(zero.next(), 0xe220a8397b1dcdafu);
    EXPECT_EQ(zero.next(), 0x6e789e6aa1b965f4u);
    PlacementRandom unit(99);
    for (int i = 0; i < 1000; ++i) {
        const double u = unit.uniform();
        ASSERT_TRUE(u >= 0 && u < 1) << u;
    }
}

TEST(FreePlaces, TellsWallsBodiesAndDiscsFromFreeGround)
{
    auto disc = FenTest::disc({50, 50}, 10, 1);
    auto square = FenTest::box({20, 80}, 5, 5, -1);
    square->computeAbsBoundingSurface();
    FreePlaces places(100, 100, 3, 4);
    places.addBody(*disc);
    places.addBody(*square);
    places.addDisc({80, 20}, 3);

    EXPECT_TRUE(places.isFree({3, 3})) << "touching two walls";
    EXPECT_FALSE(places.isFree({2.9, 50})) << "through the left wall";
    EXPECT_FALSE(places.isFree({50, 97.1})) << "through the top wall";
    EXPECT_TRUE(places.isFree({63, 50})) << "touching the disc";
    EXPECT_FALSE(places.isFree({62.9, 50}));
    // The square's corner (25, 85): its bounding circle (radius 7.07) would
    // wrongly refuse a place off the corner that its outline leaves free.
    EXPECT_TRUE(places.isFree({28, 88.5}));
    EXPECT_FALSE(places.isFree({27.9, 80})) << "against the square's right side";
    EXPECT_FALSE(places.isFree({20, 80})) << "inside the square";
    EXPECT_TRUE(places.isFree({86, 20}));
    EXPECT_FALSE(places.isFree({85.9, 20})) << "on a placed disc";
}

TEST(FreePlaces, TakesPlacesUntilNoneIsLeft)
{
    FreePlaces places(20, 20, 3, 0);
    PlacementRandom random(5);
    std::vector<Point> taken;
    while (const std::optional<FreePlaces::Place> place = places.take(random)) {
        ASSERT_LT(taken.size(), 20u) << "no more discs of diameter 6 fit in 20 x 20";
        ASSERT_TRUE(place->angle >= 0 && place->angle < 6.2832);
        for (const Point& other : taken)
            ASSERT_GE((place->pos - other).norm(), 6);
        taken.push_back(place->pos);
    }
    EXPECT_GE(taken.size(), 4u);
    // A disc larger than the arena finds nothing, and claims no memory for it.
    FreePlaces huge(1e9, 1e9, 1, 1);
    PlacementRandom again(5);
    EXPECT_TRUE(huge.take(again).has_value());
    FreePlaces tight(5, 5, 3, 0);
    EXPECT_FALSE(tight.take(again).has_value());
}

} // namespace
