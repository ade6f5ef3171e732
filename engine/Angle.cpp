#include "engine/Angle.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace Fen {

namespace {

constexpr double twoPi = 2 * pi;

// The result of `while (x > pi) x -= twoPi;` for x > pi, without walking
// through every turn, bit for bit the same:
// - Below 64 every subtraction is exact (2*pi is a multiple of 2^-47, finer
//   than the spacing of the doubles there), so k turns take off exactly k*2*pi,
//   which one correctly rounded fused multiply-add gives.
// - In [64, 128) a subtraction can round to even, so the turns go one by one.
// - From 128 up, within one binade, every subtraction whose exact result stays
//   in the binade rounds 2*pi to the same multiple d of the binade's spacing,
//   so k such steps take off exactly k*d. Steps that leave a binade go one by one.
constexpr double exactBelow = 64;
constexpr double binadeJumpsFrom = 128;
constexpr int exponentCount = 64;

// What one subtraction of 2*pi takes off inside binade [2^e, 2^(e+1)); 0 from
// 2^56 up, where 2*pi is lost in the rounding and the loop would never end.
const std::array<double, exponentCount>& binadeSteps()
{
    static const std::array<double, exponentCount> steps = [] {
        std::array<double, exponentCount> s{};
        for (int e = 0; e < exponentCount; ++e) {
            const double spacing = std::ldexp(1.0, e - 52);
            s[e] = std::nearbyint(twoPi / spacing) * spacing;
        }
        return s;
    }();
    return steps;
}

int binaryExponent(double x) { return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff) - 1023; }

double unwind(double x)
{
    while (x >= binadeJumpsFrom) {
        const int e = binaryExponent(x);
        const double d = e < exponentCount ? binadeSteps()[e] : 0;
        if (d == 0)
            return std::remainder(x, twoPi);
        const double low = std::ldexp(1.0, e);
        // A whole step of margin above the binade's floor.
        const double k = std::floor((x - low - twoPi) / d) - 1;
        if (k >= 1)
            x -= k * d;
        x -= twoPi;
    }
    while (x >= exactBelow)
        x -= twoPi;
    if (x <= pi)
        return x;
    double k = std::ceil((x - pi) / twoPi);
    while (std::fma(-k, twoPi, x) > pi)
        k += 1;
    while (k > 1 && std::fma(-(k - 1), twoPi, x) <= pi)
        k -= 1;
    return std::fma(-k, twoPi, x);
}

} // namespace

double normalizeAngle(double a)
{
    if (!std::isfinite(a))
        return a;
    // Rounding to nearest is symmetric, so the adding loop is the mirror image
    // of the subtracting one.
    if (a > pi)
        a = unwind(a);
    if (a < -pi)
        a = -unwind(-a);
    return a;
}

} // namespace Fen
