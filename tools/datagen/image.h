// An 8-bit RGB picture as the generator builds it, stored the way OpenGL and both file formats
// want it: row 0 is the bottom row of the picture (texture t near 0), pixels R, G, B.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/datagen/vecmath.h"

namespace datagen {

struct Image {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;

    Image() = default;
    Image(int32_t w, int32_t h)
        : width(w), height(h), rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3) {}

    const uint8_t* Pixel(int32_t x, int32_t row) const { return &rgb[offset(x, row)]; }
    // Stores a colour, clipped to 0..1 and rounded to 8 bits.
    void Set(int32_t x, int32_t row, Rgb c) {
        uint8_t* p = &rgb[offset(x, row)];
        p[0] = to8(c.r);
        p[1] = to8(c.g);
        p[2] = to8(c.b);
    }

  private:
    size_t offset(int32_t x, int32_t row) const {
        return (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    }
    static uint8_t to8(double v) { return static_cast<uint8_t>(clamp01(v) * 255.0 + 0.5); }
};

// Sets every pixel to colourAt(x, row), rows shared out among the machine's cores. colourAt must
// be safe to call from several threads at once; the result does not depend on their number.
void FillImage(Image& img, const std::function<Rgb(int32_t x, int32_t row)>& colourAt);

}  // namespace datagen
