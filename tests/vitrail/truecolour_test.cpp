// The platform's true-colour BMP decoding behind LoadImageA: bmpsuite's 32-bit files with bit
// fields, odd masks, alpha and longer headers decode to the picture of its plain file; top-down
// rows come out bottom-up; files that cannot hold their rows give no bitmap.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/gl_context.h"
#include "vitrail/platform/platform.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Decoded {
    int32_t width = 0, height = 0, stride = 0, bits = 0;
    Bytes pixels;  // as GetObjectA describes them: bottom-up B, G, R (, A)
};

Decoded decode(const std::string& file) {
    Decoded d;
    const HANDLE bmp = LoadImageA(0, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    BITMAP info{};
    if (!bmp || GetObjectA(bmp, sizeof info, &info) != sizeof info) return d;
    d = {info.bmWidth, info.bmHeight, info.bmWidthBytes, info.bmBitsPixel, {}};
    const auto* bits = static_cast<const uint8_t*>(info.bmBits);
    d.pixels.assign(bits, bits + size_t(info.bmWidthBytes) * size_t(info.bmHeight));
    DeleteObject(bmp);
    return d;
}

std::string realBmp(const char* name) {
    return std::string(VTRL_TESTDATA_DIR) + "/real/bmp/bmpsuite_" + name + ".bmp";
}

// B, G, R, A of pixel (x, y), y counted from the top row.
Bytes pixelAt(const Decoded& d, int32_t x, int32_t y) {
    const size_t at = size_t(d.height - 1 - y) * size_t(d.stride) + size_t(x) * 4;
    return Bytes(d.pixels.begin() + ptrdiff_t(at), d.pixels.begin() + ptrdiff_t(at + 4));
}

std::string writeFile(const Bytes& bytes) {
    const std::string path = testing::TempDir() + "truecolour_" + std::to_string(getpid()) + ".bmp";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

void putLE(Bytes& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 40-byte-header BI_BITFIELDS file of w by h 32-bit pixels (`h` negative: top-down).
Bytes bitfieldsFile(int32_t w, int32_t h, uint32_t r, uint32_t g, uint32_t b,
                    const std::vector<uint32_t>& words) {
    Bytes out = {'B', 'M'};
    putLE(out, 66 + 4 * uint32_t(words.size()), 4);
    putLE(out, 0, 4);
    putLE(out, 66, 4);
    for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) putLE(out, v, 4);
    putLE(out, 1, 2);
    putLE(out, 32, 2);
    for (uint32_t v : {3u, 0u, 0u, 0u, 0u, 0u, r, g, b}) putLE(out, v, 4);
    for (uint32_t word : words) putLE(out, word, 4);
    return out;
}

class TrueColour : public testing::Test {
  protected:
    void SetUp() override { UseHeadlessPlatform(); }
};

}  // namespace

TEST_F(TrueColour, bmpsuite_bit_field_files_decode_to_the_plain_picture) {
    const Decoded plain = decode(realBmp("rgb32"));
    ASSERT_EQ(plain.pixels.size(), 127u * 4 * 64);
    const struct {
        const char* name;
        int tolerance;  // 11-11-10 bits scale to 8 bits with rounding
    } files[] = {{"rgb32bf", 0}, {"rgb32bf-xbgr", 0}, {"rgb32h52", 0}, {"rgb32-111110", 1}};
    for (const auto& f : files) {
        const Decoded d = decode(realBmp(f.name));
        ASSERT_EQ((std::vector{d.width, d.height, d.stride, d.bits}), (std::vector{127, 64, 508, 32}))
            << f.name;
        for (size_t i = 0; i < d.pixels.size(); ++i) {
            const int expected = i % 4 == 3 ? 255 : plain.pixels[i];
            ASSERT_NEAR(d.pixels[i], expected, f.tolerance) << f.name << " byte " << i;
        }
    }
}

TEST_F(TrueColour, bmpsuite_alpha_bit_fields_keep_alpha_in_56_byte_and_40_byte_headers) {
    const Decoded h56 = decode(realBmp("rgba32h56"));
    const Decoded abf = decode(realBmp("rgba32abf"));
    ASSERT_EQ(h56.bits, 32);
    EXPECT_EQ(abf.pixels, h56.pixels);
    // Reference pixels (x, y from the top; R, G, B, A) from an independent decoder (ImageMagick).
    EXPECT_EQ(pixelAt(h56, 63, 32), (Bytes{0, 0, 255, 0}));
    EXPECT_EQ(pixelAt(h56, 10, 10), (Bytes{82, 82, 215, 255}));
    EXPECT_EQ(pixelAt(h56, 1, 63), (Bytes{8, 8, 0, 255}));
}

TEST_F(TrueColour, odd_masks_top_down_rows_and_files_too_short) {
    // 4-bit red in the top nibble of the high byte, 1-bit green, 12-bit blue; top-down 1 by 2.
    const Decoded d =
        decode(writeFile(bitfieldsFile(1, -2, 0xF0000000, 0x00010000, 0x00000FFF, {0xF0010FFF, 0x80000800})));
    ASSERT_EQ(d.height, 2);
    EXPECT_EQ(pixelAt(d, 0, 0), (Bytes{255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(d, 0, 1), (Bytes{128, 0, 136, 255}));
    Bytes cut = bitfieldsFile(1000, 1000, 0xFF0000, 0xFF00, 0xFF, {0});
    EXPECT_EQ(decode(writeFile(cut)).bits, 0);
    cut = bitfieldsFile(1, 0x80000000, 0xFF0000, 0xFF00, 0xFF, {0});  // height -2^31
    EXPECT_EQ(decode(writeFile(cut)).bits, 0);
}
