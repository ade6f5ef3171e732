// Swarms in the broad phase: hundreds of robots with sensors and cameras that
// see and push each other run as the all-pairs loop runs them, to the bit,
// and the threads that share the sensing change nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>
#include "RandomScene.h"
#include "engine/Random.h"

using namespace Fen;
using FenTest::RandomScene;

namespace {

// Steps every scene once per frame, each with its own noise, and returns the
// first frame at which a scene's fingerprint differs from the first scene's
// (or -1). Counts the frames the broad phase took in each scene after the first.
struct Lockstep {
    std::vector<std::unique_ptr<RandomScene>> scenes;
    std::vector<std::uint32_t> noise;
    std::vector<int> broadFrames;

    Lockstep(std::uint32_t seed, int bodies, int robots, int count)
    {
        for (int k = 0; k < count; ++k) {
            scenes.push_back(std::make_unique<RandomScene>(seed, bodies, robots));
            noise.push_back(777);
            broadFrames.push_back(0);
        }
    }

    int firstDifference(int frames)
    {
        for (int frame = 0; frame < frames; ++frame) {
            std::uint64_t first = 0;
            for (std::size_t k = 0; k < scenes.size(); ++k) {
                NoiseScope scope(noise[k]);
                scenes[k]->world.step(1.0 / 60);
                const std::uint64_t print = FenTest::fingerprint(*scenes[k]);
                broadFrames[k] += scenes[k]->world.lastStepUsedBroadPhase();
                if (k == 0)
                    first = print;
                else if (print != first)
                    return frame;
            }
        }
        return -1;
    }
};

} // namespace

TEST(SwarmStep, HundredsOfRobotsRunAsWithAllPairs)
{
    for (const std::uint32_t seed : {3u, 8u}) {
        Lockstep run(seed, 150, 250, 2);
        run.scenes[0]->world.pairSearch = PairSearch::allPairs;
        run.scenes[1]->world.pairSearch = PairSearch::broadPhase;
        ASSERT_EQ(run.firstDifference(200), -1) << "seed " << seed;
        EXPECT_EQ(run.broadFrames[1], 200) << "seed " << seed;
        // The swarm met itself: robots see robots and bodies, and cameras
        // show something.
        double seen = 0;
        int shown = 0;
        for (const NeuralRobot* robot : run.scenes[1]->robots) {
            for (const auto& sensor : robot->irSensors)
                seen += sensor->finalValue;
            for (const auto& camera : robot->cameras)
                for (const double depth : camera->zBuffer)
                    shown += depth < 1e300;
        }
        EXPECT_GT(seen, 0) << "seed " << seed;
        EXPECT_GT(shown, 0) << "seed " << seed;
    }
}

TEST(SwarmStep, OneTwoAndEightThreadsGiveTheSameRun)
{
    Lockstep run(5, 200, 400, 3);
    const unsigned threads[] = {1, 2, 8};
    for (std::size_t k = 0; k < 3; ++k) {
        run.scenes[k]->world.pairSearch = PairSearch::broadPhase;
        run.scenes[k]->world.setThreads(threads[k]);
        EXPECT_EQ(run.scenes[k]->world.threads(), threads[k]);
    }
    ASSERT_EQ(run.firstDifference(200), -1);
    EXPECT_EQ(run.broadFrames[2], 200);
}
