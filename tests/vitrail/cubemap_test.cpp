// Cube maps: BMP depth probe, face placement (the crosswise Y faces), texel order and colour
// order for 24- and 32-bit files, padded rows, faces left empty by unusable files, filters and
// mipmaps, binding, and the texture-matrix bracket.
#include "vitrail/cubemap.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/gl_test.h"
#include "vitrail/tga.h"

namespace {

namespace fs = std::filesystem;

using Rgba = std::array<uint8_t, 4>;
// Colour of the pixel at column x, row y counted from the bottom of the picture.
using PixelFn = std::function<Rgba(int32_t x, int32_t y)>;

void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A BMP file with bottom-up rows padded to 4 bytes, pixels B, G, R (, A). A header size of 12
// writes the old core header.
std::vector<uint8_t> makeBmp(int32_t w, int32_t h, int bpp, const PixelFn& pixel, uint32_t headerSize = 40) {
    const uint32_t stride = (static_cast<uint32_t>(w) * bpp / 8 + 3) & ~3u;
    const uint32_t offset = 14 + headerSize;
    std::vector<uint8_t> out;
    putLE(out, 19778, 2);
    putLE(out, offset + stride * static_cast<uint32_t>(h), 4);
    putLE(out, 0, 4);
    putLE(out, offset, 4);
    putLE(out, headerSize, 4);
    const int dim = headerSize == 12 ? 2 : 4;
    putLE(out, static_cast<uint32_t>(w), dim);
    putLE(out, static_cast<uint32_t>(h), dim);
    putLE(out, 1, 2);
    putLE(out, static_cast<uint32_t>(bpp), 2);
    if (headerSize == 40) out.insert(out.end(), 24, 0);  // BI_RGB, sizes, resolution, palette
    for (int32_t y = 0; y < h; ++y) {
        const size_t rowStart = out.size();
        for (int32_t x = 0; x < w; ++x) {
            const Rgba c = pixel(x, y);
            out.insert(out.end(), {c[2], c[1], c[0]});
            if (bpp == 32) out.push_back(c[3]);
        }
        while (out.size() - rowStart < stride) out.push_back(0xEE);  // padding the loader skips
    }
    return out;
}

class CubeMapTest : public GLTest<64, 64> {
  protected:
    void SetUpGL() override {
        dir = fs::path(VTRL_BINARY_DIR) / "tests" / "tmp" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
        SetQualityTexture2(GL_LINEAR, GL_LINEAR);
    }
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    // Six files of one depth, face i with its own colour family; the bottom-left pixel differs
    // from the rest so that texel order shows.
    std::array<std::string, 6> writeSixFaces(int bpp, int32_t size = 8) {
        std::array<std::string, 6> names;
        for (int i = 0; i < 6; ++i) {
            auto pixel = [i](int32_t x, int32_t y) -> Rgba {
                if (x == 0 && y == 0) return bottomLeft(i);
                return {static_cast<uint8_t>(40 * i), static_cast<uint8_t>(10 + x),
                        static_cast<uint8_t>(20 + y), 200};
            };
            names[static_cast<size_t>(i)] =
                write("face" + std::to_string(i) + ".bmp", makeBmp(size, size, bpp, pixel));
        }
        return names;
    }
    static Rgba bottomLeft(int face) {
        return {static_cast<uint8_t>(250 - face), static_cast<uint8_t>(30 * face + 1),
                static_cast<uint8_t>(7 * face + 3), static_cast<uint8_t>(100 + face)};
    }
    fs::path dir;
};

constexpr GLenum faceTargets[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                                   GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y,
                                   GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};

GLint faceWidth(GLenum target, GLint level = 0) {
    GLint w = 0;
    glGetTexLevelParameteriv(target, level, GL_TEXTURE_WIDTH, &w);
    return w;
}

std::vector<uint8_t> faceTexels(GLenum target) {
    const GLint w = faceWidth(target);
    GLint h = 0;
    glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

Rgba texel(const std::vector<uint8_t>& texels, size_t index) {
    return {texels[index * 4], texels[index * 4 + 1], texels[index * 4 + 2], texels[index * 4 + 3]};
}

// Which of the six test files a face holds: file i has red 40 * i away from texel 0.
int fileOfFace(GLenum target) {
    const auto texels = faceTexels(target);
    if (texels.size() < 8) return -1;
    return texel(texels, 1)[0] / 40;
}

TEST_F(CubeMapTest, bmp_depth_probe_reads_bit_count_and_refuses_other_files) {
    const auto plain = [](int32_t, int32_t) { return Rgba{1, 2, 3, 4}; };
    EXPECT_EQ(GetBMPDepth(write("a24.bmp", makeBmp(4, 4, 24, plain)).c_str()), 24);
    EXPECT_EQ(GetBMPDepth(write("a32.bmp", makeBmp(4, 4, 32, plain)).c_str()), 32);
    EXPECT_EQ(GetBMPDepth((dir / "missing.bmp").string().c_str()), 0);
    EXPECT_EQ(GetBMPDepth(nullptr), 0);
    auto notBmp = makeBmp(4, 4, 24, plain);
    notBmp[0] = 'X';
    EXPECT_EQ(GetBMPDepth(write("x.bmp", notBmp).c_str()), 0);
    EXPECT_EQ(GetBMPDepth(write("hello.txt", {'h', 'e', 'l', 'l', 'o'}).c_str()), 0);  // short, but no BMP
    EXPECT_EQ(GetBMPDepth(write("core.bmp", makeBmp(4, 4, 24, plain, 12)).c_str()), 0);
    // A tiny core-header file is refused, not reported as a short read.
    auto tinyCore = makeBmp(1, 1, 24, plain, 12);
    EXPECT_LT(tinyCore.size(), 54u);
    EXPECT_EQ(GetBMPDepth(write("tinycore.bmp", tinyCore).c_str()), 0);
}

TEST_F(CubeMapTest, bmp_shorter_than_its_headers_throws_io_failure_naming_the_sizes) {
    auto bytes = makeBmp(4, 4, 24, [](int32_t, int32_t) { return Rgba{}; });
    bytes.resize(53);
    const std::string name = write("short.bmp", bytes);
    try {
        GetBMPDepth(name.c_str());
        FAIL() << "no exception";
    } catch (const std::ios_base::failure& e) {
        EXPECT_EQ(std::string(e.what()),
                  "GetBMPDepth: " + name + ": file too short, expected 54 header bytes but got 53");
    }
    bytes.resize(10);
    EXPECT_THROW(GetBMPDepth(write("shorter.bmp", bytes).c_str()), std::ios_base::failure);
    // A directory exists but cannot be read as a file.
    EXPECT_THROW(GetBMPDepth(dir.string().c_str()), std::ios_base::failure);
}

TEST_F(CubeMapTest, y_faces_go_crosswise_and_texel_0_is_the_bottom_left_pixel_24bit) {
    const auto f = writeSixFaces(24);
    TGLCubeMap cube{};
    GenCubeMapTex(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), cube);
    ASSERT_NE(cube.Tex[0], 0u);
    for (GLName name : cube.Tex) EXPECT_EQ(name, cube.Tex[0]);
    const int expectedFile[6] = {0, 1, 3, 2, 4, 5};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        EXPECT_EQ(faceWidth(faceTargets[face]), 8);
        EXPECT_EQ(fileOfFace(faceTargets[face]), expectedFile[face]);
        const Rgba first = texel(faceTexels(faceTargets[face]), 0);
        const Rgba want = bottomLeft(expectedFile[face]);
        EXPECT_EQ(first, (Rgba{want[0], want[1], want[2], 255}));
        // Texel 9 is column 1 of the second row from the bottom: green 10 + 1, blue 20 + 1.
        EXPECT_EQ(texel(faceTexels(faceTargets[face]), 9),
                  (Rgba{static_cast<uint8_t>(40 * expectedFile[face]), 11, 21, 255}));
    }
    GLint internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_EQ(internal, GL_RGB8);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLName>(bound), cube.Tex[0]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CubeMapTest, y_faces_go_crosswise_and_alpha_is_kept_32bit) {
    const auto f = writeSixFaces(32);
    TGLCubeMap cube{};
    GenCubeMapTex(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), cube);
    const int expectedFile[6] = {0, 1, 3, 2, 4, 5};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        EXPECT_EQ(fileOfFace(faceTargets[face]), expectedFile[face]);
        EXPECT_EQ(texel(faceTexels(faceTargets[face]), 0), bottomLeft(expectedFile[face]));
        EXPECT_EQ(texel(faceTexels(faceTargets[face]), 9)[3], 200);
    }
    GLint internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_EQ(internal, GL_RGBA8);
}

TEST_F(CubeMapTest, padded_rows_keep_every_pixel_colour) {
    // 5 pixels of 3 bytes: each row carries one padding byte. The picture is one colour, so the
    // mipmap builder's rescale to 4 by 4 keeps it exactly when the rows are swapped whole.
    const auto rowColour = [](int32_t, int32_t) { return Rgba{200, 100, 50, 255}; };
    uint32_t name = 0;
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_POSITIVE_X, write("w5.bmp", makeBmp(5, 5, 24, rowColour)).c_str(),
                    name);
    EXPECT_NE(name, 0u);
    const auto texels = faceTexels(GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    ASSERT_FALSE(texels.empty());
    for (size_t i = 0; i < texels.size() / 4; ++i)
        ASSERT_EQ(texel(texels, i), (Rgba{200, 100, 50, 255})) << i;
}

TEST_F(CubeMapTest, unusable_files_leave_their_face_empty_but_named) {
    const auto f = writeSixFaces(24);
    const auto plain = [](int32_t, int32_t) { return Rgba{9, 9, 9, 9}; };
    const std::string core = write("core.bmp", makeBmp(8, 8, 24, plain, 12));
    const std::string eightBit = write("mono.bmp", makeBmp(8, 8, 8, plain));
    const std::string missing = (dir / "missing.bmp").string();
    TGLCubeMap cube{};
    GenCubeMapTex(missing.c_str(), f[1].c_str(), core.c_str(), f[3].c_str(), eightBit.c_str(), f[5].c_str(),
                  cube);
    for (GLName name : cube.Tex) EXPECT_EQ(name, cube.Tex[0]);
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_POSITIVE_X), 0);  // missing
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y), 0);  // core header, given for +Y
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_POSITIVE_Z), 0);  // 8 bits per pixel
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_NEGATIVE_X), 8);
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_POSITIVE_Y), 8);
    EXPECT_EQ(faceWidth(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z), 8);
}

TEST_F(CubeMapTest, filters_come_from_the_settings_and_the_mipmap_chain_is_always_built) {
    const auto f = writeSixFaces(24);
    SetQualityTexture2(GL_NEAREST, GL_NEAREST);
    TGLCubeMap cube{};
    GenCubeMapTex(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), cube);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R}) {
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, wrap, &value);
        EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
    }
    for (GLenum target : faceTargets) {
        EXPECT_EQ(faceWidth(target, 1), 4);
        EXPECT_EQ(faceWidth(target, 3), 1);
    }
    EXPECT_EQ(GLInteger(GL_UNPACK_ALIGNMENT), 4);
    SetQualityTexture2(GL_LINEAR, GL_LINEAR);
}

TEST_F(CubeMapTest, bind_makes_the_built_cube_map_current_and_nothing_else) {
    const auto f = writeSixFaces(24);
    TGLCubeMap cube{};
    GenCubeMapTex(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), cube);
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    BindCubeMapTex(cube);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    EXPECT_EQ(static_cast<GLName>(bound), cube.Tex[0]);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), other);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    // A second cube map gets its own object; the first keeps its faces.
    TGLCubeMap second{};
    GenCubeMapTex(f[5].c_str(), f[4].c_str(), f[3].c_str(), f[2].c_str(), f[1].c_str(), f[0].c_str(), second);
    EXPECT_NE(second.Tex[0], cube.Tex[0]);
    BindCubeMapTex(cube);
    EXPECT_EQ(fileOfFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X), 0);
}

// A cube map missing a face shows no environment: the quad keeps its own green instead of being
// textured with the bound 2D texture's red (which would modulate it to black).
TEST_F(CubeMapTest, incomplete_cube_map_draws_no_texture_at_all) {
    const auto f = writeSixFaces(24);
    const std::string missing = (dir / "missing.bmp").string();
    TGLCubeMap cube{};
    GenCubeMapTex(missing.c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(),
                  cube);
    GLuint red = 0;
    const uint8_t texel[4] = {255, 0, 0, 255};
    glGenTextures(1, &red);
    glBindTexture(GL_TEXTURE_2D, red);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);
    BindCubeMapTex(cube);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord3f(1, 0, 0);
    for (const auto& [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) glVertex2i(x, y);
    glEnd();
    const std::vector<uint8_t> shown = ReadPixelsTopDown(64, 64);
    EXPECT_EQ((Rgba{shown[0], shown[1], shown[2], shown[3]}), (Rgba{0, 255, 0, 255}));
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(CubeMapTest, real_32bit_file_decodes_bottom_up_and_comes_out_opaque) {
    // bmpsuite's rgb32.bmp: 127 by 64, BI_RGB, fourth byte 0 everywhere. Reference pixels from an
    // independent decoder (ImageMagick): (1, bottom row) = (0, 8, 8), (126, top row) = (159, 159, 189).
    const std::string file = VTRL_TESTDATA_DIR "/real/bmp/bmpsuite_rgb32.bmp";
    EXPECT_EQ(GetBMPDepth(file.c_str()), 32);
    const HANDLE bmp = LoadImageA(0, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(bmp, 0u);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int32_t>(sizeof info));
    EXPECT_EQ(info.bmWidth, 127);
    EXPECT_EQ(info.bmHeight, 64);
    EXPECT_EQ(info.bmWidthBytes, 508);
    EXPECT_EQ(info.bmBitsPixel, 32);
    const auto* bits = static_cast<const uint8_t*>(info.bmBits);
    EXPECT_EQ((Rgba{bits[4], bits[5], bits[6], bits[7]}), (Rgba{8, 8, 0, 255}));  // B, G, R, A
    const uint8_t* topRight = bits + 63 * 508 + 126 * 4;
    EXPECT_EQ((Rgba{topRight[0], topRight[1], topRight[2], topRight[3]}), (Rgba{189, 159, 159, 255}));
    DeleteObject(bmp);
}

// The current matrix of `mode`, column-major.
std::array<float, 16> matrixOf(GLenum which) {
    std::array<float, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

// Rotation about Y by `y` degrees, then about X by `x` degrees (M = Ry * Rx), column-major.
std::array<float, 16> turnYThenX(double y, double x) {
    const double r = std::acos(-1.0) / 180.0, cy = std::cos(y * r), sy = std::sin(y * r);
    const double cx = std::cos(x * r), sx = std::sin(x * r);
    const double ry[3][3] = {{cy, 0, sy}, {0, 1, 0}, {-sy, 0, cy}};
    const double rx[3][3] = {{1, 0, 0}, {0, cx, -sx}, {0, sx, cx}};
    std::array<float, 16> m{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            double v = 0;
            for (int k = 0; k < 3; ++k) v += ry[row][k] * rx[k][col];
            m[static_cast<size_t>(col * 4 + row)] = static_cast<float>(v);
        }
    m[15] = 1.0f;
    return m;
}

void expectMatrixNear(const std::array<float, 16>& got, const std::array<float, 16>& want) {
    for (size_t i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-5) << "element " << i;
}

TEST_F(CubeMapTest, begin_turns_the_texture_matrix_half_a_turn_about_x_at_rest) {
    glMatrixMode(GL_MODELVIEW);
    CubeMapBegin(0.0f, 0.0f);
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_TEXTURE);
    expectMatrixNear(matrixOf(GL_TEXTURE_MATRIX), {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1});
    CubeMapEnd();
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(CubeMapTest, begin_follows_the_view_rotation_and_end_restores_both_stacks) {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.5f, 0.0f, 0.0f);  // a texture matrix already in place stays under the turn
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    const auto modelview = matrixOf(GL_MODELVIEW_MATRIX);
    const GLint mvDepth = GLInteger(GL_MODELVIEW_STACK_DEPTH), texDepth = GLInteger(GL_TEXTURE_STACK_DEPTH);

    CubeMapBegin(30.0f, 45.0f);
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_TEXTURE);
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), mvDepth + 1);
    EXPECT_EQ(GLInteger(GL_TEXTURE_STACK_DEPTH), texDepth + 1);
    auto want = turnYThenX(45.0, -210.0);
    want[12] = 0.5f;
    expectMatrixNear(matrixOf(GL_TEXTURE_MATRIX), want);

    glMatrixMode(GL_MODELVIEW);
    glRotatef(33.0f, 1.0f, 0.0f, 0.0f);  // drawing in between may change the model-view matrix
    glMatrixMode(GL_TEXTURE);
    CubeMapEnd();
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), mvDepth);
    EXPECT_EQ(GLInteger(GL_TEXTURE_STACK_DEPTH), texDepth);
    expectMatrixNear(matrixOf(GL_MODELVIEW_MATRIX), modelview);
    const auto texture = matrixOf(GL_TEXTURE_MATRIX);
    EXPECT_FLOAT_EQ(texture[0], 1.0f);
    EXPECT_FLOAT_EQ(texture[12], 0.5f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
