#include "io/CAnPolygoneReader.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "io/AttributeValue.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ForEachNamedAttribute.h"
#include "io/ParseNumbers.h"
#include "io/ReadTextChild.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {
constexpr std::string_view reader = "CAnPolygoneReader";
constexpr std::array<std::string_view, 1> countName{"m"};
} // namespace

void CAnPolygoneReader::Read(CFenIOStruct& io, Fen::Polygone& polygon)
{
    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "polygone"))
        return;

    std::array<bool, 1> seen{};
    int m = 0;
    const auto readCount = [&](std::size_t, const std::string& value) {
        m = AttributeToInt(value);
        if (m <= 0) {
            ReportFault(io, reader, "m <= 0.0");
            return false;
        }
        return true;
    };
    if (!ForEachNamedAttribute(node, countName, seen, io, reader, readCount))
        return;
    std::optional<std::string> text;
    if (!ReadTextChild(node, io, reader, "text", text))
        return;
    if (!seen[0] || !text)
        return ReportFault(io, reader, "incomplete definition of polygone");

    // The numbers read are what the file holds; m alone never sizes anything
    // until it matches them.
    std::vector<double> numbers;
    bool ok = false;
    const std::size_t count = ParseNumbers(*text, numbers, ok);
    if (!ok || count != 2 * static_cast<std::size_t>(m))
        return ReportFault(io, reader, "unable to parse the text");
    for (const double number : numbers)
        if (!InModelRange(number))
            return ReportFault(io, reader, "number out of range");

    polygon.clear();
    for (std::size_t i = 0; i + 1 < count; i += 2)
        polygon.push_back(Fen::Point{numbers[i], numbers[i + 1]});
}

} // namespace Tarn
