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
// - Below 64 every subtraction is exact (2*pi is a multiple of 2^-47, no finer
//   than the spacing of the doubles there), so k turns take off exactly
//   k*2*pi, which one correctly rounded fused multiply-add gives.
// - From 64 up, within one binade of spacing u, a subtraction whose exact
//   result stays in the binade takes off 2*pi rounded to a multiple of u, the
//   same d every time, so k such steps take off exactly k*d. In [64, 128)
//   2*pi lies half-way between two multiples and the rounding goes to even:
//   after one plain step the value is an even multiple, and from there every
//   step takes off the even choice, which is again d. Steps that leave a
//   binade go one by one.
constexpr double exactBelow = 64;
constexpr int tieExponent = 6;
constexpr int exponentCount = 64;

// d for binade [2^e, 2^(e+1)), and its reciprocal for estimates; d is 0 from
// 2^56 up, where 2*pi is lost in the rounding and the loop would never end.
struct BinadeStep {
    double d = 0;
    double inverse = 0;
};

const std::array<BinadeStep, exponentCount>& binadeSteps()
{
    static const std::array<BinadeStep, exponentCount> steps = [] {
        std::array<BinadeStep, exponentCount> s{};
        for (int e = 0; e < exponentCount; ++e) {
            const double spacing = std::ldexp(1.0, e - 52);
            s[e].d = std::nearbyint(twoPi / spacing) * spacing;
            s[e].inverse = s[e].d == 0 ? 0 : 1 / s[e].d;
        }
        return s;
    }();
    return steps;
}

int binaryExponent(double x) { return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff) - 1023; }

// 2^e for a normal exponent.
double powerOfTwo(int e) { return std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52); }

double unwind(double x)
{
    while (x >= exactBelow) {
        const int e = binaryExponent(x);
        const BinadeStep step = e < exponentCount ? binadeSteps()[e] : BinadeStep{};
        const double d = step.d;
        if (d == 0)
            return std::remainder(x, twoPi);
        if (e == tieExponent) {
            x -= twoPi;
            if (x < exactBelow)
                break;
        }
        // Steps that start at x - (j-1)*d stay in the binade while that start
        // is at least 2*pi above its floor; the differences here are exact.
        const double low = powerOfTwo(e);
        double k = std::floor((x - low - twoPi) * step.inverse) + 1;
        while (k > 0 && (x - (k - 1) * d) - low < twoPi)
            k -= 1;
        if (k > 0)
            x -= k * d;
        x -= twoPi;
    }
    if (x <= pi)
        return x;
    // The loop stops at the first k turns that reach pi or below. Each
    // x - k*2*pi is representable, so adding 2*pi back to one is exact too.
    double k = std::ceil((x - pi) * (1 / twoPi));
    double r = std::fma(-k, twoPi, x);
    while (r > pi) {
        k += 1;
        r = std::fma(-k, twoPi, x);
    }
    while (k > 1 && r + twoPi <= pi) {
        k -= 1;
        r = r + twoPi;
    }
    return r;
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
