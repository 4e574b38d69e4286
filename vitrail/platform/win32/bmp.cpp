// The Win32 backend's BMP decoding, for every file our true-colour reader leaves: GDI's loader
// makes a DIB section; colour-table pictures give their indices and table as stored, anything
// else is read back as B, G, R rows. 2-bit files, which GDI refuses, are read from their bytes.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "vitrail/platform/bmpfile.h"
#include "vitrail/platform/win32/win32.h"

namespace vtrlplat::native {

namespace {

// One index a pixel, top row first, from rows of `depth` bits (1, 2, 4 or 8) `stride` bytes apart.
void unpack(const uint8_t* bits, int64_t stride, bool bottomUp, int w, int h, int depth, DecodedBmp& out) {
    out.width = w;
    out.height = h;
    out.bytesPerPixel = 1;
    out.pitch = w;
    out.pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row =
            bits + static_cast<size_t>(bottomUp ? h - 1 - y : y) * static_cast<size_t>(stride);
        for (int x = 0; x < w; ++x) {
            const int bit = x * depth;
            out.pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<uint8_t>((row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
        }
    }
}

// The indices of a DIB section of 1, 2, 4 or 8 bits and its colour table.
void indices(HBITMAP bmp, const DIBSECTION& ds, DecodedBmp& out) {
    unpack(static_cast<const uint8_t*>(ds.dsBm.bmBits), ds.dsBm.bmWidthBytes, ds.dsBmih.biHeight > 0,
           ds.dsBm.bmWidth, ds.dsBm.bmHeight, ds.dsBm.bmBitsPixel, out);
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

// An uncompressed colour-table file GDI's loader refuses (2 bits a pixel), read from its bytes:
// the table after the info header (biClrUsed entries, or all 2^depth), then the rows.
bool tableFile(const char* file, DecodedBmp& out) {
    std::FILE* f = std::fopen(file, "rb");
    if (!f) return false;
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, f)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    std::fclose(f);
    BmpHeader h;
    if (!parseBmpHeader(bytes.data(), std::min(bytes.size(), kBmpHeaderBytes), h) || h.compression != 0 ||
        h.headerSize < 40 || h.bytes < 50 || h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        return false;
    if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8) return false;
    const int64_t rows = h.height < 0 ? -h.height : h.height, stride = dibStride(h.width, h.depth);
    const uint32_t declared = readLE(bytes.data() + 46, 4), most = 1u << h.depth;
    const uint32_t count = declared == 0 || declared > most ? most : declared;
    const uint64_t table = 14 + uint64_t{h.headerSize};
    if (table + 4 * uint64_t{count} > bytes.size() || h.pixelOffset > bytes.size() ||
        stride > static_cast<int64_t>(bytes.size() - h.pixelOffset) / rows)
        return false;
    for (uint32_t i = 0; i < count; ++i) out.colours.push_back(readLE(bytes.data() + table + 4 * i, 3));
    unpack(bytes.data() + h.pixelOffset, stride, h.height > 0, static_cast<int>(h.width),
           static_cast<int>(rows), h.depth, out);
    return true;
}

// Any other section read back as 24-bit rows, top row first.
bool trueColour(HBITMAP bmp, const DIBSECTION& ds, DecodedBmp& out) {
    const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
    out.width = w;
    out.height = h;
    out.bytesPerPixel = 3;
    out.pitch = static_cast<int32_t>(dibStride(w, 24));
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
    if (!bmp) return tableFile(file, out);
    DIBSECTION ds{};
    bool ok = GetObjectW(bmp, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits;
    if (ok) {
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
