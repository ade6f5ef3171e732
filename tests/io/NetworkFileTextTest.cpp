// Writing a network file: what it writes reads back as the very same network.
#include <bit>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "control/CFeedForward.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "io/NetworkFileText.h"

using namespace Tarn;

namespace {

// Numbers whose shortest texts are awkward: long fractions, the extremes of
// the doubles, a subnormal, a negative zero.
const double awkward[] = {0.1, 1.0 / 3, -2.5e-300, 1.7976931348623157e308, 4.9406564584124654e-324, -0.0, 123456789.0};

CMatrix Matrix(std::int32_t m, std::int32_t n, int offset)
{
    CMatrix matrix(m, n);
    for (std::int32_t i = 0; i < m; ++i)
        for (std::int32_t j = 0; j < n; ++j)
            matrix.rows[i][j] = awkward[(offset + i * n + j) % std::size(awkward)];
    return matrix;
}

CVector Vector(std::int32_t m, int offset)
{
    CVector vector(m);
    for (std::int32_t i = 0; i < m; ++i)
        vector.data[i] = awkward[(offset + i) % std::size(awkward)];
    return vector;
}

// Three inputs, normalised and projected onto two components, a tansig layer
// of four neurons and a purelin output layer of two.
CFeedForward Example()
{
    CFeedForward network;
    network.inputDimensions = 3;
    network.outputDimensions = 2;
    network.numLayers = 2;
    network.mean = Vector(3, 0);
    network.std = Vector(3, 2);
    network.PCAmatrix = Matrix(2, 3, 1);
    network.hasMean = network.hasStd = network.hasPCA = true;
    network.layerDimensions = {4, 2};
    network.transferFcns = {tansig, purelin};
    network.weights = {Matrix(4, 2, 3), Matrix(2, 4, 5)};
    network.biases = {Vector(4, 4), Vector(2, 6)};
    return network;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::bit_cast<std::uint64_t>(a[i]) != std::bit_cast<std::uint64_t>(b[i]))
            return false;
    return true;
}

bool SameBits(const CMatrix& a, const CMatrix& b)
{
    if (a.m != b.m || a.n != b.n)
        return false;
    for (std::size_t i = 0; i < a.rows.size(); ++i)
        if (!SameBits(a.rows[i], b.rows[i]))
            return false;
    return true;
}

CFeedForward ReadBack(const std::string& text)
{
    CFenIOStruct io = CFenIOStruct::FromText(text);
    CFeedForward network;
    CFeedForwardReader().Read(io, network);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText() << text;
    return network;
}

} // namespace

TEST(NetworkFileText, ReadsBackAsTheSameNetworkToTheBit)
{
    const CFeedForward written = Example();
    const CFeedForward read = ReadBack(NetworkFileText(written));
    EXPECT_EQ(read.inputDimensions, 3);
    EXPECT_EQ(read.outputDimensions, 2);
    EXPECT_EQ(read.layerDimensions, written.layerDimensions);
    EXPECT_EQ(read.transferFcns, written.transferFcns);
    EXPECT_TRUE(read.hasMean && read.hasStd && read.hasPCA);
    EXPECT_TRUE(SameBits(read.mean.data, written.mean.data));
    EXPECT_TRUE(SameBits(read.std.data, written.std.data));
    EXPECT_TRUE(SameBits(read.PCAmatrix, written.PCAmatrix));
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_TRUE(SameBits(read.weights[k], written.weights[k])) << "layer " << k;
        EXPECT_TRUE(SameBits(read.biases[k].data, written.biases[k].data)) << "layer " << k;
    }
}

TEST(NetworkFileText, LeavesOutTheNormalisationANetworkDoesNotHaveAndWritesNumbersShortest)
{
    CFeedForward network;
    network.inputDimensions = 2;
    network.outputDimensions = 1;
    network.numLayers = 1;
    network.layerDimensions = {1};
    network.transferFcns = {logsig};
    network.weights = {CMatrix(1, 2)};
    network.weights[0].rows[0] = {0.1, -3};
    network.biases = {CVector(1)};
    network.biases[0].data = {1e-05};
    EXPECT_EQ(NetworkFileText(network), R"(<?xml version="1.0"?>
<network inputDimensions="2" outputDimensions="1" numLayers="1">
  <layers>
    <layer index="1" dimensions="1" transferFcn="logsig"/>
  </layers>
  <weights>
    <inputlayer from="0" to="1"><matrix m="1" n="2">
        0.1 -3
      </matrix></inputlayer>
  </weights>
  <biases>
    <bias to="1"><vector m="1">1e-05</vector></bias>
  </biases>
</network>
)");
}

TEST(NetworkFileText, PointedNumbersKeepTheirPointAndTakeAnExponentOnlyFarFromOne)
{
    CFeedForward network;
    network.inputDimensions = 9;
    network.outputDimensions = 1;
    network.numLayers = 1;
    network.layerDimensions = {1};
    network.transferFcns = {purelin};
    network.weights = {CMatrix(1, 9)};
    network.weights[0].rows[0] = {1, -0.0, 0.0001, 1e-05, 1e15, 1e16, 0.5, 123456789012345680.0, 2.5e-300};
    network.biases = {CVector(1)};
    network.biases[0].data = {-3};
    const std::string text = NetworkFileText(network, NumberForm::pointed);
    EXPECT_NE(text.find("\n        1.0 -0.0 0.0001 1e-05 1000000000000000.0 1e+16 0.5 1.2345678901234568e+17 2.5e-300\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<vector m=\"1\">-3.0</vector>"), std::string::npos) << text;
    // The shortest form of the same numbers, for contrast.
    EXPECT_NE(NetworkFileText(network).find("\n        1 -0 1e-04 1e-05 1e+15 1e+16 0.5 123456789012345680 2.5e-300\n"),
              std::string::npos);
    const CFeedForward read = ReadBack(text);
    EXPECT_TRUE(SameBits(read.weights[0].rows[0], network.weights[0].rows[0]));

    const CFeedForward example = Example();
    const CFeedForward pointed = ReadBack(NetworkFileText(example, NumberForm::pointed));
    EXPECT_TRUE(SameBits(pointed.mean.data, example.mean.data));
    EXPECT_TRUE(SameBits(pointed.PCAmatrix, example.PCAmatrix));
    EXPECT_TRUE(SameBits(pointed.weights[1], example.weights[1]));
}

TEST(NetworkFileText, RefusesWhatNoFileCouldHold)
{
    CFeedForward network = Example();
    network.biases[1].data[0] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(NetworkFileText(network), std::invalid_argument);
    EXPECT_THROW(NetworkFileText(CFeedForward{}), std::invalid_argument);
    network = Example();
    network.weights[1] = CMatrix(2, 3); // no longer fits the layer before
    EXPECT_THROW(NetworkFileText(network), std::invalid_argument);
}
