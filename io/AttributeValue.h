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

// The range of the real numbers of scene and robot files (attribute values
// and polygon coordinates): at most 1e9 in magnitude, and at least 1e-9 where
// a value must be greater than 0. Within it the simulation's arithmetic stays
// finite however the bodies meet; readers refuse a value beyond it with
// "NAME out of range".
inline constexpr double maxModelMagnitude = 1e9;
inline constexpr double minPositiveModelValue = 1e-9;
inline bool InModelRange(double value) { return value >= -maxModelMagnitude && value <= maxModelMagnitude; }
inline bool InPositiveModelRange(double value)
{
    return value >= minPositiveModelValue && value <= maxModelMagnitude;
}

} // namespace Tarn
