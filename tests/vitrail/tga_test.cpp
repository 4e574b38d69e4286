// TGA loader: decoding of uncompressed and run-length files built here, every refusal and short
// read with its exact message, hostile headers, the GL texture made from a file (texels,
// formats, parameters, mipmaps) and real files checked against an independent decoder.
#include "vitrail/tga.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/gl_test.h"
#include "support/rows.h"
#include "vitrail/platform/platform_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The 18-byte header of an image of type 2 or 10 with no ID, no colour map and origin 0.
Bytes header(uint8_t type, uint16_t width, uint16_t height, uint8_t bpp, uint8_t descriptor = 0) {
    Bytes h(18, 0);
    h[2] = type;
    h[12] = static_cast<uint8_t>(width & 0xFF), h[13] = static_cast<uint8_t>(width >> 8);
    h[14] = static_cast<uint8_t>(height & 0xFF), h[15] = static_cast<uint8_t>(height >> 8);
    h[16] = bpp, h[17] = descriptor;
    return h;
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string writeFile(const std::string& name, const Bytes& bytes) {
    // One folder per process: the cases run in parallel, each in its own process.
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("vtrl_tga_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string realFile(const char* name) {
    return std::string(VTRL_TESTDATA_DIR) + "/real/tga/" + name;
}

struct FreeImage {
    void operator()(uint8_t* p) const { std::free(p); }
};

// A decoded image owned by the test.
struct Decoded {
    bool ok;
    TGATexture texture;
    std::unique_ptr<uint8_t, FreeImage> owner;
    Bytes pixels() const {
        const size_t size = size_t{texture.Width} * texture.Height * (texture.Bpp / 8);
        return ok ? Bytes(texture.ImageData, texture.ImageData + size) : Bytes{};
    }
};

Decoded decode(const Bytes& file) {
    Decoded d{};
    d.ok = LoadTGA(d.texture, writeFile("decode.tga", file).c_str());
    if (d.ok) d.owner.reset(d.texture.ImageData);
    return d;
}

// Loads a file that must fail and returns the one message box it showed, as "caption: text".
std::string failureOf(const Bytes& file) {
    PlatformTestClearMessageBoxes();
    const Decoded d = decode(file);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.texture.ImageData, nullptr);
    EXPECT_EQ(FTGA, nullptr) << "the file is closed after a failure";
    const auto& shown = PlatformTestShownMessageBoxes();
    if (shown.size() != 1) return "boxes shown: " + std::to_string(shown.size());
    EXPECT_EQ(shown[0].owner, 0u);
    EXPECT_EQ(shown[0].type, MB_OK);
    return shown[0].caption + ": " + shown[0].text;
}

class TgaDecode : public testing::Test {
  protected:
    void SetUp() override { UseHeadlessPlatform(); }
};

}  // namespace

TEST_F(TgaDecode, uncompressed_24_bit_swaps_to_rgb_and_keeps_row_order) {
    for (uint8_t descriptor : {0x00, 0x20}) {  // bottom-left and top-left origin alike
        const Decoded d =
            decode(header(2, 2, 2, 24, descriptor) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.texture.Width, 2u);
        EXPECT_EQ(d.texture.Height, 2u);
        EXPECT_EQ(d.texture.Bpp, 24u);
        EXPECT_EQ(d.texture.Typ, static_cast<uint32_t>(GL_RGB));
        EXPECT_EQ(d.pixels(), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
        EXPECT_EQ(TGA.BytesPerPixel, 3u);
        EXPECT_EQ(TGA.ImageSize, 12u);
        EXPECT_EQ(FTGA, nullptr);
    }
}

TEST_F(TgaDecode, uncompressed_32_bit_keeps_alpha_and_ignores_trailing_bytes) {
    const Decoded d = decode(header(2, 2, 1, 32) + Bytes{10, 20, 30, 40, 50, 60, 70, 80} + Bytes(26, 0xEE));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.texture.Typ, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(d.pixels(), (Bytes{30, 20, 10, 40, 70, 60, 50, 80}));
}

// Stored pixels are converted several at a time where a whole step fits: every count of pixels
// from 1 to 40, in raw files and in raw packets, must come out as converting one by one gives.
TEST_F(TgaDecode, every_pixel_count_swaps_like_one_pixel_at_a_time) {
    for (uint8_t bpp : {24, 32}) {
        const size_t size = bpp / 8;
        for (uint16_t width = 1; width <= 40; ++width) {
            Bytes stored, expected;
            for (size_t i = 0; i < width * size; ++i) stored.push_back(static_cast<uint8_t>(i * 37 + width));
            for (size_t i = 0; i < width * size; i += size) {
                expected = expected + Bytes{stored[i + 2], stored[i + 1], stored[i]};
                if (size == 4) expected.push_back(stored[i + 3]);
            }
            EXPECT_EQ(decode(header(2, width, 1, bpp) + stored).pixels(), expected)
                << int(bpp) << " " << width;
            const uint8_t packet = static_cast<uint8_t>(width - 1);  // one raw packet of the whole row
            EXPECT_EQ(decode(header(10, width, 1, bpp) + Bytes{packet} + stored).pixels(), expected)
                << int(bpp) << " rle " << width;
        }
    }
}

TEST_F(TgaDecode, rle_packet_bytes_0_127_128_255_carry_1_128_1_128_pixels_across_rows) {
    Bytes body{0x00, 1, 2, 3, 0x7F};  // raw of 1, then raw of 128
    for (int i = 0; i < 128; ++i) body = body + Bytes{static_cast<uint8_t>(i), 100, 200};
    body = body + Bytes{0x80, 7, 8, 9, 0xFF, 4, 5, 6};       // run of 1, run of 128
    const Decoded d = decode(header(10, 43, 6, 24) + body);  // 258 pixels in rows of 43
    ASSERT_TRUE(d.ok);
    const Bytes px = d.pixels();
    ASSERT_EQ(px.size(), 258u * 3);
    EXPECT_EQ(Bytes(px.begin(), px.begin() + 3), (Bytes{3, 2, 1}));
    for (size_t i = 0; i < 128; ++i)
        ASSERT_EQ(Bytes(px.begin() + 3 * (1 + i), px.begin() + 3 * (2 + i)),
                  (Bytes{200, 100, static_cast<uint8_t>(i)}));
    EXPECT_EQ(Bytes(px.begin() + 3 * 129, px.begin() + 3 * 130), (Bytes{9, 8, 7}));
    for (size_t i = 130; i < 258; ++i)
        ASSERT_EQ(Bytes(px.begin() + 3 * i, px.begin() + 3 * (i + 1)), (Bytes{6, 5, 4}));
}

TEST_F(TgaDecode, rle_32_bit_runs_and_raw_pixels_keep_alpha) {
    const Decoded d = decode(header(10, 3, 1, 32) + Bytes{0x81, 1, 2, 3, 4, 0x00, 5, 6, 7, 8});
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.texture.Typ, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(d.pixels(), (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST_F(TgaDecode, rle_stream_ending_exactly_loads_and_overshoot_by_one_fails) {
    const Bytes image = header(10, 4, 2, 24);
    EXPECT_TRUE(decode(image + Bytes{0x87, 1, 2, 3}).ok);  // the overshoots are rows of TgaRefusal
}

namespace {

// A file the loader refuses and the message box it shows.
struct TgaRefusalRow {
    std::string name;
    Bytes file;
    std::string message;
};

std::vector<TgaRefusalRow> tgaRefusalRows() {
    const Bytes small = header(10, 4, 2, 24), large = header(10, 200, 1, 24);
    const Bytes full = header(2, 1, 1, 24) + Bytes{1, 2, 3};
    std::vector<TgaRefusalRow> rows = {
        // Run-length data overshooting the image by one pixel, in one packet or in two.
        {"rle_overshoot_in_one_packet", small + Bytes{0x88, 1, 2, 3}, "ERROR: Too many pixels read"},
        {"rle_overshoot_in_two_packets", small + Bytes{0x86, 1, 2, 3, 0x01, 1, 2, 3, 4, 5, 6},
         "ERROR: Too many pixels read"},
        // Run-length data ending early fails with the short read of its last packet.
        {"rle_ends_before_a_packet_header", small + Bytes{0x86, 1, 2, 3}, "ERROR: Could not read RLE header"},
        {"rle_ends_inside_a_run_pixel", small + Bytes{0x86, 1, 2, 3, 0x80, 1, 2},
         "ERROR: Could not read from file"},
        {"rle_ends_inside_raw_pixels", small + Bytes{0x85, 1, 2, 3, 0x01, 1, 2, 3, 4, 5},
         "ERROR: Could not read image data"},
        // Too short to fill 200 pixels: these are walked without allocating, with the same messages.
        {"large_rle_ends_before_a_packet_header", large + Bytes{0xFF, 1, 2, 3},
         "ERROR: Could not read RLE header"},
        {"large_rle_overshoots", large + Bytes{0xFF, 1, 2, 3, 0xFF}, "ERROR: Too many pixels read"},
        {"large_rle_ends_inside_a_run_pixel", large + Bytes{0xFF, 1, 2}, "ERROR: Could not read from file"},
        {"large_rle_ends_inside_raw_pixels", large + Bytes{0x05, 1, 2, 3},
         "ERROR: Could not read image data"},
        // Short or invalid headers.
        {"empty_file", {}, "ERROR: Could not read file header"},
        {"eleven_bytes", Bytes(full.begin(), full.begin() + 11), "ERROR: Could not read file header"},
        {"twelve_bytes", Bytes(full.begin(), full.begin() + 12), "ERROR: Could not read info header"},
        {"seventeen_bytes", Bytes(full.begin(), full.begin() + 17), "ERROR: Could not read info header"},
        {"one_byte_short", Bytes(full.begin(), full.end() - 1), "ERROR: Could not read image data"},
    };
    for (uint8_t type : {2, 10}) {
        const std::string t = "_type_" + std::to_string(type);
        rows.push_back(
            {"zero_width" + t, header(type, 0, 1, 24) + Bytes(8), "ERROR: Invalid texture information"});
        rows.push_back(
            {"zero_height" + t, header(type, 1, 0, 24) + Bytes(8), "ERROR: Invalid texture information"});
        rows.push_back(
            {"depth_16" + t, header(type, 1, 1, 16) + Bytes(8), "ERROR: Invalid texture information"});
        rows.push_back(
            {"depth_8" + t, header(type, 1, 1, 8) + Bytes(8), "ERROR: Invalid texture information"});
    }
    return rows;
}

class TgaRefusal : public ::testing::TestWithParam<TgaRefusalRow> {
  protected:
    void SetUp() override { UseHeadlessPlatform(); }
};

}  // namespace

TEST_P(TgaRefusal, shows_its_message) {
    EXPECT_EQ(failureOf(GetParam().file), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Rows, TgaRefusal, ::testing::ValuesIn(tgaRefusalRows()), RowName());

TEST_F(TgaDecode, headers_other_than_plain_type_2_or_10_are_refused) {
    struct Case {
        size_t offset;
        uint8_t value;
        const char* what;
    } cases[] = {{0, 5, "image ID present"},
                 {1, 1, "colour map type"},
                 {2, 1, "colour-mapped type 1"},
                 {2, 3, "grey type 3"},
                 {2, 9, "RLE colour-mapped type 9"},
                 {2, 11, "RLE grey type 11"},
                 {3, 1, "colour-map first entry"},
                 {5, 1, "colour-map length"},
                 {7, 24, "colour-map entry size"},
                 {8, 1, "x origin"},
                 {11, 1, "y origin"}};
    for (uint8_t type : {2, 10}) {
        for (const Case& c : cases) {
            Bytes file = header(type, 1, 1, 24) + Bytes{0x00, 1, 2, 3};
            file[c.offset] = c.value;
            EXPECT_EQ(failureOf(file), "Invalid Image: TGA file be type 2 or type 10") << c.what;
        }
    }
}

TEST_F(TgaDecode, missing_file_or_folder_cannot_be_opened) {
    PlatformTestClearMessageBoxes();
    TGATexture texture{};
    EXPECT_FALSE(LoadTGA(texture, (testing::TempDir() + "no_such_file.tga").c_str()));
    EXPECT_FALSE(LoadTGA(texture, testing::TempDir().c_str()));
    const auto& shown = PlatformTestShownMessageBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Could not open texture file");
    EXPECT_EQ(shown[1].caption, "ERROR");
}

TEST_F(TgaDecode, hostile_sizes_in_tiny_files_fail_without_a_giant_allocation) {
    // Under an address-space limit a 17 GB allocation would fail with the allocation message;
    // the right message proves the header's size was never asked for. (Sanitizers reserve
    // address space of their own, and Windows has no such limit, so there the messages alone are
    // checked.)
#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    const rlimit limited{pages * 4096 + (uint64_t{1} << 30), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
#endif
    // 32767 x 32767 x 4 bytes is the largest such size that fits 32 bits.
    EXPECT_EQ(failureOf(header(2, 32767, 32767, 32)), "ERROR: Could not read image data");
    EXPECT_EQ(failureOf(header(10, 32767, 32767, 32)), "ERROR: Could not read RLE header");
    EXPECT_EQ(failureOf(header(10, 65535, 21845, 24) + Bytes{0xFF, 1, 2, 3, 0xFF, 1, 2, 3}),
              "ERROR: Could not read RLE header");
    EXPECT_EQ(failureOf(header(2, 65535, 21845, 24) + Bytes(100000, 7)), "ERROR: Could not read image data");
#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
    setrlimit(RLIMIT_AS, &saved);
#endif
}

TEST_F(TgaDecode, sizes_beyond_32_bits_are_an_overflow_before_any_allocation) {
    const struct {
        uint8_t type;
        uint16_t width, height;
        uint8_t bpp;
    } sizes[] = {{2, 65535, 65535, 32}, {10, 65535, 65535, 32}, {2, 32768, 32768, 32}, {2, 65535, 21846, 24}};
    for (const auto& s : sizes) {
        PlatformTestClearMessageBoxes();
        TGATexture texture{};
        const std::string file =
            writeFile("huge.tga", header(s.type, s.width, s.height, s.bpp) + Bytes(64, 0));
        try {
            LoadTGA(texture, file.c_str());
            ADD_FAILURE() << s.width << " x " << s.height << " loaded";
        } catch (const std::overflow_error& e) {
            EXPECT_EQ(std::string(e.what()), "LoadTGA: " + file + ": the image size " +
                                                 std::to_string(s.width) + " x " + std::to_string(s.height) +
                                                 " x " + std::to_string(s.bpp / 8) +
                                                 " bytes overflows 32 bits");
        }
        EXPECT_EQ(texture.ImageData, nullptr);
        EXPECT_EQ(FTGA, nullptr);
        EXPECT_TRUE(PlatformTestShownMessageBoxes().empty());
    }
}

// A stream that cannot seek (a pipe) gives the loader no size: it reads at most the bytes the
// header's image can need (for run-length data: a one-pixel packet per pixel) and leaves the
// rest of the stream unread.
TEST_F(TgaDecode, a_pipe_is_read_only_as_far_as_the_image_needs) {
#ifdef _WIN32
    GTEST_SKIP() << "a pipe opened by name (/dev/fd) is POSIX";
#else
    const struct {
        Bytes image;
        ssize_t mostReadPast;
    } cases[] = {{header(2, 2, 2, 24) + Bytes(12, 9), 0}, {header(10, 2, 2, 24) + Bytes{0x83, 1, 2, 3}, 12}};
    for (const auto& [image, mostReadPast] : cases) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const Bytes stream = image + Bytes(4096, 0);
        ASSERT_EQ(write(ends[1], stream.data(), stream.size()), static_cast<ssize_t>(stream.size()));
        close(ends[1]);
        TGATexture texture{};
        ASSERT_TRUE(LoadTGA(texture, ("/dev/fd/" + std::to_string(ends[0])).c_str()));
        std::free(texture.ImageData);
        uint8_t rest[8192];
        EXPECT_GE(read(ends[0], rest, sizeof rest), 4096 - mostReadPast);
        close(ends[0]);
    }
#endif
}

TEST_F(TgaDecode, a_load_after_a_failure_starts_clean) {
    EXPECT_EQ(failureOf(header(10, 4, 1, 24) + Bytes{0x85, 1, 2, 3}), "ERROR: Too many pixels read");
    const Decoded d = decode(header(10, 4, 1, 24) + Bytes{0x83, 1, 2, 3});
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels(), (Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));
}

namespace {

// GL fixture: a current context, and the filter settings put back after each test.
class TgaTexture : public GLTest<16, 16> {
  protected:
    void TearDown() override { SetQualityTexture2(GL_LINEAR, GL_LINEAR); }
};

GLint levelParameter(GLint level, GLenum what) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

// The bound texture's level 0 as tightly packed bytes of `format`.
Bytes texels(GLenum format) {
    const size_t components = format == GL_RGBA ? 4 : 3;
    Bytes out(size_t(levelParameter(0, GL_TEXTURE_WIDTH)) * size_t(levelParameter(0, GL_TEXTURE_HEIGHT)) *
              components);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
    return out;
}

GLName loadTexture(const Bytes& file, GLName start = 0) {
    GLName name = start;
    TextureLoadTGAID(writeFile("texture.tga", file).c_str(), name);
    return name;
}

}  // namespace

TEST_F(TgaTexture, rgb_file_gives_three_component_texture_with_first_stored_pixel_first) {
    ASSERT_TRUE(gl.ok());
    const GLName name = loadTexture(header(2, 2, 2, 24, 0x20) + Bytes{10, 20, 30, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_NE(name, 0u);
    EXPECT_EQ(GLInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), 3);  // three components, as asked
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(texels(GL_RGB), (Bytes{30, 20, 10, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
}

TEST_F(TgaTexture, rgba_file_gives_four_component_texture_with_alpha_kept) {
    ASSERT_TRUE(gl.ok());
    loadTexture(header(10, 2, 1, 32) + Bytes{0x00, 10, 20, 30, 77, 0x00, 1, 2, 3, 0});
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), 4);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 8);
    EXPECT_EQ(texels(GL_RGBA), (Bytes{30, 20, 10, 77, 3, 2, 1, 0}));
}

TEST_F(TgaTexture, odd_width_rows_are_not_skewed_and_unpack_alignment_is_restored) {
    ASSERT_TRUE(gl.ok());
    Bytes body;
    for (uint8_t i = 0; i < 15; ++i) body = body + Bytes{i, static_cast<uint8_t>(i + 100), 200};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    loadTexture(header(2, 5, 3, 24) + body);
    EXPECT_EQ(GLInteger(GL_UNPACK_ALIGNMENT), 8);
    Bytes want;
    for (uint8_t i = 0; i < 15; ++i) want = want + Bytes{200, static_cast<uint8_t>(i + 100), i};
    EXPECT_EQ(texels(GL_RGB), want);
}

TEST_F(TgaTexture, parameters_follow_the_filter_settings_and_repeat) {
    ASSERT_TRUE(gl.ok());
    SetQualityTexture2(GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(GL_MIN_FILTER, GL_NEAREST);
    EXPECT_EQ(GL_MAG_FILTER, GL_NEAREST);
    loadTexture(header(2, 1, 1, 24) + Bytes{1, 2, 3});
    GLint min = 0, mag = 0, s = 0, t = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
    EXPECT_EQ(min, GL_NEAREST);
    EXPECT_EQ(mag, GL_NEAREST);
    EXPECT_EQ(s, GL_REPEAT);
    EXPECT_EQ(t, GL_REPEAT);
}

TEST_F(TgaTexture, mipmaps_only_after_a_mipmap_filter_is_chosen) {
    ASSERT_TRUE(gl.ok());
    const Bytes file = header(2, 8, 4, 32) + Bytes(8 * 4 * 4, 0x55);
    EXPECT_EQ(GL_MIN_FILTER, GL_LINEAR);
    const GLName plain = loadTexture(file);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 0);
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    const GLName mipmapped = loadTexture(file);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(levelParameter(1, GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(levelParameter(3, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(levelParameter(3, GL_TEXTURE_HEIGHT), 1);
    glBindTexture(GL_TEXTURE_2D, plain);  // the earlier texture keeps its filter
    GLint min = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    EXPECT_EQ(min, GL_LINEAR);
    EXPECT_NE(plain, mipmapped);
}

TEST_F(TgaTexture, missing_file_shows_nothing_and_leaves_the_name) {
    ASSERT_TRUE(gl.ok());
    PlatformTestClearMessageBoxes();
    GLName name = 777;
    TextureLoadTGAID((testing::TempDir() + "absent.tga").c_str(), name);
    EXPECT_EQ(name, 777u);
    EXPECT_TRUE(PlatformTestShownMessageBoxes().empty());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TgaTexture, failed_load_leaves_the_name_and_the_gl_untouched) {
    ASSERT_TRUE(gl.ok());
    PlatformTestClearMessageBoxes();
    const GLName name = loadTexture(header(10, 4, 1, 24) + Bytes{0x85, 1, 2, 3}, 777);
    EXPECT_EQ(name, 777u);
    ASSERT_EQ(PlatformTestShownMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformTestShownMessageBoxes()[0].text, "Too many pixels read");
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GLInteger(GL_TEXTURE_BINDING_2D), 0);
}

namespace {

// Real files, with what stb_image 2.27 decodes from them: the first and the last stored pixel and
// an FNV-1a hash of all pixels with rows in file order (stb returns top row first; these files
// store the bottom row first).
struct RealFile {
    const char* name;
    int32_t width, height;
    GLenum format;
    Bytes first, last;
    uint64_t fnv;
};

const RealFile realFiles[] = {
    {"gimp_200x32_rgb_bottomleft_rle.tga", 200, 32, GL_RGB, {8, 49, 3}, {95, 154, 20}, 0x11e0dd66c8c27005ull},
    {"assimp_concrete_32bpp_alphabits0.tga",
     256,
     512,
     GL_RGBA,
     {152, 132, 48, 255},
     {163, 148, 51, 255},
     0x1b529e939a445313ull},
    {"tinyrenderer_floor_diffuse.tga",
     600,
     600,
     GL_RGBA,
     {193, 145, 86, 255},
     {193, 145, 86, 255},
     0x81806bd73a98f043ull},
};

uint64_t fnv1a(const Bytes& bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

}  // namespace

TEST_F(TgaTexture, real_true_colour_files_match_an_independent_decoder) {
    ASSERT_TRUE(gl.ok());
    for (const RealFile& f : realFiles) {
        GLName name = 0;
        TextureLoadTGAID(realFile(f.name).c_str(), name);
        ASSERT_NE(name, 0u) << f.name;
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), f.width) << f.name;
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), f.height) << f.name;
        const Bytes px = texels(f.format);
        const size_t n = f.first.size();
        EXPECT_EQ(Bytes(px.begin(), px.begin() + static_cast<ptrdiff_t>(n)), f.first) << f.name;
        EXPECT_EQ(Bytes(px.end() - static_cast<ptrdiff_t>(n), px.end()), f.last) << f.name;
        EXPECT_EQ(fnv1a(px), f.fnv) << f.name;
    }
}

TEST_F(TgaTexture, real_file_with_y_origin_in_its_header_is_refused) {
    // GIMP stores the y origin (32) of a top-left image; only origin 0 is accepted.
    ASSERT_TRUE(gl.ok());
    PlatformTestClearMessageBoxes();
    GLName name = 5;
    TextureLoadTGAID(realFile("gimp_200x32_rgba_topleft_raw.tga").c_str(), name);
    EXPECT_EQ(name, 5u);
    ASSERT_EQ(PlatformTestShownMessageBoxes().size(), 1u);
    EXPECT_EQ(PlatformTestShownMessageBoxes()[0].caption, "Invalid Image");
    EXPECT_EQ(PlatformTestShownMessageBoxes()[0].text, "TGA file be type 2 or type 10");
}
