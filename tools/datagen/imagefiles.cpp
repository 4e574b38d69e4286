// TGA and BMP encoding (see imagefiles.h). Both refuse an empty image or one too large for
// their header fields with std::invalid_argument.
#include "tools/datagen/imagefiles.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace datagen {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putBgr(std::vector<uint8_t>& out, const uint8_t* rgb) {
    out.push_back(rgb[2]);
    out.push_back(rgb[1]);
    out.push_back(rgb[0]);
}

void checkSize(const Image& img, int32_t limit, const char* format) {
    if (img.width < 1 || img.height < 1 || img.width > limit || img.height > limit)
        throw std::invalid_argument(std::string(format) + ": image size " + std::to_string(img.width) +
                                    " by " + std::to_string(img.height) + " is outside 1.." +
                                    std::to_string(limit));
}

// Number of pixels from x on that repeat the pixel at x (at least 1, at most 128).
int32_t runLength(const Image& img, int32_t row, int32_t x) {
    int32_t n = 1;
    while (x + n < img.width && n < 128 && std::memcmp(img.Pixel(x, row), img.Pixel(x + n, row), 3) == 0) ++n;
    return n;
}

void encodeTgaRow(const Image& img, int32_t row, std::vector<uint8_t>& out) {
    int32_t x = 0;
    while (x < img.width) {
        const int32_t run = runLength(img, row, x);
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            putBgr(out, img.Pixel(x, row));
            x += run;
            continue;
        }
        // A raw packet goes on until a repeat starts, the row ends or it holds 128 pixels.
        int32_t n = 1;
        while (x + n < img.width && n < 128 && runLength(img, row, x + n) < 2) ++n;
        out.push_back(static_cast<uint8_t>(n - 1));
        for (int32_t i = 0; i < n; ++i) putBgr(out, img.Pixel(x + i, row));
        x += n;
    }
}

}  // namespace

std::vector<uint8_t> EncodeTgaRle(const Image& img) {
    checkSize(img, 65535, "TGA");
    std::vector<uint8_t> out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(out, static_cast<uint32_t>(img.width));
    put16(out, static_cast<uint32_t>(img.height));
    out.push_back(24);
    out.push_back(0);  // no alpha bits, first row at the bottom
    for (int32_t row = 0; row < img.height; ++row) encodeTgaRow(img, row, out);
    return out;
}

std::vector<uint8_t> EncodeBmp24(const Image& img) {
    checkSize(img, 32767, "BMP");
    const uint32_t stride = (static_cast<uint32_t>(img.width) * 3 + 3) & ~3U;
    const uint32_t pixelBytes = stride * static_cast<uint32_t>(img.height);
    std::vector<uint8_t> out = {'B', 'M'};
    put32(out, 54 + pixelBytes);
    put32(out, 0);   // reserved
    put32(out, 54);  // pixel data offset
    put32(out, 40);  // information header size
    put32(out, static_cast<uint32_t>(img.width));
    put32(out, static_cast<uint32_t>(img.height));  // positive: bottom row first
    put16(out, 1);                                  // planes
    put16(out, 24);
    put32(out, 0);  // no compression
    put32(out, pixelBytes);
    put32(out, 2835);  // 72 dots per inch, both ways
    put32(out, 2835);
    put32(out, 0);  // no palette
    put32(out, 0);
    for (int32_t row = 0; row < img.height; ++row) {
        for (int32_t x = 0; x < img.width; ++x) putBgr(out, img.Pixel(x, row));
        out.resize(54 + stride * static_cast<uint32_t>(row + 1), 0);
    }
    return out;
}

}  // namespace datagen
