#include <gtest/gtest.h>

#include "run/Rewards.h"

using namespace Korvale::Run;

TEST(Rewards, EveryNameGivesItsRewardAndBackAndPicklesKeepOutside)
{
    for (const std::string_view name : rewardNames) {
        const std::optional<Reward> reward = RewardNamed(name);
        ASSERT_TRUE(reward.has_value()) << name;
        EXPECT_EQ(RewardName(*reward), name);
    }
    EXPECT_EQ(RewardNamed("distance"), Reward::Distance);
    EXPECT_EQ(RewardNamed("outside"), Reward::Outside);
    EXPECT_EQ(RewardName(Reward::Outside), "outside");
    EXPECT_EQ(RewardNamed("Avoid"), std::nullopt);
    EXPECT_EQ(RewardNamed(""), std::nullopt);
    EXPECT_EQ(QuotedRewardNames(), R"("avoid", "distance", "coverage")");
}
