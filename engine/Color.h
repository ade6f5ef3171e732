#pragma once
#include <vector>

namespace Fen {

struct Color {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;
    constexpr bool operator==(const Color&) const = default;
};

// Colours laid along one edge or wall, and one texture per polygon edge.
using Texture = std::vector<Color>;
using Textures = std::vector<Texture>;

} // namespace Fen
