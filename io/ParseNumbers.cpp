#include "io/ParseNumbers.h"

#include <locale>
#include <sstream>
#include <string>

namespace Tarn {

std::size_t ParseNumbers(std::string_view text, std::vector<double>& numbers, bool& ok)
{
    numbers.clear();
    std::istringstream stream{std::string(text)};
    // The user's locale might use a decimal comma or group digits.
    stream.imbue(std::locale::classic());
    double value = 0.0;
    // Formatted extraction of a double reads decimal numbers only and fails
    // on a value too large for a double, so no NaN or infinity gets through.
    while (stream >> value)
        numbers.push_back(value);
    ok = stream.eof();
    return numbers.size();
}

} // namespace Tarn
