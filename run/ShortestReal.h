#pragma once
#include <charconv>
#include <string>

namespace Korvale::Run {

// Appends the shortest text that reads back to the same double.
inline void AppendShortest(std::string& out, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace Korvale::Run
