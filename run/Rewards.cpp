#include "run/Rewards.h"

#include "run/Metrics.h"

namespace Korvale::Run {

namespace {

// A fitness named after a reward reads the run measure of that name.
constexpr bool EveryRewardIsAMeasure()
{
    for (const std::string_view reward : rewardNames) {
        bool found = false;
        for (const std::string_view measure : measureNames)
            found = found || reward == measure;
        if (!found)
            return false;
    }
    return true;
}
static_assert(EveryRewardIsAMeasure());

constexpr std::array<Reward, rewardNames.size()> namedRewards = {Reward::Avoid, Reward::Distance, Reward::Coverage};
constexpr std::string_view outsideName = "outside";

} // namespace

std::optional<Reward> RewardNamed(std::string_view name)
{
    for (std::size_t k = 0; k < rewardNames.size(); ++k)
        if (name == rewardNames[k])
            return namedRewards[k];
    if (name == outsideName)
        return Reward::Outside;
    return std::nullopt;
}

std::string_view RewardName(Reward reward)
{
    for (std::size_t k = 0; k < rewardNames.size(); ++k)
        if (reward == namedRewards[k])
            return rewardNames[k];
    return outsideName;
}

std::string QuotedRewardNames()
{
    std::string text;
    for (const std::string_view name : rewardNames) {
        if (!text.empty())
            text += ", ";
        text += '"';
        text += name;
        text += '"';
    }
    return text;
}

} // namespace Korvale::Run
