#include "io/ColorFromName.h"

#include <array>
#include <cstdint>
#include <string>

namespace Tarn {

namespace {

struct NamedColor {
    std::string_view name;
    std::uint32_t rgb;
};

// The SVG colour keywords of these names, in the order they are tested.
constexpr std::array<NamedColor, 50> namedColors{{
    {"aqua", 0x00FFFF},          {"azure", 0xF0FFFF},       {"black", 0x000000},
    {"blue", 0x0000FF},          {"brown", 0xA52A2A},       {"chocolate", 0xD2691E},
    {"cyan", 0x00FFFF},          {"darkblue", 0x00008B},    {"darkcyan", 0x008B8B},
    {"darkgray", 0xA9A9A9},      {"darkgrey", 0xA9A9A9},    {"darkgreen", 0x006400},
    {"darkmagenta", 0x8B008B},   {"darkolivegreen", 0x556B2F}, {"darkorange", 0xFF8C00},
    {"darkred", 0x8B0000},       {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3},
    {"gold", 0xFFD700},          {"gray", 0x808080},        {"grey", 0x808080},
    {"green", 0x008000},         {"greenyellow", 0xADFF2F}, {"indigo", 0x4B0082},
    {"lightblue", 0xADD8E6},     {"lightcyan", 0xE0FFFF},   {"lightgray", 0xD3D3D3},
    {"lightgrey", 0xD3D3D3},     {"lightgreen", 0x90EE90},  {"lightpink", 0xFFB6C1},
    {"lightyellow", 0xFFFFE0},   {"lime", 0x00FF00},        {"limegreen", 0x32CD32},
    {"magenta", 0xFF00FF},       {"maroon", 0x800000},      {"navy", 0x000080},
    {"olive", 0x808000},         {"orange", 0xFFA500},      {"orchid", 0xDA70D6},
    {"pink", 0xFFC0CB},          {"purple", 0x800080},      {"red", 0xFF0000},
    {"salmon", 0xFA8072},        {"sienna", 0xA0522D},      {"silver", 0xC0C0C0},
    {"turquoise", 0x40E0D0},     {"violet", 0xEE82EE},      {"white", 0xFFFFFF},
    {"yellow", 0xFFFF00},        {"yellowgreen", 0x9ACD32},
}};

Fen::Color fromRgb(std::uint32_t rgb)
{
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1.0};
}

// Value of one hexadecimal digit, or -1.
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

Fen::Color ColorFromName(std::string_view text)
{
    // ASCII lower case, independent of the user's locale; other bytes stay.
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');

    for (const NamedColor& named : namedColors)
        if (lower == named.name)
            return fromRgb(named.rgb);

    if (lower.size() == 7 && lower[0] == '#') {
        std::uint32_t rgb = 0;
        for (std::size_t i = 1; i < 7; ++i) {
            const int digit = hexDigit(lower[i]);
            if (digit < 0)
                return {};
            rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
        }
        return fromRgb(rgb);
    }
    return {};
}

} // namespace Tarn
