// BMP decoding for the toolkit, on SDL's BMP loader: the result is what GetObjectA describes,
// bottom-up rows padded to 4 bytes, B, G, R for 24-bit and B, G, R, A for 32-bit images.
#include <vector>

#include "vitrail/platform/internal.h"

namespace {

struct Bitmap {
    std::vector<uint8_t> bits;
    int32_t width = 0, height = 0, stride = 0, bitsPixel = 0;
};

std::map<HBITMAP, Bitmap>& bitmaps() {
    static std::map<HBITMAP, Bitmap> b;
    return b;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE, const char* file, UINT type, int32_t, int32_t, UINT flags) {
    if (!file || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE)) return 0;
    SDL_Surface* loaded = SDL_LoadBMP(file);
    if (!loaded) return 0;
    const bool wide = loaded->format->BitsPerPixel == 32;
    SDL_Surface* conv = SDL_ConvertSurfaceFormat(loaded, wide ? SDL_PIXELFORMAT_BGRA32 : SDL_PIXELFORMAT_BGR24, 0);
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
    bitmaps()[h] = std::move(bmp);
    return h;
}

int32_t GetObjectA(HGDIOBJ obj, int32_t size, void* out) {
    auto it = bitmaps().find(obj);
    if (it == bitmaps().end() || !out || size < static_cast<int32_t>(sizeof(BITMAP))) return 0;
    Bitmap& b = it->second;
    *static_cast<BITMAP*>(out) =
        BITMAP{0, b.width, b.height, b.stride, 1, static_cast<WORD>(b.bitsPixel), b.bits.data()};
    return sizeof(BITMAP);
}

BOOL DeleteObject(HGDIOBJ obj) { return bitmaps().erase(obj) ? 1 : 0; }
