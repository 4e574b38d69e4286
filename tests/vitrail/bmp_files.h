// BMP files for the image-button and region tests, described top row first: 24-bit pictures and
// colour-table pictures of 1 to 8 bits (a BITMAPINFOHEADER with biClrUsed = the table's size).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

namespace bmpfiles {

inline void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// File header and info header of a bottom-up picture.
inline std::vector<uint8_t> headers(int32_t w, int32_t h, int bpp, uint32_t colours, uint32_t stride) {
    const uint32_t offset = 14 + 40 + 4 * colours;
    std::vector<uint8_t> out;
    putLE(out, 19778, 2);
    putLE(out, offset + stride * static_cast<uint32_t>(h), 4);
    putLE(out, 0, 4);
    putLE(out, offset, 4);
    putLE(out, 40, 4);
    putLE(out, static_cast<uint32_t>(w), 4);
    putLE(out, static_cast<uint32_t>(h), 4);
    putLE(out, 1, 2);
    putLE(out, static_cast<uint32_t>(bpp), 2);
    putLE(out, 0, 4);  // BI_RGB
    putLE(out, 0, 4);
    putLE(out, 0, 4);
    putLE(out, 0, 4);
    putLE(out, colours, 4);
    putLE(out, 0, 4);
    return out;
}

}  // namespace bmpfiles

// A 24-bit picture; pixel(x, y) with y = 0 the top row.
inline std::vector<uint8_t> Bmp24(int32_t w, int32_t h, const std::function<Rgb(int32_t, int32_t)>& pixel) {
    const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> out = bmpfiles::headers(w, h, 24, 0, stride);
    for (int32_t y = h - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int32_t x = 0; x < w; ++x) {
            const Rgb c = pixel(x, y);
            out.insert(out.end(), {c.b, c.g, c.r});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

inline std::vector<uint8_t> Bmp24(int32_t w, int32_t h, Rgb colour) {
    return Bmp24(w, h, [colour](int32_t, int32_t) { return colour; });
}

// A colour-table picture of `bpp` bits (1, 2, 4 or 8); index(x, y) with y = 0 the top row.
inline std::vector<uint8_t> BmpIndexed(int32_t w, int32_t h, int bpp, const std::vector<Rgb>& table,
                                       const std::function<uint8_t(int32_t, int32_t)>& index) {
    const uint32_t stride = ((static_cast<uint32_t>(w) * static_cast<uint32_t>(bpp) + 31) / 32) * 4;
    std::vector<uint8_t> out = bmpfiles::headers(w, h, bpp, static_cast<uint32_t>(table.size()), stride);
    for (const Rgb& c : table) out.insert(out.end(), {c.b, c.g, c.r, 0});
    for (int32_t y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int32_t x = 0; x < w; ++x) {
            const int32_t bit = x * bpp;
            row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(index(x, y) << (8 - bpp - bit % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
