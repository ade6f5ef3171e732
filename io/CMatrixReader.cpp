#include "io/CMatrixReader.h"

#include <cstdint>
#include <string>
#include <vector>

#include "control/CMatrix.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ForEachAttribute.h"
#include "io/ParseNumbers.h"

namespace Tarn {

void CMatrixReader::Read(CFenIOStruct& io, CMatrix& M)
{
    M.Clear();

    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element) {
        io.ReportError("Error in CMatrixReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
        return;
    }
    if (node.GetNodeName() != "matrix") {
        io.ReportError("Error in CMatrixReader: bad nodeName");
        return;
    }

    bool hasM = false;
    bool hasN = false;
    int m = 0;
    int n = 0;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name == "m") {
            if (hasM) {
                io.ReportError("Error in CMatrixReader: double definition of m");
                return false;
            }
            hasM = true;
            m = AttributeToInt(value);
            if (m <= 0) {
                io.ReportError("Error in CMatrixReader: m <= 0");
                return false;
            }
        } else if (name == "n") {
            if (hasN) {
                io.ReportError("Error in CMatrixReader: double definition of n");
                return false;
            }
            hasN = true;
            n = AttributeToInt(value);
            if (n <= 0) {
                io.ReportError("Error in CMatrixReader: n <= 0");
                return false;
            }
        }
        return true;
    });
    if (!attributesOk)
        return;

    bool hasText = false;
    std::string text;
    const CXmlNodeList children = node.GetChildNodes();
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Text) {
            io.ReportError("Error in CMatrixReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT");
            return;
        }
        if (hasText) {
            io.ReportError("Error in CMatrixReader: double definition of matrix data");
            return;
        }
        hasText = true;
        text = child.GetText();
    }
    if (!hasM || !hasN || !hasText) {
        io.ReportError("Error in CMatrixReader: incomplete definition of matrix");
        return;
    }

    // m*n in 64 bits and nothing sized from it: a matrix declared
    // 100000 x 100000 with six numbers fails here without allocating.
    std::vector<double> numbers;
    bool ok = true;
    const std::size_t count = ParseNumbers(text, numbers, ok);
    const auto declared = static_cast<std::uint64_t>(m) * static_cast<std::uint64_t>(n);
    if (!ok || static_cast<std::uint64_t>(count) != declared) {
        io.ReportError("Error in CMatrixReader: unable to parse matrix data");
        return;
    }
    M.m = m;
    M.n = n;
    M.rows.resize(static_cast<std::size_t>(m));
    auto next = numbers.begin();
    for (std::vector<double>& row : M.rows) {
        row.assign(next, next + n);
        next += n;
    }
}

} // namespace Tarn
