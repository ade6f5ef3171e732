#include "io/CVectorReader.h"

#include <string>
#include <utility>
#include <vector>

#include "control/CVector.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ForEachAttribute.h"
#include "io/ParseNumbers.h"

namespace Tarn {

void CVectorReader::Read(CFenIOStruct& io, CVector& v)
{
    v.Clear();

    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element) {
        io.ReportError("Error in CVectorReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
        return;
    }
    if (node.GetNodeName() != "vector") {
        io.ReportError("Error in CVectorReader: bad nodeName");
        return;
    }

    bool hasM = false;
    int m = 0;
    const bool attributesOk = ForEachAttribute(node, [&](const std::string& name, const std::string& value) {
        if (name != "m")
            return true;
        if (hasM) {
            io.ReportError("Error in CVectorReader: double definition of m");
            return false;
        }
        hasM = true;
        m = AttributeToInt(value);
        if (m <= 0) {
            io.ReportError("Error in CVectorReader: m <= 0");
            return false;
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
            io.ReportError("Error in CVectorReader: subnodePtr->GetnodeType() != MSXML2::NODE_TEXT");
            return;
        }
        if (hasText) {
            io.ReportError("Error in CVectorReader: double definition of vector data");
            return;
        }
        hasText = true;
        text = child.GetText();
    }
    if (!hasM || !hasText) {
        io.ReportError("Error in CVectorReader: incomplete definition of vector");
        return;
    }

    // The count is compared with m; nothing is sized from m itself, so a
    // huge m with a short text costs nothing.
    std::vector<double> numbers;
    bool ok = true;
    const std::size_t count = ParseNumbers(text, numbers, ok);
    if (!ok || count != static_cast<std::size_t>(m)) {
        io.ReportError("Error in CVectorReader: unable to parse vector data");
        return;
    }
    v.m = m;
    v.data = std::move(numbers);
}

} // namespace Tarn
