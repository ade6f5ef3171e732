#include "io/CMatrixReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/CMatrix.h"
#include "io/CFenIOStruct.h"
#include "io/ExpectElement.h"
#include "io/ParseNumbers.h"
#include "io/ReadPositiveInts.h"
#include "io/ReadTextChild.h"
#include "io/ReportFault.h"

namespace Tarn {

namespace {
constexpr std::string_view reader = "CMatrixReader";
constexpr std::array<std::string_view, 2> sizeNames{"m", "n"};
} // namespace

void CMatrixReader::Read(CFenIOStruct& io, CMatrix& M)
{
    M.Clear();

    const CXmlNode node = io.GetNode();
    if (!ExpectElement(node, io, reader, "matrix"))
        return;
    std::array<bool, 2> seen{};
    std::array<int, 2> size{};
    if (!ReadPositiveInts(node, sizeNames, seen, size, io, reader))
        return;
    std::optional<std::string> text;
    if (!ReadTextChild(node, io, reader, "matrix data", text))
        return;
    if (!seen[0] || !seen[1] || !text)
        return ReportFault(io, reader, "incomplete definition of matrix");
    const int m = size[0];
    const int n = size[1];

    // m*n in 64 bits and nothing sized from it: a matrix declared
    // 100000 x 100000 with six numbers fails here without allocating.
    std::vector<double> numbers;
    bool ok = true;
    const std::size_t count = ParseNumbers(*text, numbers, ok);
    const auto declared = static_cast<std::uint64_t>(m) * static_cast<std::uint64_t>(n);
    if (!ok || static_cast<std::uint64_t>(count) != declared)
        return ReportFault(io, reader, "unable to parse matrix data");
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
