// The Win32 backend's BMP decoding, for every file our true-colour reader leaves: GDI's loader
// makes a DIB section; colour-table pictures give their indices and table as stored, anything
// else is read back as B, G, R rows.
#include <vector>

#include "vitrail/platform/win32/win32.h"

namespace vtrlplat::native {

namespace {

// The indices of a DIB section of 1, 2, 4 or 8 bits, top row first, and its colour table.
void indices(HBITMAP bmp, const DIBSECTION& ds, DecodedBmp& out) {
    const int depth = ds.dsBm.bmBitsPixel, w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    out.bytesPerPixel = 1;
    out.pitch = w;
    out.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row =
            bits + static_cast<size_t>(bottomUp ? h - 1 - y : y) * static_cast<size_t>(ds.dsBm.bmWidthBytes);
        for (int x = 0; x < w; ++x) {
            const int bit = x * depth;
            out.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>((row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
        }
    }
    RGBQUAD table[256];
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    const UINT n = GetDIBColorTable(dc, 0, 256, table);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (UINT i = 0; i < n; ++i)
        out.colours.push_back(uint32_t{table[i].rgbBlue} | uint32_t{table[i].rgbGreen} << 8 |
                              uint32_t{table[i].rgbRed} << 16);
}

// Any other section read back as 24-bit rows, top row first.
bool trueColour(HBITMAP bmp, const DIBSECTION& ds, DecodedBmp& out) {
    const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
    out.bytesPerPixel = 3;
    out.pitch = (w * 3 + 3) & ~3;
    out.pixels.assign(static_cast<size_t>(out.pitch) * static_cast<size_t>(h), 0);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, bmp, 0, static_cast<UINT>(h), out.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return rows == h;
}

}  // namespace

bool decodeBmp(const char* file, DecodedBmp& out) {
    auto* bmp = static_cast<HBITMAP>(
        LoadImageA(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp) return false;
    DIBSECTION ds{};
    bool ok = GetObjectW(bmp, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits;
    if (ok) {
        out.width = ds.dsBm.bmWidth;
        out.height = ds.dsBm.bmHeight;
        const int depth = ds.dsBm.bmBitsPixel;
        if (depth == 1 || depth == 2 || depth == 4 || depth == 8)
            indices(bmp, ds, out);
        else
            ok = trueColour(bmp, ds, out);
    }
    DeleteObject(bmp);
    return ok;
}

}  // namespace vtrlplat::native
