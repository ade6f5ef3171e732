#pragma once
#include <string>

namespace Host {

// The TrueType file fontconfig's fc-match gives for a pattern such as
// "DejaVu Sans:bold"; empty when it gives none that the rasteriser reads.
std::string FindFontFile(const std::string& pattern);

}
