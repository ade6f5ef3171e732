// Vectors and matrices: the few operations the network evaluation needs.
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "control/CMatrix.h"
#include "control/CVector.h"

using Tarn::CMatrix;
using Tarn::CVector;

namespace {

CVector Vec(const std::vector<double>& values)
{
    CVector v(static_cast<std::int32_t>(values.size()));
    v.data = values;
    return v;
}

CMatrix Mat(const std::vector<std::vector<double>>& rows)
{
    CMatrix M(static_cast<std::int32_t>(rows.size()), rows.empty() ? 0 : static_cast<std::int32_t>(rows[0].size()));
    M.rows = rows;
    return M;
}

double Twice(double x) { return 2 * x; }

} // namespace

TEST(CVector, ConstructionGivesZerosOrNothing)
{
    const CVector empty;
    EXPECT_EQ(empty.m, 0);
    EXPECT_TRUE(empty.data.empty());

    const CVector three(3);
    EXPECT_EQ(three.m, 3);
    EXPECT_EQ(three.data, (std::vector<double>{0.0, 0.0, 0.0}));

    EXPECT_THROW(CVector(-1), std::invalid_argument);
}

TEST(CVector, CopyDuplicatesEveryElement)
{
    CVector a = Vec({1, 2});
    CVector b = a;
    b[0] = 7;
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(b.m, 2);
    a = b;
    EXPECT_EQ(a.data, b.data);
}

TEST(CVector, ClearEmpties)
{
    CVector v = Vec({1, 2, 3});
    v.Clear();
    EXPECT_EQ(v.m, 0);
    EXPECT_TRUE(v.data.empty());
}

TEST(CVector, AddAndSubtractElementWise)
{
    CVector v = Vec({1, 2.5, -3});
    v += Vec({0.5, 0.5, 1});
    EXPECT_EQ(v.data, (std::vector<double>{1.5, 3.0, -2.0}));
    v -= Vec({1.5, 1, 1});
    EXPECT_EQ(v.data, (std::vector<double>{0.0, 2.0, -3.0}));
}

TEST(CVector, OperationsAreDrivenByTheLeftOperand)
{
    CVector v = Vec({1, 2});
    v += Vec({10, 20, 30});
    EXPECT_EQ(v.data, (std::vector<double>{11, 22}));
    EXPECT_THROW(v -= Vec({1}), std::invalid_argument);
    EXPECT_THROW(v.DivideBy(CVector()), std::invalid_argument);
}

TEST(CVector, EmptyVectorIsLeftUnchanged)
{
    CVector v;
    v += Vec({1});
    v -= Vec({1});
    v.DivideBy(Vec({0}));
    v.Apply(Twice);
    EXPECT_EQ(v.m, 0);
    EXPECT_TRUE(v.data.empty());
}

TEST(CVector, DivideByGuardsNearZeroDivisors)
{
    CVector v = Vec({3, 3, 3, 3, 3, 4});
    v.DivideBy(Vec({0.0, 5e-11, -5e-11, 1e-10, -1e-10, 2}));
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[1], 0.0);
    EXPECT_EQ(v[2], 0.0);
    // The bounds themselves are outside the guard: those divide.
    EXPECT_EQ(v[3], 3 / 1e-10);
    EXPECT_EQ(v[4], 3 / -1e-10);
    EXPECT_EQ(v[5], 2.0);
}

TEST(CVector, DivideByNaNIsCarriedOut)
{
    CVector v = Vec({1});
    v.DivideBy(Vec({std::numeric_limits<double>::quiet_NaN()}));
    EXPECT_TRUE(std::isnan(v[0]));
}

TEST(CVector, ApplyMapsEveryElement)
{
    CVector v = Vec({1, -2});
    v.Apply(Twice);
    EXPECT_EQ(v.data, (std::vector<double>{2, -4}));
    EXPECT_THROW(v.Apply(nullptr), std::invalid_argument);
}

TEST(CMatrix, ConstructionAndClear)
{
    CMatrix M(2, 3);
    EXPECT_EQ(M.m, 2);
    EXPECT_EQ(M.n, 3);
    ASSERT_EQ(M.rows.size(), 2u);
    EXPECT_EQ(M.rows[1].size(), 3u);
    M.Clear();
    EXPECT_EQ(M.m, 0);
    EXPECT_EQ(M.n, 0);
    EXPECT_TRUE(M.rows.empty());
    EXPECT_THROW(CMatrix(-1, 2), std::invalid_argument);
}

TEST(CMatrix, CopyDuplicatesEveryRow)
{
    const CMatrix a = Mat({{1, 2}, {3, 4}});
    CMatrix b = a;
    b.rows[1][0] = 9;
    EXPECT_EQ(a.rows[1][0], 3);
    EXPECT_EQ(b.m, 2);
    EXPECT_EQ(b.n, 2);
}

TEST(CMatrix, ProductSumsEachRowInColumnOrder)
{
    const CVector r = Mat({{1, 2, 3}, {-1, 0, 0.5}}) * Vec({1, 10, 100});
    ASSERT_EQ(r.m, 2);
    EXPECT_EQ(r[0], 321);
    EXPECT_EQ(r[1], 49);
}

TEST(CMatrix, ProductAccumulatesFromZeroLeftToRight)
{
    // 1e16 + 1 + 1 loses both ones when summed in this order, keeps them in
    // any other: the order is part of the result.
    const CVector r = Mat({{1e16, 1, 1}}) * Vec({1, 1, 1});
    EXPECT_EQ(r[0], (0.0 + 1e16 + 1) + 1);
    EXPECT_NE(r[0], 1e16 + (1 + 1.0));
}

TEST(CMatrix, ProductOfEmptyShapes)
{
    EXPECT_EQ((CMatrix() * CVector()).m, 0);
    const CVector zeros = CMatrix(3, 0) * CVector();
    EXPECT_EQ(zeros.data, (std::vector<double>{0, 0, 0}));
}

TEST(CMatrix, ProductRejectsAVectorOfTheWrongSize)
{
    EXPECT_THROW(Mat({{1, 2}}) * Vec({1}), std::invalid_argument);
    EXPECT_THROW(Mat({{1, 2}}) * Vec({1, 2, 3}), std::invalid_argument);
}
