#include "engine/FreePlaces.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include "engine/PhysicalObject.h"

namespace Fen {

std::uint64_t PlacementRandom::next()
{
    std::uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

double PlacementRandom::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

namespace {

// Whether a disc of radius r at p overlaps a convex counter-clockwise polygon:
// p lies inside, or nearer than r to an edge.
bool discMeetsPolygon(const Point& p, double r, const Polygone& polygon)
{
    bool inside = true;
    const std::size_t m = polygon.size();
    for (std::size_t i = 0; i < m; ++i) {
        const Point& a = polygon[i];
        const Point& b = polygon[i + 1 == m ? 0 : i + 1];
        const Vector edge = b - a;
        const double length2 = edge.norm2();
        if ((b - a).x * (p - a).y - (b - a).y * (p - a).x < 0)
            inside = false;
        const double t = length2 > 0 ? std::clamp((p - a).dot(edge) / length2, 0.0, 1.0) : 0.0;
        if ((a + edge * t - p).norm2() < r * r)
            return true;
    }
    return inside;
}

} // namespace

FreePlaces::FreePlaces(double width_, double height_, double radius_, std::size_t expected)
    : width(width_), height(height_), radius(radius_)
{
    // Cells about a disc wide, but never many more than the shapes to come:
    // a huge arena must not claim memory for empty cells.
    const double area = width * height;
    const double most = 4.0 * static_cast<double>(expected) + 1024;
    cell = std::max({2 * radius, std::sqrt(area / most), 1e-9});
    columns = static_cast<int>(std::clamp(std::ceil(width / cell), 1.0, most));
    rows = static_cast<int>(std::clamp(std::ceil(height / cell), 1.0, std::max(1.0, most / columns)));
    cell = std::max({cell, width / columns, height / rows});
    cells.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
}

int FreePlaces::column(double x) const { return static_cast<int>(std::clamp(std::floor(x / cell), 0.0, columns - 1.0)); }

int FreePlaces::row(double y) const { return static_cast<int>(std::clamp(std::floor(y / cell), 0.0, rows - 1.0)); }

void FreePlaces::insert(std::uint32_t index, double minX, double minY, double maxX, double maxY)
{
    // Shapes wholly outside the arena can hold no place.
    if (!(maxX >= 0 && maxY >= 0 && minX <= width && minY <= height))
        return;
    for (int y = row(minY); y <= row(maxY); ++y)
        for (int x = column(minX); x <= column(maxX); ++x)
            cells[static_cast<std::size_t>(y) * columns + x].push_back(index);
}

void FreePlaces::addBody(const PhysicalObject& body)
{
    Shape shape{body.pos, body.r, {}};
    if (body.hasBoundingSurface && !body.absBoundingSurface.empty())
        shape.outline = body.absBoundingSurface;
    double minX = body.pos.x - body.r;
    double minY = body.pos.y - body.r;
    double maxX = body.pos.x + body.r;
    double maxY = body.pos.y + body.r;
    if (!shape.outline.empty()) {
        minX = maxX = shape.outline.front().x;
        minY = maxY = shape.outline.front().y;
        for (const Point& v : shape.outline) {
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
        }
    }
    shapes.push_back(std::move(shape));
    insert(static_cast<std::uint32_t>(shapes.size() - 1), minX, minY, maxX, maxY);
}

void FreePlaces::addDisc(const Point& centre, double r)
{
    shapes.push_back(Shape{centre, r, {}});
    insert(static_cast<std::uint32_t>(shapes.size() - 1), centre.x - r, centre.y - r, centre.x + r, centre.y + r);
}

bool FreePlaces::isFree(const Point& p) const
{
    if (!(p.x >= radius && p.y >= radius && p.x <= width - radius && p.y <= height - radius))
        return false;
    for (int y = row(p.y - radius); y <= row(p.y + radius); ++y) {
        for (int x = column(p.x - radius); x <= column(p.x + radius); ++x) {
            for (const std::uint32_t k : cells[static_cast<std::size_t>(y) * columns + x]) {
                const Shape& shape = shapes[k];
                if (shape.outline.empty()) {
                    const double reach = radius + shape.r;
                    if ((p - shape.centre).norm2() < reach * reach)
                        return false;
                } else if (discMeetsPolygon(p, radius, shape.outline)) {
                    return false;
                }
            }
        }
    }
    return true;
}

std::optional<FreePlaces::Place> FreePlaces::take(PlacementRandom& random)
{
    const double spanX = width - 2 * radius;
    const double spanY = height - 2 * radius;
    if (!(spanX >= 0 && spanY >= 0))
        return std::nullopt;
    for (int draw = 0; draw < drawsPerPlace; ++draw) {
        const double x = radius + random.uniform() * spanX;
        const double y = radius + random.uniform() * spanY;
        const Point p{x, y};
        if (!isFree(p))
            continue;
        addDisc(p, radius);
        return Place{p, random.uniform() * 6.283185307179586};
    }
    return std::nullopt;
}

} // namespace Fen
