// BMP file headers: the one parser that both the size check before decoding and the true-colour
// decoder read (the file header, then a 12-byte core header or an info header with its bit-field
// masks), and the check that a file can hold the pixels its header declares.
#include <cstdlib>

#include "vitrail/platform/internal.h"

namespace vtrlplat {

bool parseBmpHeader(const uint8_t* h, size_t got, BmpHeader& out) {
    if (got < 26 || h[0] != 'B' || h[1] != 'M') return false;
    BmpHeader b;
    b.bytes = got;
    b.pixelOffset = readLE(h + 10, 4);
    b.headerSize = readLE(h + 14, 4);
    if (b.headerSize == 12) {
        b.width = readLE(h + 18, 2);
        b.height = readLE(h + 20, 2);
        b.planes = static_cast<int>(readLE(h + 22, 2));
        b.depth = static_cast<int>(readLE(h + 24, 2));
    } else {
        if (got < 34) return false;
        b.width = static_cast<int32_t>(readLE(h + 18, 4));
        b.height = static_cast<int32_t>(readLE(h + 22, 4));
        b.planes = static_cast<int>(readLE(h + 26, 2));
        b.depth = static_cast<int>(readLE(h + 28, 2));
        b.compression = readLE(h + 30, 4);
        // The masks of a bit-field file sit right after the 40-byte header fields, whether they
        // belong to a longer header or follow a 40-byte one.
        if (got >= kBmpHeaderBytes)
            for (int i = 0; i < 4; ++i) b.masks[i] = readLE(h + 54 + 4 * i, 4);
    }
    out = b;
    return true;
}

// Uncompressed pixel rows must lie in the file; run-length images (whose few bytes may stand
// for many pixels) are held to maxRunLengthPixels.
bool bmpFitsInFile(const BmpHeader& b, int64_t fileSize) {
    constexpr int64_t maxRunLengthPixels = int64_t{1} << 24;
    const int64_t rows = std::abs(b.height);
    if (b.compression == 1 || b.compression == 2) return b.width * rows <= maxRunLengthPixels;
    const int64_t stride = dibStride(b.width, b.depth);
    const int64_t available = fileSize - 14 - int64_t{b.headerSize};
    return rows == 0 || stride <= 0 || (available >= 0 && stride <= available / rows);
}

}  // namespace vtrlplat
