// The SDL backend's BMP decoding, for every file our true-colour reader leaves: SDL's loader,
// its 8-bit indexed surfaces kept as indices, anything else converted to B, G, R (, A).
#include <SDL.h>

#include <algorithm>

#include "vitrail/platform/internal.h"

namespace vtrlplat::native {

namespace {

// The surface's rows, top first, `bytes` bytes of each.
void copyRows(SDL_Surface* s, size_t bytes, DecodedBmp& out) {
    out.width = s->w;
    out.height = s->h;
    out.pitch = static_cast<int32_t>(bytes);
    out.pixels.resize(bytes * static_cast<size_t>(s->h));
    SDL_LockSurface(s);
    for (int32_t y = 0; y < s->h; ++y) {
        const auto* row =
            static_cast<const uint8_t*>(s->pixels) + static_cast<size_t>(y) * static_cast<size_t>(s->pitch);
        std::copy(row, row + bytes,
                  out.pixels.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * bytes));
    }
    SDL_UnlockSurface(s);
}

}  // namespace

bool decodeBmp(const char* file, DecodedBmp& out) {
    SDL_Surface* loaded = SDL_LoadBMP(file);
    if (!loaded) return false;
    if (loaded->format->BitsPerPixel == 8 && loaded->format->palette) {
        const SDL_Palette* pal = loaded->format->palette;
        for (int i = 0; i < pal->ncolors && i < 256; ++i)
            out.colours.push_back(uint32_t{pal->colors[i].b} | uint32_t{pal->colors[i].g} << 8 |
                                  uint32_t{pal->colors[i].r} << 16);
        out.bytesPerPixel = 1;
        copyRows(loaded, static_cast<size_t>(loaded->w), out);
        SDL_FreeSurface(loaded);
        return true;
    }
    const bool wide = loaded->format->BitsPerPixel == 32;
    SDL_Surface* conv =
        SDL_ConvertSurfaceFormat(loaded, wide ? SDL_PIXELFORMAT_BGRA32 : SDL_PIXELFORMAT_BGR24, 0);
    SDL_FreeSurface(loaded);
    if (!conv) return false;
    out.bytesPerPixel = wide ? 4 : 3;
    copyRows(conv, static_cast<size_t>(conv->w) * static_cast<size_t>(out.bytesPerPixel), out);
    SDL_FreeSurface(conv);
    return true;
}

}  // namespace vtrlplat::native
