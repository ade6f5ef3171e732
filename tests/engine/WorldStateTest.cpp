// A world's state saved mid-run and loaded into a world of the same bodies
// continues as the original, with the broad phase and with all pairs.
#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "RandomScene.h"
#include "base/StateArchive.h"
#include "engine/Random.h"
#include "engine/WorldState.h"

using namespace Fen;
using FenTest::RandomScene;

namespace {

std::string Save(World& world)
{
    Tarn::StateArchive archive = Tarn::StateArchive::Saving();
    archiveWorldState(archive, world);
    return archive.TakeBytes();
}

void Load(World& world, const std::string& bytes)
{
    Tarn::StateArchive check = Tarn::StateArchive::Reading(bytes, false);
    archiveWorldState(check, world);
    Tarn::StateArchive load = Tarn::StateArchive::Reading(bytes, true);
    archiveWorldState(load, world);
}

// The scripted controls count their updates; a run restored with them
// behind would be driven differently, so they travel beside the state.
std::vector<int> Scripts(const RandomScene& scene)
{
    std::vector<int> steps;
    for (const auto& control : scene.controls)
        steps.push_back(control->step);
    return steps;
}

void SetScripts(RandomScene& scene, const std::vector<int>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i)
        scene.controls[i]->step = steps[i];
}

std::vector<std::uint64_t> Steps(RandomScene& scene, std::uint32_t& noise, int steps)
{
    std::vector<std::uint64_t> prints;
    for (int i = 0; i < steps; ++i) {
        const NoiseScope scope(noise);
        scene.world.step(1.0 / 60);
        prints.push_back(FenTest::fingerprint(scene));
    }
    return prints;
}

} // namespace

TEST(WorldState, ARunRestoredMidWayContinuesAsTheOriginalToTheBit)
{
    for (const PairSearch search : {PairSearch::broadPhase, PairSearch::allPairs}) {
        for (std::uint32_t seed = 1; seed <= 2; ++seed) {
            RandomScene original(seed, 60);
            original.world.pairSearch = search;
            std::uint32_t noise = 77;
            Steps(original, noise, 150);
            const std::string state = Save(original.world);
            const std::vector<int> scripts = Scripts(original);
            const std::uint32_t savedNoise = noise;
            // An odd count, so that the pair order differs from the saved one.
            const std::vector<std::uint64_t> expected = Steps(original, noise, 201);

            // A fresh world of the same bodies, run elsewhere first, so that its
            // caches hold another history; and the original, run on since.
            RandomScene other(seed, 60);
            other.world.pairSearch = search;
            std::uint32_t otherNoise = 5;
            Steps(other, otherNoise, 41);
            for (RandomScene* scene : {&other, &original}) {
                Load(scene->world, state);
                SetScripts(*scene, scripts);
                std::uint32_t restoredNoise = savedNoise;
                EXPECT_EQ(Steps(*scene, restoredNoise, 201), expected) << "seed " << seed;
            }
            if (search == PairSearch::broadPhase) {
                EXPECT_TRUE(original.world.lastStepUsedBroadPhase());
            }
        }
    }
}

TEST(WorldState, AStateOfOtherBodiesIsRefusedAndChangesNothing)
{
    RandomScene small(4, 30);
    RandomScene large(4, 31);
    std::uint32_t noise = 1;
    Steps(large, noise, 10);
    const std::uint64_t before = FenTest::fingerprint(large);
    const std::string state = Save(small.world);
    Tarn::StateArchive check = Tarn::StateArchive::Reading(state, false);
    EXPECT_THROW(archiveWorldState(check, large.world), Tarn::StateMismatch);
    EXPECT_EQ(FenTest::fingerprint(large), before);
}
