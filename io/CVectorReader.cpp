#include "io/CVectorReader.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/CVector.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ParseNumbers.h"
#include "io/ReadPositiveInts.h"
#include "io/ReadTextChild.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {
constexpr std::string_view reader = "CVectorReader";
constexpr std::array<std::string_view, 1> sizeNames{"m"};
} // namespace

void CVectorReader::Read(CFenIOStruct& io, CVector& v)
{
    v.Clear();

    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "vector"))
        return;
    std::array<bool, 1> seen{};
    std::array<int, 1> size{};
    if (!ReadPositiveInts(node, sizeNames, seen, size, io, reader))
        return;
    std::optional<std::string> text;
    if (!ReadTextChild(node, io, reader, "vector data", text))
        return;
    if (!seen[0] || !text)
        return ReportFault(io, reader, "incomplete definition of vector");
    const int m = size[0];

    // The count is compared with m; nothing is sized from m itself, so a
    // huge m with a short text costs nothing.
    std::vector<double> numbers;
    bool ok = true;
    const std::size_t count = ParseNumbers(*text, numbers, ok);
    if (!ok || count != static_cast<std::size_t>(m))
        return ReportFault(io, reader, "unable to parse vector data");
    v.m = m;
    v.data = std::move(numbers);
}

} // namespace Tarn
