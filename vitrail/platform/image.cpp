// BMP decoding for the toolkit: the result is what GetObjectA describes, bottom-up rows padded to
// 4 bytes, B, G, R for 24-bit and B, G, R, A for 32-bit images (our own reader, truecolour.cpp),
// and packed colour-table indices for images of 8 bits or fewer (SDL's BMP loader). Unreadable
// files, and files too short for the size they declare, give handle 0.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "vitrail/platform/internal.h"

using vtrlplat::Bitmap;
using vtrlplat::dibStride;

namespace {

// A colour-table bitmap of `depth` bits (1, 2, 4 or 8) from SDL's 8-bit indexed surface.
Bitmap indexedBitmap(SDL_Surface* s, int depth) {
    Bitmap bmp;
    bmp.width = s->w;
    bmp.height = s->h;
    bmp.bitsPixel = depth;
    bmp.stride = static_cast<int32_t>(dibStride(s->w, depth));
    bmp.bits.assign(static_cast<size_t>(bmp.stride) * static_cast<size_t>(s->h), 0);
    const SDL_Palette* pal = s->format->palette;
    for (int i = 0; i < pal->ncolors && i < 256; ++i)
        bmp.colours.push_back(RGBQUAD{pal->colors[i].b, pal->colors[i].g, pal->colors[i].r, 0});
    const unsigned mask = (1u << depth) - 1;
    SDL_LockSurface(s);
    for (int32_t y = 0; y < s->h; ++y) {
        const auto* src =
            static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * static_cast<size_t>(s->pitch);
        uint8_t* row = bmp.bits.data() + static_cast<size_t>(s->h - 1 - y) * static_cast<size_t>(bmp.stride);
        for (int32_t x = 0; x < s->w; ++x) {
            const int32_t bit = x * depth;
            row[bit / 8] |= static_cast<uint8_t>((src[x] & mask) << (8 - depth - bit % 8));
        }
    }
    SDL_UnlockSurface(s);
    return bmp;
}

// A bitmap of `depth` bits (24 or 32) from SDL's surface of B, G, R (, A) pixels.
Bitmap deepBitmap(SDL_Surface* s, int depth) {
    Bitmap bmp;
    bmp.width = s->w;
    bmp.height = s->h;
    bmp.bitsPixel = depth;
    bmp.stride = static_cast<int32_t>(dibStride(s->w, depth));
    bmp.bits.assign(static_cast<size_t>(bmp.stride) * static_cast<size_t>(s->h), 0);
    const size_t rowBytes = static_cast<size_t>(s->w) * static_cast<size_t>(depth / 8);
    SDL_LockSurface(s);
    const auto* src = static_cast<const uint8_t*>(s->pixels);
    for (int32_t y = 0; y < s->h; ++y) {
        // SDL keeps rows top-down; the bitmap starts with the bottom row.
        const uint8_t* row = src + static_cast<size_t>(s->h - 1 - y) * static_cast<size_t>(s->pitch);
        std::copy(row, row + rowBytes, bmp.bits.begin() + static_cast<ptrdiff_t>(y) * bmp.stride);
    }
    SDL_UnlockSurface(s);
    return bmp;
}

// Every other BMP on SDL's decoder: colour-table pictures of 8 bits or fewer keep their depth,
// the rest become 24-bit (or 32-bit) pictures.
bool decodeWithSdl(const char* file, int depth, Bitmap& out) {
    SDL_Surface* loaded = SDL_LoadBMP(file);
    if (!loaded) return false;
    if ((depth == 1 || depth == 2 || depth == 4 || depth == 8) && loaded->format->BitsPerPixel == 8 &&
        loaded->format->palette) {
        out = indexedBitmap(loaded, depth);
        SDL_FreeSurface(loaded);
        return true;
    }
    const bool wide = loaded->format->BitsPerPixel == 32;
    SDL_Surface* conv =
        SDL_ConvertSurfaceFormat(loaded, wide ? SDL_PIXELFORMAT_BGRA32 : SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(loaded);
    if (!conv) return false;
    out = deepBitmap(conv, wide ? 32 : 24);
    SDL_FreeSurface(conv);
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
    return vtrlplat::bmpFitsInFile(header, size) && decodeWithSdl(name, header.depth, out);
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
