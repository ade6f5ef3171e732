// The world's list of bodies and its ownership at the end.
#include <gtest/gtest.h>

#include "EngineFixtures.h"

using namespace Fen;

namespace {
class Counted : public PhysicalObject {
public:
    int* destroyed;
    explicit Counted(int* counter) : destroyed(counter) {}
    ~Counted() override { ++*destroyed; }
};
} // namespace

TEST(WorldList, AddKeepsDuplicatesRemoveTakesTheFirst)
{
    World world(10, 10);
    PhysicalObject a, b;
    world.addObject(&a);
    world.addObject(&b);
    world.addObject(&a);
    world.removeObject(&a);
    const std::vector<PhysicalObject*> expected{&b, &a};
    EXPECT_EQ(world.objects, expected);
    PhysicalObject absent;
    world.removeObject(&absent);
    EXPECT_EQ(world.objects, expected);
    world.objects.clear();
}

TEST(WorldList, DestroysTheBodiesStillListedOnce)
{
    int destroyed = 0;
    {
        World world(10, 10);
        auto* a = new Counted(&destroyed);
        world.addObject(a);
        world.addObject(new Counted(&destroyed));
        world.addObject(a);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(WorldList, DefaultsAndAlternatingPairOrder)
{
    World world(30, 20);
    EXPECT_TRUE(world.pairOrderFlag);
    EXPECT_TRUE(world.useWalls);
    EXPECT_EQ(world.width, 30);
    EXPECT_EQ(world.height, 20);
    for (const Texture& t : world.wallTextures)
        EXPECT_TRUE(t.empty());
    world.step(0.1);
    EXPECT_FALSE(world.pairOrderFlag);
    world.step(0.1);
    EXPECT_TRUE(world.pairOrderFlag);
}
