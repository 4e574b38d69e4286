// BMP decoding for the toolkit: the result is what GetObjectA describes, bottom-up rows padded to
// 4 bytes, B, G, R for 24-bit and B, G, R, A for 32-bit images (our own reader, truecolour.cpp),
// and packed colour-table indices for images of 8 bits or fewer (the backend's BMP loader). Unreadable
// files, and files too short for the size they declare, give handle 0.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "vitrail/platform/internal.h"

using vtrlplat::Bitmap;
using vtrlplat::dibStride;

namespace {

// A colour-table bitmap of `depth` bits (1, 2, 4 or 8) from one index a pixel.
Bitmap indexedBitmap(const vtrlplat::DecodedBmp& d, int depth) {
    Bitmap bmp;
    bmp.width = d.width;
    bmp.height = d.height;
    bmp.bitsPixel = depth;
    bmp.stride = static_cast<int32_t>(dibStride(d.width, depth));
    bmp.bits.assign(static_cast<size_t>(bmp.stride) * static_cast<size_t>(d.height), 0);
    for (uint32_t c : d.colours)
        bmp.colours.push_back(
            RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0});
    const unsigned mask = (1u << depth) - 1;
    for (int32_t y = 0; y < d.height; ++y) {
        const uint8_t* src = d.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(d.pitch);
        uint8_t* row =
            bmp.bits.data() + static_cast<size_t>(d.height - 1 - y) * static_cast<size_t>(bmp.stride);
        for (int32_t x = 0; x < d.width; ++x) {
            const int32_t bit = x * depth;
            row[bit / 8] |= static_cast<uint8_t>((src[x] & mask) << (8 - depth - bit % 8));
        }
    }
    return bmp;
}

// The B, G, R bytes of colour-table entry `index` (black past the table's end).
void tableColour(const vtrlplat::DecodedBmp& d, uint8_t index, uint8_t* out) {
    const uint32_t c = index < d.colours.size() ? d.colours[index] : 0;
    out[0] = static_cast<uint8_t>(c);
    out[1] = static_cast<uint8_t>(c >> 8);
    out[2] = static_cast<uint8_t>(c >> 16);
}

// A 24- or 32-bit bitmap from B, G, R (, A) pixels; indices of a depth no table bitmap has
// become their colours.
Bitmap deepBitmap(const vtrlplat::DecodedBmp& d) {
    const int32_t bytes = d.bytesPerPixel == 4 ? 4 : 3;
    Bitmap bmp;
    bmp.width = d.width;
    bmp.height = d.height;
    bmp.bitsPixel = 8 * bytes;
    bmp.stride = static_cast<int32_t>(dibStride(d.width, bmp.bitsPixel));
    bmp.bits.assign(static_cast<size_t>(bmp.stride) * static_cast<size_t>(d.height), 0);
    for (int32_t y = 0; y < d.height; ++y) {
        // The decoded rows are top-down; the bitmap starts with the bottom row.
        const uint8_t* src =
            d.pixels.data() + static_cast<size_t>(d.height - 1 - y) * static_cast<size_t>(d.pitch);
        uint8_t* row = bmp.bits.data() + static_cast<size_t>(y) * static_cast<size_t>(bmp.stride);
        if (d.bytesPerPixel == 1)
            for (int32_t x = 0; x < d.width; ++x) tableColour(d, src[x], row + 3 * x);
        else
            std::copy(src, src + static_cast<ptrdiff_t>(d.width) * bytes, row);
    }
    return bmp;
}

// Every other BMP on the backend's decoder: colour-table pictures of 8 bits or fewer keep their
// depth, the rest become 24-bit (or 32-bit) pictures.
bool decodeOther(const char* file, int depth, Bitmap& out) {
    vtrlplat::DecodedBmp d;
    if (!vtrlplat::native::decodeBmp(file, d)) return false;
    const bool table = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    out = d.bytesPerPixel == 1 && table ? indexedBitmap(d, depth) : deepBitmap(d);
    return true;
}

// An open file that closes itself.
struct File {
    std::FILE* f;
    explicit File(const char* name) : f(std::fopen(name, "rb")) {}
    ~File() {
        if (f) std::fclose(f);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
};

int64_t sizeOf(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const int64_t size = std::ftell(f);
    std::rewind(f);
    return size;
}

// Reads the header once: true-colour files go to our own reader; every other file is decoded
// only when it can hold the size it declares, so nothing is allocated for a size it cannot back.
bool decodeBmp(const char* name, Bitmap& out) {
    uint8_t h[vtrlplat::kBmpHeaderBytes] = {};
    vtrlplat::BmpHeader header;
    int64_t size = 0;
    {
        const File file(name);
        if (!file.f) return false;
        size = sizeOf(file.f);
        const size_t got = std::fread(h, 1, sizeof h, file.f);
        if (!vtrlplat::parseBmpHeader(h, got, header)) return false;
        const vtrlplat::TrueColour read = vtrlplat::readTrueColourBmp(file.f, size, header, out);
        if (read != vtrlplat::TrueColour::NotTrueColour) return read == vtrlplat::TrueColour::Decoded;
    }
    return vtrlplat::bmpFitsInFile(header, size) && decodeOther(name, header.depth, out);
}

}  // namespace

HANDLE LoadImageA(HINSTANCE, const char* file, UINT type, int32_t, int32_t, UINT flags) {
    if (!file || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE)) return 0;
    Bitmap bmp;
    return decodeBmp(file, bmp) ? vtrlplat::storeBitmap(std::move(bmp)) : 0;
}

int32_t GetObjectA(HGDIOBJ obj, int32_t size, void* out) {
    Bitmap* b = vtrlplat::findBitmap(obj);
    if (!b || !out || size < static_cast<int32_t>(sizeof(BITMAP))) return 0;
    *static_cast<BITMAP*>(out) =
        BITMAP{0, b->width, b->height, b->stride, 1, static_cast<WORD>(b->bitsPixel), b->bits.data()};
    return sizeof(BITMAP);
}
