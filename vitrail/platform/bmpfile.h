// BMP file headers (bmpfile.cpp): the one parser that the size check, the true-colour reader and
// the Win32 backend's colour-table reader share. Free of platform.h, so both sides of the Win32
// backend include it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtrlplat {

// A little-endian unsigned number of `bytes` bytes (at most 4) at p, as BMP headers store them.
inline uint32_t readLE(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}
// Bytes in one stored row of a bitmap `width` pixels wide at `bpp` bits a pixel: rows are padded
// to whole 32-bit words.
inline int64_t dibStride(int64_t width, int64_t bpp) {
    return ((width * bpp + 31) / 32) * 4;
}
// The bytes of a BMP file the header parser reads: the file header, the 40-byte info header
// fields and the four masks after them.
constexpr size_t kBmpHeaderBytes = 14 + 56;
// What a BMP file's headers declare. A 12-byte core header has 16-bit sizes and no compression;
// a negative height means top-down rows.
struct BmpHeader {
    size_t bytes = 0;  // how many of kBmpHeaderBytes the file had
    uint32_t pixelOffset = 0, headerSize = 0, compression = 0;
    int64_t width = 0, height = 0;
    int planes = 0, depth = 0;
    uint32_t masks[4] = {};  // red, green, blue, alpha; zero when the file is shorter than they are
};
// Parses the `got` bytes at the start of a file; false when they do not begin a BMP.
bool parseBmpHeader(const uint8_t* h, size_t got, BmpHeader& out);
// Whether a file of `fileSize` bytes can hold the pixels its header declares.
bool bmpFitsInFile(const BmpHeader& header, int64_t fileSize);

}  // namespace vtrlplat
