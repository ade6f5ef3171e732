#include "io/CFeedForwardReader.h"

#include <array>
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
    const CXmlNodeList children = node.GetChildNodes();
    if (children.GetLength() != 1)
        return PartFault(io, "bad definition of ", name);
    readChild(io.SetNode(children.GetItem(0)));
    if (!io.IsOk())
        return PartFault(io, "unable to read ", name);
    return true;
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

    bool hasIndex = false, hasDimensions = false, hasTransferFcn = false;
    int index = 0, dimensions = 0;
    TransferFcn transferFcn = nullptr;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "index") {
            if (hasIndex) {
                io.ReportError("Error in CFeedForwardReader: double definition of layer index");
                return false;
            }
            hasIndex = true;
            index = AttributeToInt(value);
            if (index < 1 || index > network.numLayers) {
                io.ReportError("Error in CFeedForwardReader: bad layer index");
                return false;
            }
        } else if (name == "dimensions") {
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
    if (!hasIndex || !hasDimensions || !hasTransferFcn) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of layer");
        return 0;
    }

    GrowTo(network.layerDimensions, index);
    GrowTo(network.transferFcns, index);
    network.layerDimensions[static_cast<std::size_t>(index - 1)] = dimensions;
    network.transferFcns[static_cast<std::size_t>(index - 1)] = transferFcn;
    return index;
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

    bool hasTo = false, hasFrom = false;
    int to = 0, from = 0;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "to") {
            if (hasTo) {
                io.ReportError("Error in CFeedForwardReader: double definition of to layer index");
                return false;
            }
            hasTo = true;
            to = AttributeToInt(value);
            if (to < 1 || to > network.numLayers) {
                io.ReportError("Error in CFeedForwardReader: bad to layer index");
                return false;
            }
        } else if (name == "from") {
            if (hasFrom) {
                io.ReportError("Error in CFeedForwardReader: double definition of from layer index");
                return false;
            }
            hasFrom = true;
            from = AttributeToInt(value);
            if (from < 0 || from >= network.numLayers) {
                io.ReportError("Error in CFeedForwardReader: bad from layer index");
                return false;
            }
        }
        return true;
    });
    if (!attributesOk)
        return 0;
    // from < numLayers here, so from + 1 cannot overflow.
    if (!hasTo || to != from + 1) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of weight matrix");
        return 0;
    }
    const CXmlNodeList children = node.GetChildNodes();
    if (children.GetLength() != 1) {
        io.ReportError("Error in CFeedForwardReader: bad definition of weight matrix");
        return 0;
    }

    GrowTo(network.weights, to);
    matrixReader.Read(io.SetNode(children.GetItem(0)), network.weights[static_cast<std::size_t>(to - 1)]);
    if (!io.IsOk()) {
        io.ReportError("Error in CFeedForwardReader: unable to read weight matrix");
        return 0;
    }
    return to;
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

    bool hasTo = false;
    int to = 0;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name != "to")
            return true;
        if (hasTo) {
            io.ReportError("Error in CFeedForwardReader: double definition of to layer index");
            return false;
        }
        hasTo = true;
        to = AttributeToInt(value);
        if (to < 1 || to > network.numLayers) {
            io.ReportError("Error in CFeedForwardReader: bad to layer index");
            return false;
        }
        return true;
    });
    if (!attributesOk)
        return 0;
    if (!hasTo) {
        io.ReportError("Error in CFeedForwardReader: incomplete definition of bias vector");
        return 0;
    }
    const CXmlNodeList children = node.GetChildNodes();
    if (children.GetLength() != 1) {
        io.ReportError("Error in CFeedForwardReader: bad definition of bias vector");
        return 0;
    }

    GrowTo(network.biases, to);
    vectorReader.Read(io.SetNode(children.GetItem(0)), network.biases[static_cast<std::size_t>(to - 1)]);
    if (!io.IsOk()) {
        io.ReportError("Error in CFeedForwardReader: unable to read bias vector");
        return 0;
    }
    return to;
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
