// Our own reader of true-colour BMP files: 24-bit BI_RGB and 32-bit BI_RGB, BI_BITFIELDS or
// BI_ALPHABITFIELDS with any masks, info headers of 40 to 124 bytes, bottom-up or top-down rows.
// It reads only the header and the rows the header declares, and only when the file holds them.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vitrail/platform/internal.h"

using vtrlplat::Bitmap;
using vtrlplat::BmpHeader;
using vtrlplat::dibStride;
using vtrlplat::kBmpHeaderBytes;
using vtrlplat::readLE;

namespace {

constexpr size_t fileHeaderSize = 14;
constexpr uint32_t biRgb = 0, biBitfields = 3, biAlphaBitfields = 6;

// One channel of a pixel word: its mask's bits, scaled to 0..255. An empty mask reads as `none`.
class Channel {
  public:
    explicit Channel(uint8_t none = 0) : none_(none) {}
    void setMask(uint32_t mask) {
        mask_ = mask;
        shift_ = mask ? std::countr_zero(mask) : 0;
        most_ = mask >> shift_;
    }
    uint8_t of(uint32_t word) const {
        if (mask_ == 0) return none_;
        const uint32_t value = (word & mask_) >> shift_;
        if (most_ == 255) return static_cast<uint8_t>(value);  // the common 8-bit channel
        return static_cast<uint8_t>((uint64_t{value} * 255 + most_ / 2) / most_);
    }

  private:
    uint32_t mask_ = 0, most_ = 0;
    int shift_ = 0;
    uint8_t none_;
};

// What the header says, checked: the sizes, the row order and how a 32-bit word splits.
struct Layout {
    int32_t width = 0, height = 0, depth = 0;
    bool topDown = false;
    uint32_t pixelOffset = 0, compression = 0;
    Channel red, green, blue, alpha{255};
    int64_t fileStride() const { return dibStride(width, depth); }
};

// The layout of a true-colour BMP, or false when the header is not one this reader decodes.
// Alpha has a mask only in headers of 56 bytes and more, or after a 40-byte header of
// BI_ALPHABITFIELDS.
bool readLayout(const BmpHeader& b, Layout& l) {
    if (b.bytes < fileHeaderSize + 40) return false;
    const uint32_t size = b.headerSize;
    const bool knownHeader = size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
    l.depth = b.depth;
    l.compression = b.compression;
    if (!knownHeader || (l.depth != 24 && l.depth != 32) || b.planes != 1) return false;
    const bool bitfields = l.compression == biBitfields || l.compression == biAlphaBitfields;
    if (l.compression != biRgb && !(bitfields && l.depth == 32)) return false;
    l.width = static_cast<int32_t>(b.width);
    l.height = static_cast<int32_t>(std::min<int64_t>(std::abs(b.height), INT32_MAX));
    l.topDown = b.height < 0;
    l.pixelOffset = b.pixelOffset;
    if (l.width <= 0 || l.height <= 0) return false;
    if (bitfields) {
        if (b.bytes < kBmpHeaderBytes) return false;
        l.red.setMask(b.masks[0]);
        l.green.setMask(b.masks[1]);
        l.blue.setMask(b.masks[2]);
        if (size >= 56 || l.compression == biAlphaBitfields) l.alpha.setMask(b.masks[3]);
    } else {
        l.red.setMask(0xFF0000);
        l.green.setMask(0xFF00);
        l.blue.setMask(0xFF);
        l.alpha.setMask(0xFF000000);  // the unused byte, kept unless it is 0 everywhere
    }
    return true;
}

// Converts one stored row to B, G, R (, A) bytes; 32-bit words split by the layout's masks.
void convertRow(const Layout& l, const uint8_t* src, uint8_t* dst) {
    if (l.depth == 24) {
        std::copy(src, src + 3 * static_cast<size_t>(l.width), dst);
        return;
    }
    for (int32_t x = 0; x < l.width; ++x, src += 4, dst += 4) {
        const uint32_t word = readLE(src, 4);
        dst[0] = l.blue.of(word);
        dst[1] = l.green.of(word);
        dst[2] = l.red.of(word);
        dst[3] = l.alpha.of(word);
    }
}

// A BI_RGB 32-bit file's fourth byte is unused: when it is 0 in every pixel the picture is opaque,
// otherwise the bytes are kept as alpha.
void opaqueWhenAlphaUnused(Bitmap& bmp) {
    for (size_t i = 3; i < bmp.bits.size(); i += 4)
        if (bmp.bits[i] != 0) return;
    for (size_t i = 3; i < bmp.bits.size(); i += 4) bmp.bits[i] = 255;
}

}  // namespace

namespace vtrlplat {

TrueColour readTrueColourBmp(std::FILE* file, int64_t fileSize, const BmpHeader& header, Bitmap& out) {
    Layout l;
    if (!readLayout(header, l)) return TrueColour::NotTrueColour;
    // Every row must lie in the file: nothing is allocated for rows the file cannot hold.
    const int64_t stride = l.fileStride();
    if (l.pixelOffset < fileHeaderSize + 40 || fileSize < l.pixelOffset ||
        stride > (fileSize - l.pixelOffset) / l.height)
        return TrueColour::Refused;
    if (std::fseek(file, static_cast<long>(l.pixelOffset), SEEK_SET) != 0) return TrueColour::Refused;
    Bitmap bmp;
    bmp.width = l.width;
    bmp.height = l.height;
    bmp.bitsPixel = l.depth;
    bmp.stride = static_cast<int32_t>(stride);
    bmp.bits.assign(static_cast<size_t>(stride) * static_cast<size_t>(l.height), 0);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int32_t y = 0; y < l.height; ++y) {
        if (std::fread(row.data(), 1, row.size(), file) != row.size()) return TrueColour::Refused;
        // The bitmap starts with the bottom row.
        const int32_t target = l.topDown ? l.height - 1 - y : y;
        convertRow(l, row.data(),
                   bmp.bits.data() + static_cast<size_t>(target) * static_cast<size_t>(stride));
    }
    if (l.depth == 32 && l.compression == biRgb) opaqueWhenAlphaUnused(bmp);
    out = std::move(bmp);
    return TrueColour::Decoded;
}

}  // namespace vtrlplat
