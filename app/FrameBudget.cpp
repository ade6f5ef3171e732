#include "app/FrameBudget.h"

#include <algorithm>

namespace Korvale {

double FrameBudget::Next(double period, double lastFrame, double drawing)
{
    const double most = std::max(Least, period - drawing - 0.002);
    if (lastFrame > period * Late)
        budget *= Cut;
    else
        budget += Raise;
    budget = std::clamp(budget, Least, most);
    return budget;
}

} // namespace Korvale
