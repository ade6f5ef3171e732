#include "io/CFenIRSensorReader.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/IRSensor.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenIRSensorReader";

enum Attribute : std::size_t { X, Y, Height, Orientation, Range, Aperture, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"x", "y", "height", "orientation", "range", "aperture"};

} // namespace

void CFenIRSensorReader::Read(CFenIOStruct& io, Fen::IRSensor& sensor)
{
    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "irsensor"))
        return;

    std::array<double, AttributeCount> value{};
    std::array<bool, AttributeCount> seen{};
    const auto readValue = [&](std::size_t k, const std::string& text) {
        value[k] = AttributeToDouble(text);
        if (k == Height && !(value[k] > 0.0)) {
            ReportFault(io, reader, "height <= 0.0");
            return false;
        }
        if (!(k == Height ? InPositiveModelRange(value[k]) : InModelRange(value[k]))) {
            ReportFault(io, reader, std::string(names[k]) + " out of range");
            return false;
        }
        return true;
    };
    if (!ForEachNamedAttribute(node, names, seen, io, reader, readValue))
        return;
    // The aperture alone may be left out.
    if (!seen[X] || !seen[Y] || !seen[Height] || !seen[Orientation] || !seen[Range])
        return ReportFault(io, reader, "incomplete definition of irsensor");

    // The aperture is taken in radians as written.
    sensor.setup(value[X], value[Y], value[Height], DegreesToRadians(value[Orientation]), value[Range],
                 value[Aperture]);
}

} // namespace Tarn
