// Image file encoders of the data generator: run-length encoded true-colour TGA and
// uncompressed BMP, both 24-bit and stored bottom row first. Encoders return the file's bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/datagen/image.h"

namespace datagen {

// TGA image type 10: 18-byte header (no ID, no colour map, origin 0, lower-left first row),
// then packets of at most 128 pixels that never cross a row, pixels B, G, R.
std::vector<uint8_t> EncodeTgaRle(const Image& img);

// BMP with the 14-byte file header and the 40-byte information header, positive height
// (bottom-up), rows of B, G, R padded to 4 bytes.
std::vector<uint8_t> EncodeBmp24(const Image& img);

}  // namespace datagen
