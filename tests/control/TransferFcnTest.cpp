// The three transfer functions of the network's layers.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "control/TransferFcn.h"

using namespace Tarn;

TEST(TransferFcn, ValuesAtZero)
{
    EXPECT_EQ(logsig(0), 0.5);
    EXPECT_EQ(tansig(0), 0.0);
    EXPECT_EQ(purelin(0), 0.0);
}

TEST(TransferFcn, PurelinIsTheIdentity)
{
    for (double x : {-3.5, 1e-300, 42.0, 1e300})
        EXPECT_EQ(purelin(x), x);
}

TEST(TransferFcn, EvaluatedInTheStatedForm)
{
    for (double x : {-2.0, -0.3, 0.1, 0.7, 5.0}) {
        EXPECT_EQ(logsig(x), 1 / (std::exp(-x) + 1)) << x;
        EXPECT_EQ(tansig(x), 2 / (std::exp(-2 * x) + 1) - 1) << x;
    }
}

TEST(TransferFcn, SaturateWithoutError)
{
    const double big = 1e6;
    EXPECT_EQ(logsig(-big), 0.0);
    EXPECT_EQ(logsig(big), 1.0);
    EXPECT_EQ(tansig(-big), -1.0);
    EXPECT_EQ(tansig(big), 1.0);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(logsig(-inf), 0.0);
    EXPECT_EQ(tansig(inf), 1.0);
}
