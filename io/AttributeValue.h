#pragma once

#include <string_view>

namespace Tarn {

// Conversion of attribute values, as the C library's atof and atoi do it in
// the classic "C" locale whatever the user's locale: leading white space is
// skipped, the longest prefix that forms a decimal number is converted and
// anything after it is ignored; text without such a prefix gives 0.
//
// Decimal numbers only: "nan", "inf" and hexadecimal text convert as their
// decimal prefix ("0x1A" gives 0, "nan" gives 0), so no NaN or infinity ever
// comes from a file. A real too large for a double gives the largest finite
// double of its sign, one too small gives 0; an integer beyond int's range
// gives INT_MAX or INT_MIN.
double AttributeToDouble(std::string_view text);
int AttributeToInt(std::string_view text);

// An angle of a file in degrees, in radians: degrees * 3.141592653589793 / 180,
// evaluated in that order. A value so large that the product would overflow
// is first brought into (-360, 360), so the result is always finite.
double DegreesToRadians(double degrees);

} // namespace Tarn
