#pragma once
#include <cstdint>
#include <vector>

namespace Fen {

// An axis-aligned box.
struct Box {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};

// A uniform grid of square cells over a rectangle, listing each body in every
// cell its box overlaps. Boxes reaching past the rectangle are clipped to the
// border cells; clipping keeps order, so two overlapping boxes always share at
// least one cell. Bodies are numbered 0..n-1.
class BodyGrid {
public:
    // Empties the grid and lays cells of the given size over the rectangle.
    void reset(double minX, double minY, double maxX, double maxY, double cellSize, std::size_t bodies);

    void insert(std::uint32_t body, const Box& box);
    void remove(std::uint32_t body);

    // Whether the box lies inside the rectangle, so that the cells the body
    // is listed in hold all of it.
    bool holds(const Box& box) const;

    // Calls f(body) for every body listed in a cell the box overlaps; a body
    // in several of those cells comes once per cell.
    template <class F>
    void forEachInBox(const Box& box, const F& f) const
    {
        const int x0 = column(box.minX);
        const int x1 = column(box.maxX);
        const int y0 = row(box.minY);
        const int y1 = row(box.maxY);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                forEachInCell(x, y, f);
    }

    template <class F>
    void forEachInCell(int x, int y, const F& f) const
    {
        for (std::int32_t node = heads[static_cast<std::size_t>(y) * columnCount + x]; node >= 0;
             node = nodes[node].next)
            f(nodes[node].body);
    }

    double cellSize() const { return size; }
    int columns() const { return columnCount; }
    int rows() const { return rowCount; }
    double left() const { return originX; }
    double bottom() const { return originY; }
    // The cell holding a coordinate, clipped to the grid.
    int column(double x) const { return clip((x - originX) * inverse, columnCount); }
    int row(double y) const { return clip((y - originY) * inverse, rowCount); }

private:
    struct Node {
        std::uint32_t body;
        std::int32_t next;
    };
    struct Range {
        int x0 = 0;
        int y0 = 0;
        int x1 = -1;
        int y1 = -1;
    };

    static int clip(double cell, int count);
    std::int32_t newNode();

    double originX = 0;
    double originY = 0;
    double size = 1;
    double inverse = 1;
    int columnCount = 1;
    int rowCount = 1;
    std::vector<std::int32_t> heads; // per cell, first node or -1
    std::vector<Node> nodes;
    std::int32_t freeNodes = -1; // chained through next
    std::vector<Range> ranges; // per body, the cells it is listed in
};

} // namespace Fen
