#include "io/CFeedForwardReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/CFeedForward.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ForEachAttribute.h"
#include "io/ReadPositiveInts.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

const char* const notAnElement = "Error in CFeedForwardReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT";

// Element check shared by every operation: reports and gives an empty handle
// when the current node is not an element.
CXmlNode CurrentElement(CFenIOStruct& io)
{
    CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element) {
        io.ReportError(notAnElement);
        return CXmlNode();
    }
    return node;
}

// Layer storage grows only as far as an index that was checked against
// numLayers and found in the file; see ReadGroup.
template <class T>
void GrowTo(std::vector<T>& sequence, std::int32_t size)
{
    if (sequence.size() < static_cast<std::size_t>(size))
        sequence.resize(static_cast<std::size_t>(size));
}

void SizeLayerStorage(CFeedForward& network)
{
    GrowTo(network.layerDimensions, network.numLayers);
    GrowTo(network.transferFcns, network.numLayers);
}
void SizeWeightStorage(CFeedForward& network) { GrowTo(network.weights, network.numLayers); }
void SizeBiasStorage(CFeedForward& network) { GrowTo(network.biases, network.numLayers); }

// Reports "<fault><part>" (say "bad definition of " and "mean") and gives
// false, the result of every failed part reader.
bool PartFault(IReportErrorAble& report, std::string_view fault, std::string_view part)
{
    std::string description(fault);
    description += part;
    ReportFault(report, "CFeedForwardReader", description);
    return false;
}

// The one child of node, read by readChild; part names node in the faults.
template <class ReadChild>
bool ReadOnlyChild(CFenIOStruct& io, const CXmlNode& node, std::string_view part, ReadChild readChild)
{
    const CXmlNodeList children = node.GetChildNodes();
    if (children.GetLength() != 1)
        return PartFault(io, "bad definition of ", part);
    readChild(io.SetNode(children.GetItem(0)));
    if (!io.IsOk())
        return PartFault(io, "unable to read ", part);
    return true;
}

// A layer number attribute ("index", "to" or "from"), called label in its
// faults: given once, within [lowest, highest]. The bounds are 64-bit so
// that numLayers - 1 and numLayers + 1 never overflow.
struct LayerIndex {
    std::string_view label;
    std::int64_t lowest;
    std::int64_t highest;
    bool seen = false;
    int value = 0;

    bool Read(IReportErrorAble& report, const std::string& text)
    {
        if (seen)
            return PartFault(report, "double definition of ", label);
        seen = true;
        value = AttributeToInt(text);
        if (value < lowest || value > highest)
            return PartFault(report, "bad ", label);
        return true;
    }
};

} // namespace

bool CFeedForwardReader::IsTransferFcnName(std::string_view name)
{
    return FindTransferFcn(name) != nullptr;
}

TransferFcn CFeedForwardReader::FindTransferFcn(std::string_view name)
{
    if (name == "logsig")
        return logsig;
    if (name == "tansig")
        return tansig;
    if (name == "purelin")
        return purelin;
    return nullptr;
}

template <class ReadChild>
bool CFeedForwardReader::ReadSingleChild(CFenIOStruct& io, std::string_view name, ReadChild readChild)
{
    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return false;
    if (node.GetNodeName() != name)
        return PartFault(io, "bad nodeName of ", name);
    return ReadOnlyChild(io, node, name, readChild);
}

bool CFeedForwardReader::ReadMean(CFenIOStruct& io, CFeedForward& network)
{
    return ReadSingleChild(io, "mean", [&](CFenIOStruct& child) { vectorReader.Read(child, network.mean); });
}

bool CFeedForwardReader::ReadStd(CFenIOStruct& io, CFeedForward& network)
{
    return ReadSingleChild(io, "std", [&](CFenIOStruct& child) { vectorReader.Read(child, network.std); });
}

bool CFeedForwardReader::ReadPCAmatrix(CFenIOStruct& io, CFeedForward& network)
{
    return ReadSingleChild(io, "PCAmatrix", [&](CFenIOStruct& child) { matrixReader.Read(child, network.PCAmatrix); });
}

std::int32_t CFeedForwardReader::ReadLayer(CFenIOStruct& io, CFeedForward& network)
{
    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return 0;
    if (node.GetNodeName() != "layer") {
        io.ReportError("Error in CFeedForwardReader: bad nodeName of layer");
        return 0;
    }

    LayerIndex index{"layer index", 1, network.numLayers};
    bool hasDimensions = false, hasTransferFcn = false;
    int dimensions = 0;
    TransferFcn transferFcn = nullptr;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "index")
            return index.Read(io, value);
        if (name == "dimensions") {
            if (hasDimensions) {
                io.ReportError("Error in CFeedForwardReader: double definition of dimensions");
                return false;
            }
            hasDimensions = true;
            dimensions = AttributeToInt(value);
            if (dimensions < 1) {
                io.ReportError("Error in CFeedForwardReader: dimensions <= 0");
                return false;
            }
        } else if (name == "transferFcn") {
            if (hasTransferFcn) {
                io.ReportError("Error in CFeedForwardReader: double definition of transferFcn");
                return false;
            }
            hasTransferFcn = true;
            if (!IsTransferFcnName(value)) {
                io.ReportError("Error in CFeedForwardReader: bad transferFcn");
                return false;
            }
            transferFcn = FindTransferFcn(value);
        }
        return true;
    });
    if (!attributesOk)
        return 0;
    if (!index.seen || !hasDimensions || !hasTransferFcn) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of layer");
        return 0;
    }

    GrowTo(network.layerDimensions, index.value);
    GrowTo(network.transferFcns, index.value);
    network.layerDimensions[static_cast<std::size_t>(index.value - 1)] = dimensions;
    network.transferFcns[static_cast<std::size_t>(index.value - 1)] = transferFcn;
    return index.value;
}

std::int32_t CFeedForwardReader::ReadWeightMatrix(CFenIOStruct& io, CFeedForward& network)
{
    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return 0;
    const std::string nodeName = node.GetNodeName();
    if (nodeName != "inputlayer" && nodeName != "hiddenlayer") {
        io.ReportError("Error in CFeedForwardReader: bad nodeName of weight matrix");
        return 0;
    }

    LayerIndex to{"to layer index", 1, network.numLayers};
    LayerIndex from{"from layer index", 0, std::int64_t{network.numLayers} - 1};
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "to")
            return to.Read(io, value);
        if (name == "from")
            return from.Read(io, value);
        return true;
    });
    if (!attributesOk)
        return 0;
    // from < numLayers here, so from + 1 cannot overflow.
    if (!to.seen || to.value != from.value + 1) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of weight matrix");
        return 0;
    }
    const auto readMatrix = [&](CFenIOStruct& child) {
        GrowTo(network.weights, to.value);
        matrixReader.Read(child, network.weights[static_cast<std::size_t>(to.value - 1)]);
    };
    return ReadOnlyChild(io, node, "weight matrix", readMatrix) ? to.value : 0;
}

std::int32_t CFeedForwardReader::ReadBias(CFenIOStruct& io, CFeedForward& network)
{
    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return 0;
    if (node.GetNodeName() != "bias") {
        io.ReportError("Error in CFeedForwardReader: bad nodeName of bias vector");
        return 0;
    }

    LayerIndex to{"to layer index", 1, network.numLayers};
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "to")
            return to.Read(io, value);
        return true;
    });
    if (!attributesOk)
        return 0;
    if (!to.seen) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of bias vector");
        return 0;
    }
    const auto readVector = [&](CFenIOStruct& child) {
        GrowTo(network.biases, to.value);
        vectorReader.Read(child, network.biases[static_cast<std::size_t>(to.value - 1)]);
    };
    return ReadOnlyChild(io, node, "bias vector", readVector) ? to.value : 0;
}

bool CFeedForwardReader::ReadGroup(CFenIOStruct& io, CFeedForward& network, std::string_view name, ItemReader readItem,
                                   StorageSizer sizeStorage)
{
    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return false;
    if (node.GetNodeName() != name)
        return PartFault(io, "bad nodeName of ", name);
    const CXmlNodeList children = node.GetChildNodes();
    if (network.numLayers < 0 || children.GetLength() != static_cast<std::size_t>(network.numLayers))
        return PartFault(io, "bad definition of ", name);

    // Only now, with one child per layer present in the file, is storage
    // sized by numLayers: a numLayers of two billion never gets this far.
    sizeStorage(network);
    std::vector<bool> seen(static_cast<std::size_t>(network.numLayers), false);
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const std::int32_t index = (this->*readItem)(io.SetNode(children.GetItem(i)), network);
        if (!io.IsOk() || index == 0)
            return PartFault(io, "unable to read ", name);
        seen[static_cast<std::size_t>(index - 1)] = true;
    }
    for (bool indexSeen : seen) {
        // A repeated index overwrote an earlier entry and left this one out.
        if (!indexSeen)
            return PartFault(io, "inconsistent ", name);
    }
    return true;
}

bool CFeedForwardReader::ReadLayers(CFenIOStruct& io, CFeedForward& network)
{
    return ReadGroup(io, network, "layers", &CFeedForwardReader::ReadLayer, SizeLayerStorage);
}

bool CFeedForwardReader::ReadWeights(CFenIOStruct& io, CFeedForward& network)
{
    return ReadGroup(io, network, "weights", &CFeedForwardReader::ReadWeightMatrix, SizeWeightStorage);
}

bool CFeedForwardReader::ReadBiases(CFenIOStruct& io, CFeedForward& network)
{
    return ReadGroup(io, network, "biases", &CFeedForwardReader::ReadBias, SizeBiasStorage);
}

void CFeedForwardReader::Read(CFenIOStruct& io, CFeedForward& network)
{
    // Emptied before anything else, so no failure leaves an earlier network.
    network.Clear();

    const CXmlNode node = CurrentElement(io);
    if (node.IsEmpty())
        return;
    if (node.GetNodeName() != "network") {
        io.ReportError("Error in CFeedForwardReader: bad nodeName");
        return;
    }

    constexpr std::array<std::string_view, 3> countNames{"inputDimensions", "outputDimensions", "numLayers"};
    std::array<bool, 3> seen{};
    std::array<int, 3> counts{};
    if (!ReadPositiveInts(node, countNames, seen, counts, io, "CFeedForwardReader"))
        return;
    if (!seen[0] || !seen[1] || !seen[2]) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of network");
        return;
    }
    network.inputDimensions = counts[0];
    network.outputDimensions = counts[1];
    network.numLayers = counts[2];
    // The layer sequences are sized by ReadLayers, ReadWeights and
    // ReadBiases once the file has shown one child per layer.

    bool failed = false;
    bool layersRead = false, weightsRead = false, biasesRead = false;
    struct Part {
        const char* name;
        bool (CFeedForwardReader::*read)(CFenIOStruct&, CFeedForward&);
        bool* readOk;
        bool seen = false;
    };
    Part parts[] = {
        {"mean", &CFeedForwardReader::ReadMean, &network.hasMean},
        {"std", &CFeedForwardReader::ReadStd, &network.hasStd},
        {"PCAmatrix", &CFeedForwardReader::ReadPCAmatrix, &network.hasPCA},
        {"layers", &CFeedForwardReader::ReadLayers, &layersRead},
        {"weights", &CFeedForwardReader::ReadWeights, &weightsRead},
        {"biases", &CFeedForwardReader::ReadBiases, &biasesRead},
    };
    const CXmlNodeList children = node.GetChildNodes();
    for (std::size_t i = 0; i < children.GetLength() && !failed; ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Element) {
            io.ReportError("Error in CFeedForwardReader: subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
            failed = true;
            break;
        }
        const std::string name = child.GetNodeName();
        for (Part& part : parts) {
            if (name != part.name)
                continue;
            // A second occurrence fails without a message of its own; the
            // "unable to read network" below explains it.
            failed = part.seen;
            part.seen = true;
            if (!failed) {
                *part.readOk = (this->*part.read)(io.SetNode(child), network);
                failed = !*part.readOk;
            }
        }
        // Elements with other names are skipped.
    }

    const bool consistent = network.IsConsistent();
    if (failed || !layersRead || !weightsRead || !biasesRead || !consistent) {
        network.Clear();
        io.ReportError("Error in CFeedForwardReader: unable to read network");
        if (!consistent)
            io.ReportError("Error in CFeedForwardReader: inconsistent network");
    }
}

} // namespace Tarn
