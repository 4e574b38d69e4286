// Our own reader of true-colour BMP files: 24-bit BI_RGB and 32-bit BI_RGB, BI_BITFIELDS or
// BI_ALPHABITFIELDS with any masks, info headers of 40 to 124 bytes, bottom-up or top-down rows.
// It reads only the header and the rows the header declares, and only when the file holds them.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vitrail/platform/internal.h"

using vtrlplat::Bitmap;
using vtrlplat::dibStride;
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

// The masks of a bit-field file sit right after the 40-byte header fields, whether they belong
// to a longer header or follow a 40-byte one; alpha only in headers of 56 bytes and more, or
// after a 40-byte header of BI_ALPHABITFIELDS.
void readMasks(const uint8_t* h, uint32_t headerSize, Layout& l) {
    l.red.setMask(readLE(h + 54, 4));
    l.green.setMask(readLE(h + 58, 4));
    l.blue.setMask(readLE(h + 62, 4));
    if (headerSize >= 56 || l.compression == biAlphaBitfields) l.alpha.setMask(readLE(h + 66, 4));
}

// The layout of a true-colour BMP, or false when the header is not one this reader decodes.
bool readLayout(const uint8_t* h, size_t got, Layout& l) {
    if (got < fileHeaderSize + 40 || h[0] != 'B' || h[1] != 'M') return false;
    const uint32_t headerSize = readLE(h + 14, 4);
    const bool knownHeader =
        headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124;
    l.depth = static_cast<int32_t>(readLE(h + 28, 2));
    l.compression = readLE(h + 30, 4);
    if (!knownHeader || (l.depth != 24 && l.depth != 32) || readLE(h + 26, 2) != 1) return false;
    const bool bitfields = l.compression == biBitfields || l.compression == biAlphaBitfields;
    if (l.compression != biRgb && !(bitfields && l.depth == 32)) return false;
    const int64_t height = static_cast<int32_t>(readLE(h + 22, 4));
    l.width = static_cast<int32_t>(readLE(h + 18, 4));
    l.height = static_cast<int32_t>(std::min<int64_t>(std::abs(height), INT32_MAX));
    l.topDown = height < 0;
    l.pixelOffset = readLE(h + 10, 4);
    if (l.width <= 0 || l.height <= 0) return false;
    if (bitfields) {
        if (got < fileHeaderSize + 56) return false;
        readMasks(h, headerSize, l);
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

TrueColour readTrueColourBmp(SDL_RWops* rw, Bitmap& out) {
    uint8_t h[fileHeaderSize + 56] = {};
    const size_t got = SDL_RWread(rw, h, 1, sizeof h);
    Layout l;
    if (!readLayout(h, got, l)) return TrueColour::NotTrueColour;
    // Every row must lie in the file: nothing is allocated for rows the file cannot hold.
    const int64_t stride = l.fileStride(), fileSize = SDL_RWsize(rw);
    if (l.pixelOffset < fileHeaderSize + 40 || fileSize < l.pixelOffset ||
        stride > (fileSize - l.pixelOffset) / l.height)
        return TrueColour::Refused;
    if (SDL_RWseek(rw, l.pixelOffset, RW_SEEK_SET) < 0) return TrueColour::Refused;
    Bitmap bmp;
    bmp.width = l.width;
    bmp.height = l.height;
    bmp.bitsPixel = l.depth;
    bmp.stride = static_cast<int32_t>(stride);
    bmp.bits.assign(static_cast<size_t>(stride) * static_cast<size_t>(l.height), 0);
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int32_t y = 0; y < l.height; ++y) {
        if (SDL_RWread(rw, row.data(), 1, row.size()) != row.size()) return TrueColour::Refused;
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
