#include "control/TransferFcn.h"

#include <cmath>

namespace Tarn {

// Written exactly in this form so networks trained elsewhere give the same
// outputs bit for bit.
double logsig(double x)
{
    return 1.0 / (std::exp(-x) + 1.0);
}

double tansig(double x)
{
    return 2.0 / (std::exp(-2.0 * x) + 1.0) - 1.0;
}

double purelin(double x)
{
    return x;
}

} // namespace Tarn
