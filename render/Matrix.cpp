#include "render/Matrix.h"
#include <cmath>

namespace Tarn {

Matrix MatrixIdentity()
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1;
    return r;
}

Matrix MatrixTranslation(float x, float y, float z)
{
    Matrix r = MatrixIdentity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix MatrixScaling(float x, float y, float z)
{
    Matrix r = MatrixIdentity();
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

Matrix MatrixRotationZ(float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Matrix r = MatrixIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

std::optional<Matrix> MatrixInverse(const Matrix& m)
{
    // Gauss-Jordan with partial pivoting in double precision.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m.m[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (a[pivot][col] == 0.0 || !std::isfinite(a[pivot][col]))
            return std::nullopt;
        if (pivot != col)
            for (int j = 0; j < 8; ++j)
                std::swap(a[pivot][j], a[col][j]);
        const double inv = 1.0 / a[col][col];
        for (int j = 0; j < 8; ++j)
            a[col][j] *= inv;
        for (int row = 0; row < 4; ++row) {
            if (row == col || a[row][col] == 0.0)
                continue;
            const double f = a[row][col];
            for (int j = 0; j < 8; ++j)
                a[row][j] -= f * a[col][j];
        }
    }
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = static_cast<float>(a[i][j + 4]);
    return r;
}

Vec2 Vec2TransformCoord(const Vec2& v, const Matrix& m)
{
    const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + m.m[3][0];
    const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + m.m[3][1];
    const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + m.m[3][3];
    return {x / w, y / w};
}

} // namespace Tarn
