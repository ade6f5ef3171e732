#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace Korvale::Run {

// What rewards a step: the frame's avoid value, its distance, a new cell
// (1) or none (0), or nothing here (the environment's Python callable).
enum class Reward { Avoid, Distance, Coverage, Outside };

// The rewards a learner picks by name, in the order every message lists
// them. Each is also the name of the run measure it adds up (Metrics), so
// a fitness named after a reward reads that measure.
inline constexpr std::array<std::string_view, 3> rewardNames = {"avoid", "distance", "coverage"};

// The reward a name picks: one of rewardNames, or "outside" for a reward
// computed by the caller (as pickles keep it); nullopt for any other name.
std::optional<Reward> RewardNamed(std::string_view name);
std::string_view RewardName(Reward reward);
// rewardNames as a message lists them: "avoid", "distance", "coverage".
std::string QuotedRewardNames();

} // namespace Korvale::Run
