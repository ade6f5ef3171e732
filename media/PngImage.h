#pragma once
#include <cstdint>
#include <vector>

#include "base/RgbImage.h"

namespace Tarn {

class CNewFile;

// The PNG file of a picture: 8-bit RGB, rows from the top. Empty if the
// picture is empty or cannot be encoded.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// Encodes the picture into a new file and keeps the file; false, with the
// errno in the file (ENOMEM when the encoding failed), if it could not be
// written completely: the file then goes away with its object.
bool WritePng(CNewFile& file, const RgbImage& image);

} // namespace Tarn
