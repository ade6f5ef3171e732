#include "io/AttributeValue.h"

#include <charconv>
#include <cmath>
#include <climits>
#include <cstddef>
#include <limits>

namespace Tarn {

namespace {

// The C library's isspace in the "C" locale, independent of any locale.
bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    return i;
}

std::size_t skipDigits(std::string_view text, std::size_t i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// Order of magnitude of an out-of-range decimal number: the power of ten of
// its first significant digit, enough to tell overflow from underflow.
long long decimalMagnitude(std::string_view digits, std::size_t pointAt, long long exponent)
{
    std::size_t first = 0;
    while (first < digits.size() && (digits[first] == '0' || digits[first] == '.'))
        ++first;
    const long long position = first < pointAt ? static_cast<long long>(pointAt - first) - 1
                                               : -static_cast<long long>(first - pointAt);
    return position + exponent;
}

} // namespace

double AttributeToDouble(std::string_view text)
{
    std::size_t i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    i = skipDigits(text, i);
    std::size_t mantissaDigits = i - mantissaStart;
    std::size_t pointAt = i;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionStart = i + 1;
        i = skipDigits(text, fractionStart);
        mantissaDigits += i - fractionStart;
    }
    if (mantissaDigits == 0)
        return 0.0;
    const std::size_t mantissaEnd = i;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            // Saturate: beyond a billion the result is 0 or the limit anyway.
            for (; j < text.size() && isDigit(text[j]); ++j)
                if (exponent < 1000000000)
                    exponent = exponent * 10 + (text[j] - '0');
            if (negativeExponent)
                exponent = -exponent;
            i = j;
        }
    }

    // The prefix is decimal by construction, so from_chars cannot meet
    // "nan", "inf" or hexadecimal digits here.
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + i;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        const std::string_view mantissa(first, mantissaEnd - mantissaStart);
        value = decimalMagnitude(mantissa, pointAt - mantissaStart, exponent) >= 0
                    ? std::numeric_limits<double>::max()
                    : 0.0;
    } else if (error != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

int AttributeToInt(std::string_view text)
{
    std::size_t i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

double DegreesToRadians(double degrees)
{
    constexpr double pi = 3.141592653589793;
    if (std::fabs(degrees) > std::numeric_limits<double>::max() / pi)
        degrees = std::fmod(degrees, 360.0);
    return degrees * pi / 180;
}

} // namespace Tarn
