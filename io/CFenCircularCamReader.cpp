#include "io/CFenCircularCamReader.h"

#include <array>
#include <string>
#include <string_view>

#include "engine/CircularCam.h"
#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {

constexpr std::string_view reader = "CFenCircularCamReader";

enum Attribute : std::size_t { X, Y, Height, Orientation, FieldOfView, PixelCount, AttributeCount };

constexpr std::array<std::string_view, AttributeCount> names{"x",           "y",           "height",
                                                             "orientation", "fieldOfView", "pixelCount"};

} // namespace

void CFenCircularCamReader::Read(CFenIOStruct& io, Fen::CircularCam& camera)
{
    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "camera"))
        return;

    std::array<double, AttributeCount> value{};
    std::array<bool, AttributeCount> seen{};
    int pixelCount = 0;
    const auto fault = [&](std::string_view description) {
        ReportFault(io, reader, description);
        return false;
    };
    const auto readValue = [&](std::size_t k, const std::string& text) {
        switch (k) {
        case Height:
            value[k] = AttributeToDouble(text);
            if (!(value[k] > 0.0))
                return fault("height <= 0.0");
            if (!InPositiveModelRange(value[k]))
                return fault("height out of range");
            break;
        case FieldOfView: {
            // Tested after the conversion: a tiny angle in degrees can vanish.
            const double degrees = AttributeToDouble(text);
            value[k] = DegreesToRadians(degrees);
            if (!(value[k] > 0.0))
                return fault("fieldOfView <= 0.0");
            if (!InPositiveModelRange(degrees))
                return fault("fieldOfView out of range");
            break;
        }
        case PixelCount:
            pixelCount = AttributeToInt(text);
            if (pixelCount <= 0)
                return fault("pixelCount <= 0");
            if (pixelCount > maxPixelCount)
                return fault("pixelCount too large");
            break;
        default:
            value[k] = AttributeToDouble(text);
            if (!InModelRange(value[k]))
                return fault(std::string(names[k]) + " out of range");
            break;
        }
        return true;
    };
    const bool attributesOk = ForEachNamedAttribute(node, names, seen, io, reader, readValue);
    if (!attributesOk)
        return;
    for (const bool given : seen)
        if (!given)
            return ReportFault(io, reader, "incomplete definition of camera");

    camera.setup(value[X], value[Y], value[Height], DegreesToRadians(value[Orientation]), value[FieldOfView],
                 static_cast<unsigned>(pixelCount));
}

} // namespace Tarn
