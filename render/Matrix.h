#pragma once
#include <array>
#include <optional>

namespace Tarn {

// A 4x4 single-precision matrix in the row-vector convention: a point is a
// row multiplied from the left, p' = p * M, so the translation sits in the
// last row and A * B applies A first, then B.
struct Matrix {
    std::array<std::array<float, 4>, 4> m{};
    constexpr bool operator==(const Matrix&) const = default;
};

struct Vec2 {
    float x = 0;
    float y = 0;
    constexpr bool operator==(const Vec2&) const = default;
};

Matrix MatrixIdentity();
Matrix MatrixTranslation(float x, float y, float z);
Matrix MatrixScaling(float x, float y, float z);
// Counter-clockwise by a positive angle (radians) about the z axis.
Matrix MatrixRotationZ(float angle);
// a then b: the product a * b.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
// None for a singular matrix.
std::optional<Matrix> MatrixInverse(const Matrix& m);
// (x, y, 0, 1) * m, divided by the resulting w.
Vec2 Vec2TransformCoord(const Vec2& v, const Matrix& m);
static_assert(sizeof(Matrix) == 64, "the device uploads 16 contiguous floats");

} // namespace Tarn
