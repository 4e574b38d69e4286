// The generator's image encoders byte by byte: the run-length encoded TGA (header, run and raw
// packets, their 128-pixel limit, rows never crossed) and the bottom-up 24-bit BMP with padding.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tools/datagen/imagefiles.h"

using datagen::EncodeBmp24;
using datagen::EncodeTgaRle;
using datagen::Image;

namespace {

// A one-row image from 0xRRGGBB values.
Image row(const std::vector<uint32_t>& colours) {
    Image img(static_cast<int32_t>(colours.size()), 1);
    for (size_t i = 0; i < colours.size(); ++i) {
        img.rgb[i * 3] = static_cast<uint8_t>(colours[i] >> 16);
        img.rgb[i * 3 + 1] = static_cast<uint8_t>(colours[i] >> 8);
        img.rgb[i * 3 + 2] = static_cast<uint8_t>(colours[i]);
    }
    return img;
}

std::vector<uint8_t> packets(const std::vector<uint8_t>& tga) {
    return {tga.begin() + 18, tga.end()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

}  // namespace

TEST(TgaEncoder, header_is_type_10_bottom_up_24_bit) {
    Image img(300, 2);
    const std::vector<uint8_t> tga = EncodeTgaRle(img);
    const std::vector<uint8_t> header(tga.begin(), tga.begin() + 18);
    EXPECT_EQ(header, (std::vector<uint8_t>{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 44, 1, 2, 0, 24, 0}));
}

TEST(TgaEncoder, repeated_pixels_become_a_run_packet_in_bgr_order) {
    EXPECT_EQ(packets(EncodeTgaRle(row({0x102030, 0x102030, 0x102030}))),
              (std::vector<uint8_t>{0x82, 0x30, 0x20, 0x10}));
}

TEST(TgaEncoder, differing_pixels_become_a_raw_packet_up_to_the_next_run) {
    EXPECT_EQ(packets(EncodeTgaRle(row({0x010203, 0x040506, 0x070809, 0x070809}))),
              (std::vector<uint8_t>{0x01, 3, 2, 1, 6, 5, 4, 0x81, 9, 8, 7}));
}

TEST(TgaEncoder, packets_hold_at_most_128_pixels) {
    const std::vector<uint8_t> runs = packets(EncodeTgaRle(row(std::vector<uint32_t>(300, 0xABCDEF))));
    EXPECT_EQ(runs,
              (std::vector<uint8_t>{0xFF, 0xEF, 0xCD, 0xAB, 0xFF, 0xEF, 0xCD, 0xAB, 0xAB, 0xEF, 0xCD, 0xAB}));

    std::vector<uint32_t> distinct(130);
    for (uint32_t i = 0; i < 130; ++i) distinct[i] = i;
    const std::vector<uint8_t> raw = packets(EncodeTgaRle(row(distinct)));
    ASSERT_EQ(raw.size(), 1 + 128 * 3 + 1 + 2 * 3u);
    EXPECT_EQ(raw[0], 127);
    EXPECT_EQ(raw[1 + 128 * 3], 1);
    EXPECT_EQ(raw[1 + 128 * 3 + 1], 128);  // blue byte of pixel 128
}

TEST(TgaEncoder, a_run_never_crosses_a_row_end) {
    Image img(2, 2);  // four black pixels: one run per row
    EXPECT_EQ(packets(EncodeTgaRle(img)), (std::vector<uint8_t>{0x81, 0, 0, 0, 0x81, 0, 0, 0}));
}

TEST(TgaEncoder, refuses_empty_and_oversized_images) {
    EXPECT_THROW(EncodeTgaRle(Image()), std::invalid_argument);
    EXPECT_THROW(EncodeTgaRle(Image(65536, 1)), std::invalid_argument);
}

TEST(BmpEncoder, headers_describe_a_bottom_up_24_bit_picture) {
    const std::vector<uint8_t> bmp = EncodeBmp24(Image(5, 2));
    const uint32_t stride = 16;  // 15 bytes of pixels padded to 4
    ASSERT_EQ(bmp.size(), 54 + 2 * stride);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 10), 54u);  // pixels follow the two headers
    EXPECT_EQ(le32(bmp, 14), 40u);  // information header, not the old core header
    EXPECT_EQ(le32(bmp, 18), 5u);
    EXPECT_EQ(le32(bmp, 22), 2u);  // positive height: bottom row first
    EXPECT_EQ(bmp[26] | bmp[27] << 8, 1);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    EXPECT_EQ(le32(bmp, 30), 0u);  // uncompressed
    EXPECT_EQ(le32(bmp, 34), 2 * stride);
}

TEST(BmpEncoder, rows_go_bottom_first_in_bgr_with_zero_padding) {
    Image img(5, 2);
    img.Set(0, 0, {1.0, 0.0, 0.0});  // bottom-left red
    img.Set(4, 1, {0.0, 0.0, 1.0});  // top-right blue
    const std::vector<uint8_t> bmp = EncodeBmp24(img);
    EXPECT_EQ(bmp[54 + 2], 255);  // red is the third byte of the first pixel
    EXPECT_EQ(bmp[54 + 0], 0);
    EXPECT_EQ(bmp[54 + 15], 0);         // the padding byte of row 0
    EXPECT_EQ(bmp[54 + 16 + 12], 255);  // blue is the first byte of the last pixel of row 1
    EXPECT_EQ(bmp[54 + 16 + 14], 0);
}

TEST(BmpEncoder, refuses_empty_and_oversized_images) {
    EXPECT_THROW(EncodeBmp24(Image(0, 3)), std::invalid_argument);
    EXPECT_THROW(EncodeBmp24(Image(1, 40000)), std::invalid_argument);
}
