#include "io/CAnPolygoneReader.h"

#include <optional>
#include <string>
#include <vector>

#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ParseNumbers.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {
constexpr std::string_view reader = "CAnPolygoneReader";
}

void CAnPolygoneReader::Read(CFenIOStruct& io, Fen::Polygone& polygon)
{
    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element)
        return ReportFault(io, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
    const CXmlNodeList children = node.GetChildNodes();
    if (node.GetNodeName() != "polygone")
        return ReportFault(io, reader, "bad nodeName");

    std::optional<int> m;
    CXmlAttributes attributes = node.GetAttributes();
    attributes.Reset();
    for (CXmlNode attribute = attributes.NextNode(); !attribute.IsEmpty(); attribute = attributes.NextNode()) {
        if (attribute.GetNodeType() != CXmlNodeType::Attribute)
            continue;
        if (attribute.GetNodeName() == "m") {
            if (m)
                return ReportFault(io, reader, "double definition of m");
            m = AttributeToInt(attribute.GetText());
            if (*m <= 0)
                return ReportFault(io, reader, "m <= 0.0");
        }
    }

    std::optional<std::string> text;
    for (std::size_t i = 0; i < children.GetLength(); ++i) {
        const CXmlNode child = children.GetItem(i);
        if (child.GetNodeType() != CXmlNodeType::Text)
            return ReportFault(io, reader, "subnodePtr->GetnodeType() != MSXML2::NODE_TEXT");
        if (text)
            return ReportFault(io, reader, "double definition of text");
        text = child.GetText();
    }
    if (!m || !text)
        return ReportFault(io, reader, "incomplete definition of polygone");

    // The numbers read are what the file holds; m alone never sizes anything
    // until it matches them.
    std::vector<double> numbers;
    bool ok = false;
    const std::size_t count = ParseNumbers(*text, numbers, ok);
    if (!ok || count != 2 * static_cast<std::size_t>(*m))
        return ReportFault(io, reader, "unable to parse the text");

    polygon.clear();
    for (std::size_t i = 0; i + 1 < count; i += 2)
        polygon.push_back(Fen::Point{numbers[i], numbers[i + 1]});
}

} // namespace Tarn
