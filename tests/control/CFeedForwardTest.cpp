// The network: evaluation order, each normalisation step alone, the
// consistency check and clearing.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "control/CFeedForward.h"

using namespace Tarn;

namespace {

CVector Vec(const std::vector<double>& values)
{
    CVector v(static_cast<std::int32_t>(values.size()));
    v.data = values;
    return v;
}

CMatrix Mat(const std::vector<std::vector<double>>& rows)
{
    CMatrix M(static_cast<std::int32_t>(rows.size()), rows.empty() ? 0 : static_cast<std::int32_t>(rows[0].size()));
    M.rows = rows;
    return M;
}

struct Layer {
    CMatrix weights;
    CVector bias;
    TransferFcn f;
};

// A consistent network from its layers; inputs = the first matrix's columns.
CFeedForward Network(const std::vector<Layer>& layers)
{
    CFeedForward net;
    net.inputDimensions = layers.front().weights.n;
    net.outputDimensions = layers.back().weights.m;
    net.numLayers = static_cast<std::int32_t>(layers.size());
    for (const Layer& layer : layers) {
        net.layerDimensions.push_back(layer.weights.m);
        net.transferFcns.push_back(layer.f);
        net.weights.push_back(layer.weights);
        net.biases.push_back(layer.bias);
    }
    return net;
}

// One purelin layer with identity weights and zero bias: the network's
// output is its normalised input.
CFeedForward Passthrough(int size)
{
    CMatrix identity(size, size);
    for (int i = 0; i < size; ++i)
        identity.rows[i][i] = 1;
    return Network({{identity, CVector(size), purelin}});
}

} // namespace

TEST(CFeedForwardEvaluate, WithoutNormalisationLayerOneSeesTheRawInput)
{
    const CFeedForward net = Network({
        {Mat({{0.5, -1}, {2, 0.25}}), Vec({0.1, -0.2}), tansig},
        {Mat({{1, 1}}), Vec({0.3}), logsig},
    });
    ASSERT_TRUE(net.IsConsistent());
    const double x0 = 0.4, x1 = -1.5;
    const double h0 = tansig((0.0 + x0 * 0.5 + x1 * -1) + 0.1);
    const double h1 = tansig((0.0 + x0 * 2 + x1 * 0.25) + -0.2);
    const CVector y = net.Evaluate(Vec({x0, x1}));
    ASSERT_EQ(y.m, 1);
    EXPECT_EQ(y[0], logsig(0.3 + (0.0 + h0 * 1 + h1 * 1)));
}

TEST(CFeedForwardEvaluate, MeanAloneIsSubtracted)
{
    CFeedForward net = Passthrough(2);
    net.mean = Vec({1, -2});
    net.hasMean = true;
    EXPECT_EQ(net.Evaluate(Vec({3, 3})).data, (std::vector<double>{2, 5}));
}

TEST(CFeedForwardEvaluate, StdAloneDividesWithTheGuard)
{
    CFeedForward net = Passthrough(3);
    net.std = Vec({2, 0, 1e-11});
    net.hasStd = true;
    // A constant component contributes 0, not infinity.
    EXPECT_EQ(net.Evaluate(Vec({3, 3, 3})).data, (std::vector<double>{1.5, 0, 0}));
}

TEST(CFeedForwardEvaluate, PcaAloneProjects)
{
    CFeedForward net = Passthrough(2);
    net.inputDimensions = 3;
    net.PCAmatrix = Mat({{1, 0, 1}, {0, 2, 0}});
    net.hasPCA = true;
    ASSERT_TRUE(net.IsConsistent());
    EXPECT_EQ(net.Evaluate(Vec({1, 2, 3})).data, (std::vector<double>{4, 4}));
}

TEST(CFeedForwardEvaluate, NormalisationRunsMeanThenStdThenPca)
{
    CFeedForward net = Passthrough(1);
    net.inputDimensions = 2;
    net.mean = Vec({1, 2});
    net.std = Vec({4, 0.5});
    net.PCAmatrix = Mat({{1, 10}});
    net.hasMean = net.hasStd = net.hasPCA = true;
    ASSERT_TRUE(net.IsConsistent());
    const double a = (5.0 - 1) / 4, b = (3.0 - 2) / 0.5;
    EXPECT_EQ(net.Evaluate(Vec({5, 3}))[0], 0.0 + a * 1 + b * 10);
}

TEST(CFeedForwardEvaluate, FlagsDecideNotTheStoredData)
{
    CFeedForward net = Passthrough(1);
    net.mean = Vec({100});
    net.std = Vec({100});
    EXPECT_EQ(net.Evaluate(Vec({7}))[0], 7);
}

TEST(CFeedForwardEvaluate, WrongInputSizeGivesEmptyOutput)
{
    const CFeedForward net = Passthrough(2);
    EXPECT_EQ(net.Evaluate(Vec({1})).m, 0);
    EXPECT_EQ(net.Evaluate(Vec({1, 2, 3})).m, 0);
    EXPECT_EQ(CFeedForward().Evaluate(Vec({1})).m, 0);
    EXPECT_EQ(CFeedForward().Evaluate(CVector()).m, 0);
}

TEST(CFeedForwardConsistency, EmptyNetworkIsConsistent)
{
    EXPECT_TRUE(CFeedForward().IsConsistent());
}

TEST(CFeedForwardConsistency, NormalisationSizesMustMatchTheInput)
{
    CFeedForward net = Passthrough(2);
    net.mean = Vec({1, 2, 3});
    net.hasMean = true;
    EXPECT_FALSE(net.IsConsistent());
    net.hasMean = false;
    net.std = Vec({1});
    net.hasStd = true;
    EXPECT_FALSE(net.IsConsistent());
    net.hasStd = false;
    EXPECT_TRUE(net.IsConsistent());
}

TEST(CFeedForwardConsistency, PcaRowsFeedLayerOne)
{
    CFeedForward net = Passthrough(2);
    net.PCAmatrix = Mat({{1, 0}, {0, 1}, {1, 1}});
    net.hasPCA = true;
    // The first matrix has inputDimensions columns but the PCA gives three.
    EXPECT_FALSE(net.IsConsistent());
    net.PCAmatrix = Mat({{1, 0, 0}, {0, 1, 0}});
    EXPECT_FALSE(net.IsConsistent()); // PCA columns must be inputDimensions
}

TEST(CFeedForwardConsistency, DimensionChain)
{
    const CFeedForward good = Network({
        {Mat({{1, 1, 1}, {1, 1, 1}}), Vec({0, 0}), tansig},
        {Mat({{1, 1}}), Vec({0}), purelin},
    });
    ASSERT_TRUE(good.IsConsistent());

    CFeedForward net = good;
    net.weights[1] = Mat({{1, 1, 1}});
    EXPECT_FALSE(net.IsConsistent());

    net = good;
    net.outputDimensions = 2;
    EXPECT_FALSE(net.IsConsistent());

    net = good;
    net.weights[1] = Mat({{1, 1}, {1, 1}}); // more rows than outputs
    net.biases[1] = Vec({0, 0});
    net.layerDimensions[1] = 2;
    EXPECT_FALSE(net.IsConsistent());

    net = good;
    net.biases[0] = Vec({0, 0, 0});
    EXPECT_FALSE(net.IsConsistent());

    net = good;
    net.layerDimensions[0] = 3;
    EXPECT_FALSE(net.IsConsistent());
}

TEST(CFeedForwardConsistency, UnsizedLayerStorageIsInconsistent)
{
    CFeedForward net = Passthrough(2);
    net.biases.clear();
    EXPECT_FALSE(net.IsConsistent());
    net = Passthrough(2);
    net.numLayers = 2;
    EXPECT_FALSE(net.IsConsistent());
}

TEST(CFeedForwardClear, BackToTheEmptyNetwork)
{
    CFeedForward net = Passthrough(2);
    net.mean = Vec({1, 2});
    net.std = Vec({1, 2});
    net.PCAmatrix = Mat({{1, 0}, {0, 1}});
    net.hasMean = net.hasStd = net.hasPCA = true;
    net.Clear();
    EXPECT_EQ(net.inputDimensions, 0);
    EXPECT_EQ(net.outputDimensions, 0);
    EXPECT_EQ(net.numLayers, 0);
    EXPECT_EQ(net.mean.m, 0);
    EXPECT_EQ(net.std.m, 0);
    EXPECT_EQ(net.PCAmatrix.m, 0);
    EXPECT_EQ(net.PCAmatrix.n, 0);
    EXPECT_TRUE(net.layerDimensions.empty());
    EXPECT_TRUE(net.transferFcns.empty());
    EXPECT_TRUE(net.weights.empty());
    EXPECT_TRUE(net.biases.empty());
    EXPECT_FALSE(net.hasMean || net.hasStd || net.hasPCA);
    EXPECT_EQ(net.Evaluate(Vec({1, 2})).m, 0);
}
