// The "network" reader: a complete file, every message with the chain of
// lines it ends in, and an empty network after every failure.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/CFeedForward.h"
#include "io/CFenIOStruct.h"
#include "io/CFeedForwardReader.h"

using namespace Tarn;

namespace {

// Two inputs, normalised by mean, std and a 2x2 PCA, a tansig layer of two
// neurons and a logsig output layer of one.
const std::string network = R"(<network inputDimensions="2" outputDimensions="1" numLayers="2">
  <mean><vector m="2">0.5 1</vector></mean>
  <std><vector m="2">2 4</vector></std>
  <PCAmatrix><matrix m="2" n="2">1 0 0 1</matrix></PCAmatrix>
  <layers>
    <layer index="1" dimensions="2" transferFcn="tansig"/>
    <layer index="2" dimensions="1" transferFcn="logsig"/>
  </layers>
  <weights>
    <inputlayer to="1"><matrix m="2" n="2">1 2 3 4</matrix></inputlayer>
    <hiddenlayer from="1" to="2"><matrix m="1" n="2">0.5 -0.5</matrix></hiddenlayer>
  </weights>
  <biases>
    <bias to="1"><vector m="2">0.1 0.2</vector></bias>
    <bias to="2"><vector m="1">0.3</vector></bias>
  </biases>
</network>)";

// The network file with one piece of text replaced (which must be there).
std::string With(const std::string& from, const std::string& to)
{
    const std::size_t at = network.find(from);
    if (at == std::string::npos || network.find(from, at + 1) != std::string::npos) {
        ADD_FAILURE() << "not exactly once in the network file: " << from;
        return network;
    }
    return network.substr(0, at) + to + network.substr(at + from.size());
}

std::string Without(const std::string& piece) { return With(piece, ""); }

const std::string unable = "Error in CFeedForwardReader: unable to read network\n";
const std::string inconsistent = "Error in CFeedForwardReader: inconsistent network\n";

std::string Line(const std::string& text) { return "Error in CFeedForwardReader: " + text + "\n"; }

// A network with something in every field, to see that a read empties it.
CFeedForward Filled()
{
    CFeedForward net;
    net.inputDimensions = net.outputDimensions = net.numLayers = 1;
    net.mean = CVector(1);
    net.hasMean = net.hasStd = net.hasPCA = true;
    net.layerDimensions = {1};
    net.transferFcns = {purelin};
    net.weights = {CMatrix(1, 1)};
    net.biases = {CVector(1)};
    return net;
}

void ExpectEmpty(const CFeedForward& net)
{
    EXPECT_EQ(net.inputDimensions, 0);
    EXPECT_EQ(net.outputDimensions, 0);
    EXPECT_EQ(net.numLayers, 0);
    EXPECT_EQ(net.mean.m, 0);
    EXPECT_EQ(net.std.m, 0);
    EXPECT_EQ(net.PCAmatrix.m, 0);
    EXPECT_TRUE(net.layerDimensions.empty());
    EXPECT_TRUE(net.transferFcns.empty());
    EXPECT_TRUE(net.weights.empty());
    EXPECT_TRUE(net.biases.empty());
    EXPECT_FALSE(net.hasMean || net.hasStd || net.hasPCA);
}

struct NetworkCase {
    const char* name;
    std::string xml;
    std::string expected;
};

std::string CaseName(const testing::TestParamInfo<NetworkCase>& info) { return info.param.name; }

// Names instead of gtest's byte dump in test listings.
void PrintTo(const NetworkCase& c, std::ostream* os) { *os << c.name; }

} // namespace

TEST(CFeedForwardReader, ReadsACompleteNetwork)
{
    CFenIOStruct io = CFenIOStruct::FromText(network);
    CFeedForward net = Filled();
    CFeedForwardReader().Read(io, net);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(net.inputDimensions, 2);
    EXPECT_EQ(net.outputDimensions, 1);
    EXPECT_EQ(net.numLayers, 2);
    EXPECT_TRUE(net.hasMean && net.hasStd && net.hasPCA);
    EXPECT_EQ(net.mean.data, (std::vector<double>{0.5, 1}));
    EXPECT_EQ(net.std.data, (std::vector<double>{2, 4}));
    EXPECT_EQ(net.PCAmatrix.rows, (std::vector<std::vector<double>>{{1, 0}, {0, 1}}));
    EXPECT_EQ(net.layerDimensions, (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(net.transferFcns, (std::vector<TransferFcn>{tansig, logsig}));
    ASSERT_EQ(net.weights.size(), 2u);
    EXPECT_EQ(net.weights[0].rows, (std::vector<std::vector<double>>{{1, 2}, {3, 4}}));
    EXPECT_EQ(net.weights[1].rows, (std::vector<std::vector<double>>{{0.5, -0.5}}));
    ASSERT_EQ(net.biases.size(), 2u);
    EXPECT_EQ(net.biases[0].data, (std::vector<double>{0.1, 0.2}));
    EXPECT_EQ(net.biases[1].data, (std::vector<double>{0.3}));
    EXPECT_TRUE(net.IsConsistent());
}

TEST(CFeedForwardReader, ReadNetworkEvaluatesAsWritten)
{
    CFenIOStruct io = CFenIOStruct::FromText(network);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    CVector input(2);
    input.data = {2.5, -3};
    const double x0 = (2.5 - 0.5) / 2, x1 = (-3 - 1.0) / 4; // identity PCA
    const double h0 = tansig(0.0 + x0 * 1 + x1 * 2 + 0.1);
    const double h1 = tansig(0.0 + x0 * 3 + x1 * 4 + 0.2);
    EXPECT_EQ(net.Evaluate(input)[0], logsig(0.3 + (0.0 + h0 * 0.5 + h1 * -0.5)));
}

TEST(CFeedForwardReader, SectionsComeInAnyOrder)
{
    // The layers moved behind the biases, normalisation last.
    const std::string layers = R"(<layers>
    <layer index="1" dimensions="2" transferFcn="tansig"/>
    <layer index="2" dimensions="1" transferFcn="logsig"/>
  </layers>)";
    const std::string mean = R"(<mean><vector m="2">0.5 1</vector></mean>)";
    std::string moved = Without(mean);
    moved = moved.substr(0, moved.find(layers)) + moved.substr(moved.find(layers) + layers.size());
    moved.insert(moved.find("</network>"), layers + mean);
    CFenIOStruct io = CFenIOStruct::FromText(moved);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(net.layerDimensions, (std::vector<std::int32_t>{2, 1}));
    EXPECT_TRUE(net.hasMean);
}

TEST(CFeedForwardReader, OneLineFileReadsLikeTheIndentedOne)
{
    std::string oneLine;
    for (char c : network)
        if (c != '\n')
            oneLine += c;
    CFenIOStruct io = CFenIOStruct::FromText(oneLine);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(net.numLayers, 2);
}

TEST(CFeedForwardReader, WeightElementNamesAreInterchangeable)
{
    std::string swapped = With(R"(<inputlayer to="1"><matrix m="2" n="2">1 2 3 4</matrix></inputlayer>)",
                               R"(<hiddenlayer to="1"><matrix m="2" n="2">1 2 3 4</matrix></hiddenlayer>)");
    swapped = swapped.replace(swapped.find(R"(<hiddenlayer from="1")"), 21, R"(<inputlayer from="1")");
    swapped = swapped.replace(swapped.find("</hiddenlayer>\n  </weights>"), 14, "</inputlayer>");
    CFenIOStruct io = CFenIOStruct::FromText(swapped);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(net.weights.size(), 2u);
}

TEST(CFeedForwardReader, UnknownElementsAndAttributesAreIgnored)
{
    std::string extra = With("<network ", R"(<network comment="trained by hand" )");
    extra = extra.replace(extra.find("<layers>"), 8, R"(<notes><anything/></notes><layers>)");
    extra = extra.replace(extra.find(R"(<bias to="2">)"), 13, R"(<bias to="2" colour="red">)");
    CFenIOStruct io = CFenIOStruct::FromText(extra);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(net.numLayers, 2);
}

TEST(CFeedForwardReader, NormalisationIsOptional)
{
    std::string bare = Without(R"(<mean><vector m="2">0.5 1</vector></mean>)");
    bare = bare.replace(bare.find("<std>"), bare.find("</PCAmatrix>") + 12 - bare.find("<std>"), "");
    CFenIOStruct io = CFenIOStruct::FromText(bare);
    CFeedForward net;
    CFeedForwardReader().Read(io, net);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_FALSE(net.hasMean || net.hasStd || net.hasPCA);
}

class NetworkReaderMessages : public testing::TestWithParam<NetworkCase> {};

TEST_P(NetworkReaderMessages, ReportsTheChainAndLeavesTheNetworkEmpty)
{
    const NetworkCase& c = GetParam();
    CFenIOStruct io = CFenIOStruct::FromText(c.xml);
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    CFeedForward net = Filled();
    CFeedForwardReader().Read(io, net);
    EXPECT_EQ(io.GetErrorText(), c.expected);
    ExpectEmpty(net);
}

namespace {

const std::string layerOne = R"(<layer index="1" dimensions="2" transferFcn="tansig"/>)";
const std::string weightOne = R"(<inputlayer to="1">)";
const std::string weightTwo = R"(<hiddenlayer from="1" to="2">)";
const std::string biasTwo = R"(<bias to="2">)";
const std::string meanVector = R"(<vector m="2">0.5 1</vector>)";
const std::string layersRead = Line("unable to read layers");
const std::string weightsRead = Line("unable to read weights");
const std::string biasesRead = Line("unable to read biases");

} // namespace

INSTANTIATE_TEST_SUITE_P(CFeedForwardReader, NetworkReaderMessages, testing::Values(
    // The root element.
    NetworkCase{"BadNodeName", With("<network ", "<Network ").replace(network.rfind("network>"), 7, "Network"),
                Line("bad nodeName")},
    NetworkCase{"DoubleInputDimensions", With("<network ", R"(<network inputDimensions="2" )"),
                Line("double definition of inputDimensions")},
    NetworkCase{"DoubleOutputDimensions", With(R"(numLayers="2">)", R"(numLayers="2" outputDimensions="1">)"),
                Line("double definition of outputDimensions")},
    NetworkCase{"DoubleNumLayers", With(R"(numLayers="2">)", R"(numLayers="2" numLayers="2">)"),
                Line("double definition of numLayers")},
    NetworkCase{"InputDimensionsZero", With(R"(inputDimensions="2")", R"(inputDimensions="0")"),
                Line("inputDimensions <= 0")},
    NetworkCase{"OutputDimensionsLetters", With(R"(outputDimensions="1")", R"(outputDimensions="one")"),
                Line("outputDimensions <= 0")},
    NetworkCase{"NumLayersNegative", With(R"(numLayers="2")", R"(numLayers="-2")"), Line("numLayers <= 0")},
    NetworkCase{"NoNumLayers", With(R"( numLayers="2")", ""), Line("incomplete definition of network")},
    NetworkCase{"TextInNetwork", With("<layers>", "stray text<layers>"),
                Line("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT") + unable + inconsistent},
    NetworkCase{"CommentInNetwork", With("<layers>", "<!-- layers follow --><layers>"),
                Line("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT") + unable + inconsistent},
    // Missing or repeated sections.
    NetworkCase{"NoBiases", With(network.substr(network.find("  <biases>"), network.find("</biases>") + 10 -
                                                 network.find("  <biases>")), ""),
                unable + inconsistent},
    NetworkCase{"SecondMeanAtTheEnd", With("</network>", "<mean>" + meanVector + "</mean></network>"), unable},
    NetworkCase{"SecondLayersAtTheEnd", With("</network>", R"(<layers><layer index="1" dimensions="2" transferFcn="tansig"/><layer index="2" dimensions="1" transferFcn="logsig"/></layers></network>)"),
                unable},
    NetworkCase{"MeanOfAnotherSize", With(meanVector, R"(<vector m="3">0.5 1 2</vector>)"), unable + inconsistent},
    NetworkCase{"PcaRowsDoNotFitLayerOne", With(R"(<matrix m="2" n="2">1 0 0 1</matrix>)", R"(<matrix m="3" n="2">1 0 0 1 1 1</matrix>)"),
                unable + inconsistent},
    NetworkCase{"LastLayerWiderThanOutput", With(R"(outputDimensions="1")", R"(outputDimensions="2")"),
                unable + inconsistent},
    // mean, std, PCAmatrix.
    NetworkCase{"MeanWithTwoChildren", With("<mean>", "<mean><!-- c -->"),
                Line("bad definition of mean") + unable + inconsistent},
    NetworkCase{"EmptyMean", With("<mean>" + meanVector + "</mean>", "<mean/>"),
                Line("bad definition of mean") + unable + inconsistent},
    NetworkCase{"MeanVectorUnreadable", With(meanVector, R"(<vector m="2">0.5,1</vector>)"),
                "Error in CVectorReader: unable to parse vector data\n" + Line("unable to read mean") + unable +
                    inconsistent},
    NetworkCase{"MeanHoldsAComment", With(meanVector, "<!-- none -->"),
                "Error in CVectorReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n" +
                    Line("unable to read mean") + unable + inconsistent},
    NetworkCase{"StdWithoutChild", With(R"(<std><vector m="2">2 4</vector></std>)", "<std></std>"),
                Line("bad definition of std") + unable + inconsistent},
    NetworkCase{"StdVectorUnreadable", With(R"(<vector m="2">2 4</vector>)", R"(<vector m="2">2</vector>)"),
                "Error in CVectorReader: unable to parse vector data\n" + Line("unable to read std") + unable +
                    inconsistent},
    NetworkCase{"PcaWithTwoMatrices", With("</PCAmatrix>", R"(<matrix m="1" n="1">1</matrix></PCAmatrix>)"),
                Line("bad definition of PCAmatrix") + unable + inconsistent},
    NetworkCase{"PcaMatrixUnreadable", With(R"(<matrix m="2" n="2">1 0 0 1</matrix>)", R"(<matrix m="2" n="2">1 0 0</matrix>)"),
                "Error in CMatrixReader: unable to parse matrix data\n" + Line("unable to read PCAmatrix") +
                    unable + inconsistent},
    // layers and layer.
    NetworkCase{"ThreeLayersForTwo", With("</layers>", layerOne + "</layers>"),
                Line("bad definition of layers") + unable + inconsistent},
    NetworkCase{"TwoBillionLayers", With(R"(numLayers="2")", R"(numLayers="2000000000")"),
                Line("bad definition of layers") + unable + inconsistent},
    NetworkCase{"RepeatedLayerIndex", With(R"(<layer index="2")", R"(<layer index="1")"),
                Line("inconsistent layers") + unable + inconsistent},
    NetworkCase{"LayerIsAComment", With(layerOne, "<!-- first -->"),
                Line("nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT") + layersRead + unable + inconsistent},
    NetworkCase{"LayerBadName", With("<layer index=\"1\"", "<Layer index=\"1\""),
                Line("bad nodeName of layer") + layersRead + unable + inconsistent},
    NetworkCase{"LayerDoubleIndex", With(R"(<layer index="1")", R"(<layer index="1" index="1")"),
                Line("double definition of layer index") + layersRead + unable + inconsistent},
    NetworkCase{"LayerIndexZero", With(R"(<layer index="1")", R"(<layer index="0")"),
                Line("bad layer index") + layersRead + unable + inconsistent},
    NetworkCase{"LayerIndexBeyond", With(R"(<layer index="1")", R"(<layer index="2000000000")"),
                Line("bad layer index") + layersRead + unable + inconsistent},
    NetworkCase{"LayerDoubleDimensions", With(R"(dimensions="2")", R"(dimensions="2" dimensions="2")"),
                Line("double definition of dimensions") + layersRead + unable + inconsistent},
    NetworkCase{"LayerDimensionsZero", With(R"(dimensions="2")", R"(dimensions="0")"),
                Line("dimensions <= 0") + layersRead + unable + inconsistent},
    NetworkCase{"LayerDoubleTransferFcn", With(R"(transferFcn="tansig")", R"(transferFcn="tansig" transferFcn="tansig")"),
                Line("double definition of transferFcn") + layersRead + unable + inconsistent},
    NetworkCase{"LayerCapitalisedTransferFcn", With(R"(transferFcn="logsig")", R"(transferFcn="Logsig")"),
                Line("bad transferFcn") + layersRead + unable + inconsistent},
    NetworkCase{"LayerWithoutTransferFcn", With(R"( transferFcn="tansig")", ""),
                Line("incomplete definition of layer") + layersRead + unable + inconsistent},
    // weights and their matrices.
    NetworkCase{"OneWeightForTwoLayers", With(R"(<inputlayer to="1"><matrix m="2" n="2">1 2 3 4</matrix></inputlayer>)", ""),
                Line("bad definition of weights") + unable + inconsistent},
    NetworkCase{"RepeatedWeightIndex", With(weightTwo, R"(<hiddenlayer from="0" to="1">)"),
                Line("inconsistent weights") + unable + inconsistent},
    NetworkCase{"WeightBadName", With(R"(<hiddenlayer from="1" to="2"><matrix m="1" n="2">0.5 -0.5</matrix></hiddenlayer>)",
                                      R"(<outputlayer from="1" to="2"><matrix m="1" n="2">0.5 -0.5</matrix></outputlayer>)"),
                Line("bad nodeName of weight matrix") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightDoubleTo", With(weightOne, R"(<inputlayer to="1" to="1">)"),
                Line("double definition of to layer index") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightToBeyond", With(weightTwo, R"(<hiddenlayer from="1" to="3">)"),
                Line("bad to layer index") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightDoubleFrom", With(weightTwo, R"(<hiddenlayer from="1" from="1" to="2">)"),
                Line("double definition of from layer index") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightFromIsTheLastLayer", With(weightTwo, R"(<hiddenlayer from="2" to="2">)"),
                Line("bad from layer index") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightFromNegative", With(weightTwo, R"(<hiddenlayer from="-1" to="2">)"),
                Line("bad from layer index") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightWithoutFromToTwo", With(weightTwo, R"(<hiddenlayer to="2">)"),
                Line("incomplete definition of weight matrix") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightSkipsALayer", With(weightTwo, R"(<hiddenlayer from="0" to="2">)"),
                Line("incomplete definition of weight matrix") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightWithoutTo", With(weightOne, R"(<inputlayer from="0">)"),
                Line("incomplete definition of weight matrix") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightWithoutMatrix", With(R"(<matrix m="1" n="2">0.5 -0.5</matrix>)", ""),
                Line("bad definition of weight matrix") + weightsRead + unable + inconsistent},
    NetworkCase{"WeightMatrixUnreadable", With(R"(<matrix m="1" n="2">0.5 -0.5</matrix>)", R"(<matrix m="1" n="2">0.5 -0.5 x</matrix>)"),
                "Error in CMatrixReader: unable to parse matrix data\n" + Line("unable to read weight matrix") +
                    weightsRead + unable + inconsistent},
    NetworkCase{"WeightMatrixHugeDeclared", With(R"(<matrix m="1" n="2">0.5 -0.5</matrix>)", R"(<matrix m="100000" n="100000">1 2 3 4 5 6</matrix>)"),
                "Error in CMatrixReader: unable to parse matrix data\n" + Line("unable to read weight matrix") +
                    weightsRead + unable + inconsistent},
    // biases and bias.
    NetworkCase{"ThreeBiasesForTwo", With("</biases>", R"(<bias to="1"><vector m="2">0 0</vector></bias></biases>)"),
                Line("bad definition of biases") + unable + inconsistent},
    NetworkCase{"RepeatedBiasIndex", With(biasTwo, R"(<bias to="1">)"),
                Line("inconsistent biases") + unable + inconsistent},
    NetworkCase{"BiasBadName", With(R"(<bias to="2"><vector m="1">0.3</vector></bias>)",
                                    R"(<Bias to="2"><vector m="1">0.3</vector></Bias>)"),
                Line("bad nodeName of bias vector") + biasesRead + unable + inconsistent},
    NetworkCase{"BiasDoubleTo", With(biasTwo, R"(<bias to="2" to="2">)"),
                Line("double definition of to layer index") + biasesRead + unable + inconsistent},
    NetworkCase{"BiasToZero", With(biasTwo, R"(<bias to="0">)"),
                Line("bad to layer index") + biasesRead + unable + inconsistent},
    NetworkCase{"BiasWithoutTo", With(biasTwo, "<bias>"),
                Line("incomplete definition of bias vector") + biasesRead + unable + inconsistent},
    NetworkCase{"BiasWithTwoVectors", With(R"(<vector m="1">0.3</vector>)", R"(<vector m="1">0.3</vector><vector m="1">0.3</vector>)"),
                Line("bad definition of bias vector") + biasesRead + unable + inconsistent},
    NetworkCase{"BiasVectorUnreadable", With(R"(<vector m="1">0.3</vector>)", R"(<vector m="2000000000">0.3</vector>)"),
                "Error in CVectorReader: unable to parse vector data\n" + Line("unable to read bias vector") +
                    biasesRead + unable + inconsistent},
    NetworkCase{"BiasOfAnotherSize", With(R"(<vector m="1">0.3</vector>)", R"(<vector m="2">0.3 0.3</vector>)"),
                unable + inconsistent}),
    CaseName);

// The operations that Read only calls for an element of the right name:
// their name checks show when called directly.
TEST(CFeedForwardReader, SectionReadersCheckTheirElementName)
{
    using Section = bool (CFeedForwardReader::*)(CFenIOStruct&, CFeedForward&);
    const struct {
        Section read;
        const char* message;
    } sections[] = {
        {&CFeedForwardReader::ReadMean, "bad nodeName of mean"},
        {&CFeedForwardReader::ReadStd, "bad nodeName of std"},
        {&CFeedForwardReader::ReadPCAmatrix, "bad nodeName of PCAmatrix"},
        {&CFeedForwardReader::ReadLayers, "bad nodeName of layers"},
        {&CFeedForwardReader::ReadWeights, "bad nodeName of weights"},
        {&CFeedForwardReader::ReadBiases, "bad nodeName of biases"},
    };
    for (const auto& section : sections) {
        CFenIOStruct io = CFenIOStruct::FromText("<other/>");
        CFeedForward net;
        net.numLayers = 1;
        CFeedForwardReader reader;
        EXPECT_FALSE((reader.*section.read)(io, net));
        EXPECT_EQ(io.GetErrorText(), Line(section.message));
    }
}

TEST(CFeedForwardReader, RootThatIsNotAnElement)
{
    // A document without an element does not open at all; a reader handed
    // a comment node reports the element check.
    CFenIOStruct wrapped = CFenIOStruct::FromText("<w><!-- c --></w>");
    wrapped.SetNode(wrapped.GetNode().GetChildNodes().GetItem(0));
    CFeedForward net = Filled();
    CFeedForwardReader().Read(wrapped, net);
    EXPECT_EQ(wrapped.GetErrorText(), Line("nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT"));
    ExpectEmpty(net);
}

TEST(CFeedForwardReader, ItemReadersGrowStorageOnlyToTheirIndex)
{
    CFenIOStruct io = CFenIOStruct::FromText(R"(<layer index="3" dimensions="4" transferFcn="purelin"/>)");
    CFeedForward net;
    net.numLayers = 2000000000;
    EXPECT_EQ(CFeedForwardReader().ReadLayer(io, net), 3);
    EXPECT_TRUE(io.IsOk());
    EXPECT_EQ(net.layerDimensions, (std::vector<std::int32_t>{0, 0, 4}));
    EXPECT_EQ(net.transferFcns[2], purelin);
}

TEST(CFeedForwardReader, TransferFcnKeywords)
{
    EXPECT_TRUE(CFeedForwardReader::IsTransferFcnName("logsig"));
    EXPECT_TRUE(CFeedForwardReader::IsTransferFcnName("tansig"));
    EXPECT_TRUE(CFeedForwardReader::IsTransferFcnName("purelin"));
    EXPECT_FALSE(CFeedForwardReader::IsTransferFcnName("Logsig"));
    EXPECT_FALSE(CFeedForwardReader::IsTransferFcnName("purelin "));
    EXPECT_FALSE(CFeedForwardReader::IsTransferFcnName(""));
    EXPECT_EQ(CFeedForwardReader::FindTransferFcn("logsig"), logsig);
    EXPECT_EQ(CFeedForwardReader::FindTransferFcn("tansig"), tansig);
    EXPECT_EQ(CFeedForwardReader::FindTransferFcn("purelin"), purelin);
    EXPECT_EQ(CFeedForwardReader::FindTransferFcn("hardlim"), nullptr);
}

TEST(CFeedForwardReader, ExampleNetworksReadAndFitTheExampleRobot)
{
    for (const char* name : {"AvoidObstacles.xml", "DriveForward.xml"}) {
        CFenIOStruct io(std::string(KORVALE_SOURCE_DIR) + "/examples/" + name);
        CFeedForward net;
        CFeedForwardReader().Read(io, net);
        EXPECT_TRUE(io.IsOk()) << name << ": " << io.GetErrorText();
        EXPECT_EQ(net.inputDimensions, 8) << name;
        EXPECT_EQ(net.outputDimensions, 4) << name;
    }
}
