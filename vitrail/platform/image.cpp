// BMP decoding for the toolkit: the result is what GetObjectA describes, bottom-up rows padded to
// 4 bytes, B, G, R for 24-bit and B, G, R, A for 32-bit images (our own reader, truecolour.cpp),
// and packed colour-table indices for images of 8 bits or fewer (SDL's BMP loader). Unreadable
// files, and files too short for the size they declare, give handle 0.
#include <cstdlib>
#include <vector>

#include "vitrail/platform/internal.h"

using vtrlplat::Bitmap;
using vtrlplat::dibStride;
using vtrlplat::readLE;

namespace {

// What a BMP file's header declares, read before SDL decodes it.
struct BmpHeader {
    int depth = 0;            // bits per pixel, 0 when the header cannot be read
    bool fitsInFile = false;  // the declared size is one the file can hold
};

// Uncompressed pixel rows must lie in the file; run-length images (whose few bytes may stand
// for many pixels) are held to maxRunLengthPixels. Nothing is allocated for a size the file
// cannot back. The stream is left at its start.
BmpHeader probeHeader(SDL_RWops* rw) {
    constexpr int64_t maxRunLengthPixels = int64_t{1} << 24;
    uint8_t h[34] = {};
    const size_t got = SDL_RWread(rw, h, 1, sizeof h);
    const int64_t fileSize = SDL_RWsize(rw);
    SDL_RWseek(rw, 0, RW_SEEK_SET);
    if (got < 26 || h[0] != 'B' || h[1] != 'M') return {};
    const uint32_t headerSize = readLE(h + 14, 4);
    const bool core = headerSize == 12;
    if (!core && got < sizeof h) return {};
    const int64_t width = core ? readLE(h + 18, 2) : static_cast<int32_t>(readLE(h + 18, 4));
    const int64_t rows =
        core ? readLE(h + 20, 2) : std::abs(int64_t{static_cast<int32_t>(readLE(h + 22, 4))});
    BmpHeader out;
    out.depth = static_cast<int>(readLE(h + (core ? 24 : 28), 2));
    const uint32_t compression = core ? 0 : readLE(h + 30, 4);
    if (compression == 1 || compression == 2) {
        out.fitsInFile = width * rows <= maxRunLengthPixels;
    } else {
        const int64_t stride = dibStride(width, out.depth);
        const int64_t available = fileSize - 14 - int64_t{headerSize};
        out.fitsInFile = rows == 0 || stride <= 0 || (available >= 0 && stride <= available / rows);
    }
    return out;
}

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

}  // namespace

HANDLE LoadImageA(HINSTANCE, const char* file, UINT type, int32_t, int32_t, UINT flags) {
    if (!file || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE)) return 0;
    SDL_RWops* rw = SDL_RWFromFile(file, "rb");
    if (!rw) return 0;
    Bitmap trueColour;
    const vtrlplat::TrueColour read = vtrlplat::readTrueColourBmp(rw, trueColour);
    if (read != vtrlplat::TrueColour::NotTrueColour) {
        SDL_RWclose(rw);
        if (read == vtrlplat::TrueColour::Refused) return 0;
        const HBITMAP h = vtrlplat::newHandle();
        vtrlplat::state().bitmaps[h] = std::move(trueColour);
        return h;
    }
    SDL_RWseek(rw, 0, RW_SEEK_SET);
    const BmpHeader header = probeHeader(rw);
    if (!header.fitsInFile) {
        SDL_RWclose(rw);
        return 0;
    }
    const int depth = header.depth;
    SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
    if (!loaded) return 0;
    if ((depth == 1 || depth == 2 || depth == 4 || depth == 8) && loaded->format->BitsPerPixel == 8 &&
        loaded->format->palette) {
        Bitmap bmp = indexedBitmap(loaded, depth);
        SDL_FreeSurface(loaded);
        const HBITMAP h = vtrlplat::newHandle();
        vtrlplat::state().bitmaps[h] = std::move(bmp);
        return h;
    }
    const bool wide = loaded->format->BitsPerPixel == 32;
    SDL_Surface* conv =
        SDL_ConvertSurfaceFormat(loaded, wide ? SDL_PIXELFORMAT_BGRA32 : SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(loaded);
    if (!conv) return 0;

    Bitmap bmp;
    bmp.width = conv->w;
    bmp.height = conv->h;
    bmp.bitsPixel = wide ? 32 : 24;
    const int32_t rowBytes = conv->w * (wide ? 4 : 3);
    bmp.stride = (rowBytes + 3) & ~3;
    bmp.bits.assign(static_cast<size_t>(bmp.stride) * static_cast<size_t>(conv->h), 0);
    SDL_LockSurface(conv);
    const auto* src = static_cast<const uint8_t*>(conv->pixels);
    for (int32_t y = 0; y < conv->h; ++y) {
        // SDL keeps rows top-down; the bitmap starts with the bottom row.
        const uint8_t* row = src + static_cast<size_t>(conv->h - 1 - y) * static_cast<size_t>(conv->pitch);
        std::copy(row, row + rowBytes, bmp.bits.begin() + static_cast<ptrdiff_t>(y) * bmp.stride);
    }
    SDL_UnlockSurface(conv);
    SDL_FreeSurface(conv);

    HBITMAP h = vtrlplat::newHandle();
    vtrlplat::state().bitmaps[h] = std::move(bmp);
    return h;
}

int32_t GetObjectA(HGDIOBJ obj, int32_t size, void* out) {
    Bitmap* b = vtrlplat::findBitmap(obj);
    if (!b || !out || size < static_cast<int32_t>(sizeof(BITMAP))) return 0;
    *static_cast<BITMAP*>(out) =
        BITMAP{0, b->width, b->height, b->stride, 1, static_cast<WORD>(b->bitsPixel), b->bits.data()};
    return sizeof(BITMAP);
}
