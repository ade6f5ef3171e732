#include "io/CFenIRSensorReader.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/IRSensor.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenIRSensorReader";

enum Attribute : std::size_t { X, Y, Height, Orientation, Range, Aperture, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"x", "y", "height", "orientation", "range", "aperture"};

std::size_t attributeIndex(const std::string& name)
{
    for (std::size_t i = 0; i < AttributeCount; ++i)
        if (names[i] == name)
            return i;
    return AttributeCount;
}

} // namespace

void CFenIRSensorReader::Read(CFenIOStruct& io, Fen::IRSensor& sensor)
{
    const CXmlNode node = io.GetNode();
    if (node.GetNodeType() != CXmlNodeType::Element)
        return ReportFault(io, reader, "nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT");
    if (node.GetNodeName() != "irsensor")
        return ReportFault(io, reader, "bad nodeName");

    std::array<double, AttributeCount> value{};
    std::array<bool, AttributeCount> seen{};
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
        value[k] = AttributeToDouble(attribute.GetText());
        if (k == Height && !(value[k] > 0.0))
            return ReportFault(io, reader, "height <= 0.0");
    }
    // The aperture alone may be left out.
    if (!seen[X] || !seen[Y] || !seen[Height] || !seen[Orientation] || !seen[Range])
        return ReportFault(io, reader, "incomplete definition of irsensor");

    // The aperture is taken in radians as written.
    sensor.setup(value[X], value[Y], value[Height], DegreesToRadians(value[Orientation]), value[Range],
                 value[Aperture]);
}

} // namespace Tarn
