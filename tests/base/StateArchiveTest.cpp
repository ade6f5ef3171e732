// One walk of the fields saves them, checks bytes against them, loads them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/StateArchive.h"

using Tarn::StateArchive;
using Tarn::StateMismatch;

namespace {

struct Sample {
    std::uint32_t bodies = 2; // fixed by the model
    double time = 0;
    std::vector<double> path; // grows as it runs

    void Walk(StateArchive& archive)
    {
        archive.Fixed(bodies, "the numbers of bodies");
        archive.Value(time);
        archive.Sequence(path);
        archive.Finish();
    }
};

std::string Save(Sample sample)
{
    StateArchive archive = StateArchive::Saving();
    sample.Walk(archive);
    return archive.TakeBytes();
}

} // namespace

TEST(StateArchive, ChecksBytesWithoutChangingAnythingThenLoadsThem)
{
    const std::string bytes = Save(Sample{2, 1.5, {1, 2, 3}});
    Sample target{2, 0, {9}};
    StateArchive check = StateArchive::Reading(bytes, false);
    target.Walk(check);
    EXPECT_EQ(target.time, 0.0);
    EXPECT_EQ(target.path, std::vector<double>{9});
    StateArchive load = StateArchive::Reading(bytes, true);
    target.Walk(load);
    EXPECT_EQ(target.time, 1.5);
    EXPECT_EQ(target.path, (std::vector<double>{1, 2, 3}));
}

TEST(StateArchive, RefusesBytesOfAnotherStructureCutShortOrTooLong)
{
    const std::string bytes = Save(Sample{2, 1.5, {1, 2, 3}});
    const auto refusal = [](const std::string& state) -> std::string {
        Sample target;
        StateArchive check = StateArchive::Reading(state, false);
        try {
            target.Walk(check);
        } catch (const StateMismatch& mismatch) {
            return mismatch.what();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal(Save(Sample{3, 0, {}})), "the state belongs to another simulation: the numbers of bodies differ");
    EXPECT_EQ(refusal(bytes.substr(0, bytes.size() - 1)), "the state is cut short");
    EXPECT_EQ(refusal(bytes + "x"), "the state belongs to another simulation: it is longer");
    EXPECT_EQ(refusal(bytes), "accepted");
}
