#include "app/CRunControl.h"

#include <array>
#include <cmath>

namespace Korvale {

namespace {
// Powers of two: the gathered fractions add up exactly.
constexpr std::array<double, CRunControl::SpeedCount - 1> Factors{0.125, 0.25, 0.5, 1, 2, 4, 8, 16};
constexpr std::array<const char*, CRunControl::SpeedCount> Texts{
    "×1/8", "×1/4", "×1/2", "×1", "×2", "×4", "×8", "×16", "as fast as possible"};
}

void CRunControl::SetPaused(bool on)
{
    paused = on;
    steps = 0;
    credit = 0.0;
}

bool CRunControl::RequestStep()
{
    if (!paused)
        return false;
    ++steps;
    return true;
}

bool CRunControl::Faster()
{
    if (level == SpeedCount - 1)
        return false;
    ++level;
    credit = 0.0;
    return true;
}

bool CRunControl::Slower()
{
    if (level == 0)
        return false;
    --level;
    credit = 0.0;
    return true;
}

std::string CRunControl::SpeedText() const { return Texts[static_cast<std::size_t>(level)]; }

std::string CRunControl::StateText() const
{
    if (paused)
        return level == NormalSpeed ? "Paused" : "Paused (speed " + SpeedText() + ")";
    if (level == NormalSpeed)
        return "Ready";
    if (IsAsFastAsPossible())
        return "As fast as possible";
    return "Speed " + SpeedText();
}

int CRunControl::TakeFrames()
{
    if (paused) {
        const int taken = steps;
        steps = 0;
        return taken;
    }
    if (IsAsFastAsPossible())
        return 0;
    credit += Factors[static_cast<std::size_t>(level)];
    const double whole = std::floor(credit);
    credit -= whole;
    return static_cast<int>(whole);
}

} // namespace Korvale
