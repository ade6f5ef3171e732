#include "engine/BodyGrid.h"

#include <algorithm>
#include <cmath>

namespace Fen {

void BodyGrid::reset(double minX, double minY, double maxX, double maxY, double cellSize, std::size_t bodies)
{
    originX = minX;
    originY = minY;
    size = cellSize;
    inverse = 1 / cellSize;
    columnCount = std::max(1, static_cast<int>(std::ceil((maxX - minX) * inverse)));
    rowCount = std::max(1, static_cast<int>(std::ceil((maxY - minY) * inverse)));
    heads.assign(static_cast<std::size_t>(columnCount) * rowCount, -1);
    nodes.clear();
    // Most bodies sit in one to four cells; room for more keeps later moves
    // from allocating.
    nodes.reserve(4 * bodies + 1024);
    freeNodes = -1;
    ranges.assign(bodies, Range{});
}

int BodyGrid::clip(double cell, int count)
{
    if (!(cell >= 0))
        return 0;
    if (cell >= count - 1)
        return count - 1;
    return static_cast<int>(cell);
}

std::int32_t BodyGrid::newNode()
{
    if (freeNodes >= 0) {
        const std::int32_t node = freeNodes;
        freeNodes = nodes[node].next;
        return node;
    }
    nodes.push_back(Node{});
    return static_cast<std::int32_t>(nodes.size() - 1);
}

void BodyGrid::insert(std::uint32_t body, const Box& box)
{
    Range& range = ranges[body];
    range = Range{column(box.minX), row(box.minY), column(box.maxX), row(box.maxY)};
    for (int y = range.y0; y <= range.y1; ++y) {
        for (int x = range.x0; x <= range.x1; ++x) {
            const std::int32_t node = newNode();
            std::int32_t& head = heads[static_cast<std::size_t>(y) * columnCount + x];
            nodes[node] = Node{body, head};
            head = node;
        }
    }
}

void BodyGrid::remove(std::uint32_t body)
{
    Range& range = ranges[body];
    for (int y = range.y0; y <= range.y1; ++y) {
        for (int x = range.x0; x <= range.x1; ++x) {
            std::int32_t* link = &heads[static_cast<std::size_t>(y) * columnCount + x];
            while (*link >= 0 && nodes[*link].body != body)
                link = &nodes[*link].next;
            if (*link < 0)
                continue;
            const std::int32_t node = *link;
            *link = nodes[node].next;
            nodes[node].next = freeNodes;
            freeNodes = node;
        }
    }
    range = Range{};
}

bool BodyGrid::holds(const Box& box) const
{
    return box.minX >= originX && box.minY >= originY && box.maxX <= originX + columnCount * size
        && box.maxY <= originY + rowCount * size;
}

} // namespace Fen
