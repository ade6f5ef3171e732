#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/PlotPath.h"
#include "tools/SvgPlot.h"

namespace {

using Korvale::Tools::PlotPath;

// A robot's wandering in a 100 by 100 arena, one point a frame.
Fen::Point Wander(int frame)
{
    const double t = frame / 60.0;
    return {50 + 40 * std::sin(0.31 * t) * std::cos(0.017 * t), 50 + 40 * std::sin(0.23 * t + 1)};
}

TEST(PlotPath, KeepsEveryPointOfAPathThatFits)
{
    PlotPath path(0.06, 64);
    std::vector<Fen::Point> added;
    for (int frame = 0; frame < 63; ++frame) {
        added.push_back({1.0 * frame, 1.0}); // even standing still is kept
        path.Add(added.back());
    }
    EXPECT_EQ(path.Points(), added);
    EXPECT_EQ(path.Tolerance(), 0);
}

TEST(PlotPath, ALongPathStaysBoundedAndCloseToTheTruePath)
{
    const std::size_t capacity = 256;
    PlotPath path(0.06, capacity);
    std::vector<Fen::Point> added;
    for (int frame = 0; frame < 200000; ++frame) {
        added.push_back(Wander(frame));
        path.Add(added.back());
        ASSERT_LE(path.Points().size(), capacity + 1);
    }
    const std::vector<Fen::Point> drawn = path.Points();
    ASSERT_GT(path.Tolerance(), 0);
    EXPECT_EQ(drawn.front(), added.front());
    EXPECT_EQ(drawn.back(), added.back());
    // The drawn points are some of the added ones, in order, and every added
    // point lies within twice the tolerance of the drawn point before it.
    std::size_t k = 0;
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (k + 1 < drawn.size() && added[i] == drawn[k + 1])
            ++k;
        ASSERT_LE((added[i] - drawn[k]).norm(), 2 * path.Tolerance()) << "point " << i;
    }
    EXPECT_EQ(k, drawn.size() - 1) << "every drawn point is one that was added";
}

TEST(PlotPath, ASwarmsPathsShareOneBoundedBudget)
{
    using Korvale::Tools::SvgPlot;
    EXPECT_EQ(SvgPlot::PathCapacity(1), PlotPath::defaultCapacity);
    EXPECT_EQ(SvgPlot::PathCapacity(20), 13107u);
    EXPECT_EQ(SvgPlot::PathCapacity(1000), 262u);
    EXPECT_EQ(SvgPlot::PathCapacity(10000), SvgPlot::minimumPathCapacity);
    // Each path thins itself at its capacity: the points of every robot's path stay bounded.
    PlotPath path(0.01, SvgPlot::PathCapacity(1000));
    for (int frame = 0; frame < 50000; ++frame)
        path.Add(Wander(frame));
    EXPECT_LE(path.Points().size(), SvgPlot::PathCapacity(1000) + 1);
}

} // namespace
