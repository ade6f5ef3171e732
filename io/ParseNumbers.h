#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace Tarn {

// Parses numeric text content: reals separated by white space only (blanks,
// tabs, line breaks, in any amount, also before the first and after the
// last), read by standard formatted extraction in the classic "C" locale.
// numbers is cleared, then receives every number extracted; the count is
// returned. ok is false when extraction stopped before the end of the text,
// at a character that cannot start or continue a number (a "," or a letter;
// "nan", "inf" and "0x" are not numbers here). An empty or all-white text
// gives 0 numbers with ok true. Callers compare the count with the size the
// element declares.
std::size_t ParseNumbers(std::string_view text, std::vector<double>& numbers, bool& ok);

} // namespace Tarn
