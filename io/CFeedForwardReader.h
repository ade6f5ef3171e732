#pragma once
#include <cstdint>
#include <string_view>

#include "control/TransferFcn.h"
#include "io/CMatrixReader.h"
#include "io/CVectorReader.h"

namespace Tarn {

class CFenIOStruct;
class CFeedForward;

// Reads a network file's "network" root into a CFeedForward. Afterwards the
// network is either complete and consistent with the document still ok, or
// empty with the faults in the document, innermost first.
class CFeedForwardReader {
public:
    virtual ~CFeedForwardReader() = default;
    virtual void Read(CFenIOStruct& io, CFeedForward& network);

    // Each works on the document's current node; the item readers return
    // the layer index they filled, 0 on failure.
    bool ReadMean(CFenIOStruct& io, CFeedForward& network);
    bool ReadStd(CFenIOStruct& io, CFeedForward& network);
    bool ReadPCAmatrix(CFenIOStruct& io, CFeedForward& network);
    bool ReadLayers(CFenIOStruct& io, CFeedForward& network);
    bool ReadWeights(CFenIOStruct& io, CFeedForward& network);
    bool ReadBiases(CFenIOStruct& io, CFeedForward& network);
    std::int32_t ReadLayer(CFenIOStruct& io, CFeedForward& network);
    std::int32_t ReadWeightMatrix(CFenIOStruct& io, CFeedForward& network);
    std::int32_t ReadBias(CFenIOStruct& io, CFeedForward& network);

    static bool IsTransferFcnName(std::string_view name);
    // The function for "logsig", "tansig" or "purelin"; null for other text.
    static TransferFcn FindTransferFcn(std::string_view name);

private:
    // mean, std and PCAmatrix: an element called name holding exactly one
    // child, which readChild reads.
    template <class ReadChild>
    bool ReadSingleChild(CFenIOStruct& io, std::string_view name, ReadChild readChild);

    // layers, weights and biases: an element called name with one item per
    // layer, each read by readItem.
    using ItemReader = std::int32_t (CFeedForwardReader::*)(CFenIOStruct&, CFeedForward&);
    using StorageSizer = void (*)(CFeedForward&);
    bool ReadGroup(CFenIOStruct& io, CFeedForward& network, std::string_view name, ItemReader readItem,
                   StorageSizer sizeStorage);

    CVectorReader vectorReader;
    CMatrixReader matrixReader;
};

} // namespace Tarn
