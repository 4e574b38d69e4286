// GDI on plain memory: memory DCs and what is selected into them, DIB sections, SRCCOPY blits
// (into bitmaps and into child windows' surfaces), palettes, and the deletion of GDI objects.
// Failures answer 0 (GDI_ERROR where that is the call's error value) and change nothing.
#include <algorithm>
#include <cstring>
#include <new>

#include "vitrail/platform/internal.h"

using namespace vtrlplat;

namespace {

DeviceContext* findDc(HDC dc) {
    auto it = state().dcs.find(dc);
    return it == state().dcs.end() || it->second.released ? nullptr : &it->second;
}

bool isStock(HGDIOBJ obj) {
    return obj >= 0x1000 && obj < 0x3000;
}

bool selectedAnywhere(HGDIOBJ obj) {
    for (const auto& [h, dc] : state().dcs)
        if (!dc.released && (dc.bitmap == obj || dc.palette == obj)) return true;
    return false;
}

// The pixels a DC reads or writes: a memory DC's bitmap or a child window's surface.
Bitmap* pixelsOf(const DeviceContext& dc, Window** child) {
    *child = nullptr;
    if (dc.kind == DcKind::Memory) return findBitmap(dc.bitmap);
    Window* w = findWindow(dc.window);
    if (!w || !w->child) return nullptr;
    *child = w;
    return &w->surface;
}

// Where row y, counted from the top, starts in the bits.
size_t rowOffset(const Bitmap& b, int32_t y) {
    const int32_t row = b.topDown ? y : b.height - 1 - y;
    return static_cast<size_t>(row) * static_cast<size_t>(b.stride);
}

// Pixels x0 .. x0 + n - 1 of row y (counted from the top) as B, G, R and the fourth byte of
// 32-bit pixels; colour-table indices beyond the table read as black.
void readRow(const Bitmap& b, int32_t y, int32_t x0, int32_t n, RGBQUAD* out) {
    const uint8_t* p = b.bits.data() + rowOffset(b, y);
    if (b.bitsPixel == 32) {
        std::memcpy(out, p + 4 * static_cast<size_t>(x0), 4 * static_cast<size_t>(n));
        return;
    }
    if (b.bitsPixel == 24) {
        for (int32_t i = 0; i < n; ++i, ++out) {
            const uint8_t* q = p + 3 * static_cast<size_t>(x0 + i);
            *out = RGBQUAD{q[0], q[1], q[2], 0};
        }
        return;
    }
    const unsigned mask = (1u << b.bitsPixel) - 1;
    for (int32_t i = 0; i < n; ++i, ++out) {
        const int32_t bit = (x0 + i) * b.bitsPixel;
        const size_t index = (p[bit / 8] >> (8 - b.bitsPixel - bit % 8)) & mask;
        *out = index < b.colours.size() ? b.colours[index] : RGBQUAD{0, 0, 0, 0};
        out->rgbReserved = 0;
    }
}

// Stores n pixels at x0 of row y of a 24- or 32-bit bitmap.
void writeRow(Bitmap& b, int32_t y, int32_t x0, int32_t n, const RGBQUAD* in) {
    uint8_t* p = b.bits.data() + rowOffset(b, y);
    if (b.bitsPixel == 32) {
        std::memcpy(p + 4 * static_cast<size_t>(x0), in, 4 * static_cast<size_t>(n));
        return;
    }
    for (int32_t i = 0; i < n; ++i, ++in) {
        uint8_t* q = p + 3 * static_cast<size_t>(x0 + i);
        q[0] = in->rgbBlue;
        q[1] = in->rgbGreen;
        q[2] = in->rgbRed;
    }
}

// Clips one axis of a copy of `n` pixels from `from` to `to` against both extents.
bool clipAxis(int32_t& to, int32_t& from, int32_t& n, int32_t toSize, int32_t fromSize) {
    const int64_t skip = std::max({int64_t{0}, -int64_t{to}, -int64_t{from}});
    const int64_t t = to + skip, f = from + skip;
    const int64_t count = std::min({n - skip, toSize - t, fromSize - f});
    if (count <= 0) return false;
    to = static_cast<int32_t>(t);
    from = static_cast<int32_t>(f);
    n = static_cast<int32_t>(count);
    return true;
}

// The halftone palette: a 6x6x6 colour cube, then 40 greys from black to white.
std::vector<PALETTEENTRY> halftoneEntries() {
    std::vector<PALETTEENTRY> e;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                e.push_back(PALETTEENTRY{static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51),
                                         static_cast<BYTE>(b * 51), 0});
    for (int i = 0; i < 40; ++i) {
        const auto v = static_cast<BYTE>(i * 255 / 39);
        e.push_back(PALETTEENTRY{v, v, v, 0});
    }
    return e;
}

HPALETTE addPalette(std::vector<PALETTEENTRY> entries) {
    const HPALETTE h = newHandle();
    state().palettes[h] = Palette{std::move(entries)};
    return h;
}

}  // namespace

namespace vtrlplat {

Bitmap* findBitmap(HBITMAP bmp) {
    auto it = state().bitmaps.find(bmp);
    return it == state().bitmaps.end() ? nullptr : &it->second;
}

HBITMAP storeBitmap(Bitmap&& bmp) {
    const HBITMAP handle = newHandle();
    state().bitmaps[handle] = std::move(bmp);
    return handle;
}

}  // namespace vtrlplat

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !findDc(dc)) return 0;
    const HDC h = newHandle();
    state().dcs[h] = DeviceContext{0, false, DcKind::Memory, kStockBitmap, kDefaultPalette};
    return h;
}

BOOL DeleteDC(HDC dc) {
    auto it = state().dcs.find(dc);
    if (it == state().dcs.end() || it->second.kind != DcKind::Memory) return 0;
    state().dcs.erase(it);
    return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    DeviceContext* d = findDc(dc);
    if (!d || d->kind != DcKind::Memory) return 0;
    if (obj == d->bitmap) return obj;
    if (obj != kStockBitmap && (!findBitmap(obj) || selectedAnywhere(obj))) return 0;
    const HGDIOBJ previous = d->bitmap;
    d->bitmap = obj;
    return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    const DeviceContext* d = findDc(dc);
    if (!d) return 0;
    if (type == OBJ_BITMAP) return d->kind == DcKind::Memory ? d->bitmap : 0;
    return type == OBJ_PAL ? (d->palette ? d->palette : kDefaultPalette) : 0;
}

BOOL DeleteObject(HGDIOBJ obj) {
    if (isStock(obj)) return 1;
    if (selectedAnywhere(obj)) return 0;
    if (Region* r = findRegion(obj)) {
        if (r->owner) return 0;
        state().regions.erase(obj);
        return 1;
    }
    return state().bitmaps.erase(obj) || state().palettes.erase(obj) ? 1 : 0;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS) return 0;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int bpp = h.biBitCount;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biCompression != BI_RGB ||
        (bpp != 24 && bpp != 32) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return 0;
    Bitmap b;
    b.width = h.biWidth;
    b.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    b.topDown = h.biHeight < 0;
    b.bitsPixel = bpp;
    const int64_t stride = dibStride(b.width, bpp);
    if (stride * b.height > INT32_MAX) return 0;
    b.stride = static_cast<int32_t>(stride);
    try {
        b.bits.assign(static_cast<size_t>(stride * b.height), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const HBITMAP handle = storeBitmap(std::move(b));
    if (bits) *bits = findBitmap(handle)->bits.data();
    return handle;
}

BOOL BitBlt(HDC dst, int32_t x, int32_t y, int32_t cx, int32_t cy, HDC src, int32_t x1, int32_t y1,
            DWORD rop) {
    const DeviceContext* d = findDc(dst);
    const DeviceContext* s = findDc(src);
    if (!d || !s || rop != SRCCOPY || s->kind != DcKind::Memory || cx < 0 || cy < 0) return 0;
    Window* child = nullptr;
    Window* ignored = nullptr;
    Bitmap* to = pixelsOf(*d, &child);
    const Bitmap* from = pixelsOf(*s, &ignored);
    if (!to || !from || to == from || (to->bitsPixel != 24 && to->bitsPixel != 32)) return 0;
    if (!clipAxis(x, x1, cx, to->width, from->width) || !clipAxis(y, y1, cy, to->height, from->height))
        return 1;
    std::vector<RGBQUAD> row(static_cast<size_t>(cx));
    for (int32_t r = 0; r < cy; ++r) {
        readRow(*from, y1 + r, x1, cx, row.data());
        if (child)  // a child's surface marks what has been drawn
            for (RGBQUAD& p : row) p.rgbReserved = 255;
        writeRow(*to, y + r, x, cx, row.data());
    }
    if (child) child->composedStale = true;
    return 1;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* out) {
    const DeviceContext* d = findDc(dc);
    const Bitmap* b = d && d->kind == DcKind::Memory ? findBitmap(d->bitmap) : nullptr;
    if (!b || !out || start >= b->colours.size()) return 0;
    const UINT n = std::min<UINT>(count, static_cast<UINT>(b->colours.size()) - start);
    std::copy_n(b->colours.begin() + start, n, out);
    return n;
}

HPALETTE CreatePalette(const LOGPALETTE* pal) {
    if (!pal || pal->palVersion != 0x300 || pal->palNumEntries == 0) return 0;
    // The entries follow the header in the caller's block, palNumEntries of them.
    std::vector<PALETTEENTRY> entries(pal->palNumEntries);
    std::memcpy(entries.data(), reinterpret_cast<const char*>(pal) + offsetof(LOGPALETTE, palPalEntry),
                entries.size() * sizeof(PALETTEENTRY));
    return addPalette(std::move(entries));
}

HPALETTE CreateHalftonePalette(HDC dc) {
    if (dc && !findDc(dc)) return 0;
    return addPalette(halftoneEntries());
}

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL) {
    DeviceContext* d = findDc(dc);
    if (!d || (pal != kDefaultPalette && !state().palettes.count(pal))) return 0;
    const HPALETTE previous = d->palette ? d->palette : kDefaultPalette;
    d->palette = pal;
    return previous;
}

UINT RealizePalette(HDC dc) {
    const DeviceContext* d = findDc(dc);
    if (!d) return GDI_ERROR;
    auto it = state().palettes.find(d->palette);
    return it == state().palettes.end() ? 0 : static_cast<UINT>(it->second.entries.size());
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out) {
    auto it = state().palettes.find(pal);
    if (it == state().palettes.end()) return 0;
    const auto& e = it->second.entries;
    if (!out) return static_cast<UINT>(e.size());
    if (start >= e.size()) return 0;
    const UINT n = std::min<UINT>(count, static_cast<UINT>(e.size()) - start);
    std::copy_n(e.begin() + start, n, out);
    return n;
}
