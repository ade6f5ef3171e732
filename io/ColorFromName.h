#pragma once

#include <string_view>

#include "engine/Color.h"

namespace Tarn {

// The colour of a "color" attribute: one of fifty colour names in any case
// ("red", "Red", "RED"), or "#" and six hexadecimal digits. Anything else is
// black; alpha is always 1. Never reports anything.
Fen::Color ColorFromName(std::string_view text);

} // namespace Tarn
