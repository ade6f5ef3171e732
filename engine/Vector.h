#pragma once
#include <cmath>

namespace Fen {

// A 2D vector of the arena; also used as a position (Point).
struct Vector {
    double x = 0;
    double y = 0;

    constexpr Vector() = default;
    constexpr Vector(double x_, double y_) : x(x_), y(y_) {}

    constexpr Vector operator+(const Vector& o) const { return {x + o.x, y + o.y}; }
    constexpr Vector operator-(const Vector& o) const { return {x - o.x, y - o.y}; }
    constexpr Vector operator-() const { return {-x, -y}; }
    constexpr Vector operator*(double k) const { return {x * k, y * k}; }
    constexpr Vector operator/(double k) const { return {x / k, y / k}; }
    Vector& operator+=(const Vector& o) { x += o.x; y += o.y; return *this; }
    Vector& operator-=(const Vector& o) { x -= o.x; y -= o.y; return *this; }
    constexpr bool operator==(const Vector& o) const = default;

    constexpr double dot(const Vector& o) const { return x * o.x + y * o.y; }
    constexpr double norm2() const { return x * x + y * y; }
    double norm() const { return std::sqrt(x * x + y * y); }
    // Each component divided by the norm; a zero vector stays as it is.
    Vector unitary() const {
        const double n = norm();
        return n == 0 ? *this : Vector{x / n, y / n};
    }
};

using Point = Vector;

// Product of a real and a vector, as written "k * v".
constexpr Vector operator*(double k, const Vector& v) { return {k * v.x, k * v.y}; }

// v turned by an angle whose cosine and sine are given.
constexpr Vector rotate(const Vector& v, double c, double s)
{
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}

// v turned counter-clockwise by `angle` radians.
inline Vector rotate(const Vector& v, double angle)
{
    return rotate(v, std::cos(angle), std::sin(angle));
}

} // namespace Fen
