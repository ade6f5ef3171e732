#include "io/CFenCircularCamReader.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/CircularCam.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenCircularCamReader";

enum Attribute : std::size_t { X, Y, Height, Orientation, FieldOfView, PixelCount, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"x",           "y",           "height",
                                                             "orientation", "fieldOfView", "pixelCount"};

std::size_t attributeIndex(const std::string& name)
{
    for (std::size_t i = 0; i < AttributeCount; ++i)
        if (names[i] == name)
            return i;
    return AttributeCount;
}

} // namespace

void CFenCircularCamReader::Read(CFenIOStruct& io, Fen::CircularCam& camera)
{
    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element)
        return ReportFault(io, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
    if (node.GetNodeName() != "camera")
        return ReportFault(io, reader, "bad nodeName");

    std::array<double, AttributeCount> value{};
    std::array<bool, AttributeCount> seen{};
    int pixelCount = 0;
    CXmlAttributes attributes = node.GetAttributes();
    attributes.Reset();
    for (CXmlNode attribute = attributes.NextNode(); !attribute.IsEmpty(); attribute = attributes.NextNode()) {
        if (attribute.GetNodeType() != CXmlNodeType::Attribute)
            continue;
        const std::size_t k = attributeIndex(attribute.GetNodeName());
        if (k == AttributeCount)
            continue;
        if (seen[k])
            return ReportFault(io, reader, "double definition of " + std::string(names[k]));
        seen[k] = true;
        const std::string text = attribute.GetText();
        switch (k) {
        case Height:
            value[k] = AttributeToDouble(text);
            if (!(value[k] > 0.0))
                return ReportFault(io, reader, "height <= 0.0");
            break;
        case FieldOfView:
            // Tested after the conversion: a tiny angle in degrees can vanish.
            value[k] = DegreesToRadians(AttributeToDouble(text));
            if (!(value[k] > 0.0))
                return ReportFault(io, reader, "fieldOfView <= 0.0");
            break;
        case PixelCount:
            pixelCount = AttributeToInt(text);
            if (pixelCount <= 0)
                return ReportFault(io, reader, "pixelCount <= 0");
            if (pixelCount > maxPixelCount)
                return ReportFault(io, reader, "pixelCount too large");
            break;
        default:
            value[k] = AttributeToDouble(text);
            break;
        }
    }
    for (const bool given : seen)
        if (!given)
            return ReportFault(io, reader, "incomplete definition of camera");

    camera.setup(value[X], value[Y], value[Height], DegreesToRadians(value[Orientation]), value[FieldOfView],
                 static_cast<unsigned>(pixelCount));
}

} // namespace Tarn
