// Rendered pictures of the cube-mapped solids over the sky box, as the demo draws them: a sky
// texture and six cube faces made here, each element drawn into a PNG under the build tree's
// tests/renders, with pixel checks on where the object and the environment show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "support/gl_test.h"
#include "vitrail/cubemap.h"
#include "vitrail/glstate.h"
#include "vitrail/skybox.h"
#include "vitrail/solids.h"
#include "vitrail/teapot.h"
#include "vitrail/tga.h"
#include "vitrail/window.h"

namespace {

namespace fs = std::filesystem;
using Rgb = std::array<int, 3>;

constexpr int32_t W = 320, H = 240;

// Saturated colours of the six cube-face files (+X, -X, +Y, -Y, +Z, -Z); each file is a checker
// of the colour and a darker shade of it.
constexpr Rgb cubeColours[6] = {{220, 40, 40}, {40, 200, 60},  {230, 210, 40},
                                {40, 70, 220}, {210, 50, 200}, {40, 200, 210}};
// Muted colours of the sky cells: left, front, right, back walls, floor, ceiling.
constexpr Rgb skyColours[6] = {{150, 120, 90},  {110, 130, 160}, {140, 150, 100},
                               {160, 110, 130}, {95, 95, 85},    {185, 180, 200}};

// What a pixel shows, by the nearest chromaticity among the colours above: 0..5 a cube face,
// 6..11 a sky cell, -1 neither (edges, blends, black).
int classify(const uint8_t* p) {
    const double sum = p[0] + p[1] + p[2];
    if (sum < 60) return -1;
    int best = -1;
    double bestDist = 0.05;
    for (int i = 0; i < 12; ++i) {
        const Rgb& c = i < 6 ? cubeColours[i] : skyColours[i - 6];
        const double cs = c[0] + c[1] + c[2];
        double d = 0;
        for (int k = 0; k < 3; ++k) d += std::pow(p[k] / sum - c[k] / cs, 2);
        if (std::sqrt(d) < bestDist) bestDist = std::sqrt(d), best = i;
    }
    return best;
}

bool isCube(int kind) {
    return kind >= 0 && kind < 6;
}
bool isSky(int kind) {
    return kind >= 6;
}

void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 64 by 64 24-bit BMP: an 8 by 8 checker of `c` and 55 % of it.
std::vector<uint8_t> checkerBmp(const Rgb& c) {
    std::vector<uint8_t> out;
    putLE(out, 19778, 2);
    putLE(out, 54 + 64 * 64 * 3, 4);
    putLE(out, 0, 4);
    putLE(out, 54, 4);
    for (uint32_t v : {40u, 64u, 64u}) putLE(out, v, 4);
    putLE(out, 1, 2);
    putLE(out, 24, 2);
    out.insert(out.end(), 24, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const double f = ((x / 8 + y / 8) % 2) ? 0.55 : 1.0;
            for (int k = 2; k >= 0; --k) out.push_back(static_cast<uint8_t>(c[static_cast<size_t>(k)] * f));
        }
    return out;
}

// The sky texture: 4 by 2 cells of 32 by 32 texels, the upper row (t 0.5..1) left, front, right,
// back, the lower row floor and ceiling. Grid lines every 8 texels; the lower half of each cell
// is darker, so a wall shows which way is up.
GLuint makeSkyTexture() {
    std::vector<uint8_t> texels(128 * 64 * 3, 0);
    const int cellOf[2][4] = {{4, 5, -1, -1}, {0, 1, 2, 3}};  // [texel row / 32][column]
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            const int cell = cellOf[y / 32][x / 32];
            const Rgb c = cell < 0 ? Rgb{0, 0, 0} : skyColours[cell];
            double f = (y % 32 < 16) ? 0.8 : 1.0;
            if (x % 8 == 0 || y % 8 == 0) f *= 0.7;
            for (size_t k = 0; k < 3; ++k)
                texels[static_cast<size_t>((y * 128 + x) * 3) + k] = static_cast<uint8_t>(c[k] * f);
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 128, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return name;
}

class RenderTest : public GLTest<W, H> {
  protected:
    void SetUpGL() override {
        savedWidth = Width, savedHeight = Height;
        Width = W, Height = H;
        // One folder per case: the cases run in parallel, each in its own process.
        const fs::path dir =
            fs::path(VTRL_BINARY_DIR) / "tests" / "tmp" /
            ("render_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir);
        std::array<std::string, 6> files;
        for (size_t i = 0; i < 6; ++i) {
            files[i] = (dir / ("face" + std::to_string(i) + ".bmp")).string();
            const auto bytes = checkerBmp(cubeColours[i]);
            std::ofstream(files[i], std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
        SetQualityTexture2(GL_LINEAR, GL_LINEAR);
        GenCubeMapTex(files[0].c_str(), files[1].c_str(), files[2].c_str(), files[3].c_str(),
                      files[4].c_str(), files[5].c_str(), cube);
        sky = makeSkyTexture();
        SetGLRefractive();
    }
    void TearDown() override { Width = savedWidth, Height = savedHeight; }

    // One frame as the demo draws it: sky box, then `element` cube-mapped with reflection
    // mapping inside the texture-matrix bracket. Returns the picture, top row first, and writes
    // it as tests/renders/<name>.png in the build tree.
    std::vector<uint8_t> frame(const std::string& name, float xRot, float yRot,
                               const std::function<void()>& element) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        OpenGL_I2D(0, 0, 0, 0);
        OpenGL_Init(120, 0, 0, 0, 0);
        glTranslatef(0, 0, -30);
        glRotatef(xRot, 1, 0, 0);
        glRotatef(yRot, 0, 1, 0);
        glBindTexture(GL_TEXTURE_2D, sky);
        SkyBox(0, 0, 0, 5);
        glDisable(GL_LIGHTING);
        for (GLenum c : {GL_S, GL_T, GL_R})
            glTexGenf(c, GL_TEXTURE_GEN_MODE, static_cast<float>(GL_MAP_REFLECTION));
        for (GLenum e : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_CUBE_MAP})
            glEnable(e);
        BindCubeMapTex(cube);
        element();
        for (GLenum e : {GL_TEXTURE_CUBE_MAP, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R})
            glDisable(e);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        auto pixels = ReadPixelsTopDown(W, H);
        const fs::path dir = fs::path(VTRL_BINARY_DIR) / "tests" / "renders";
        fs::create_directories(dir);
        EXPECT_TRUE(stbi_write_png((dir / (name + ".png")).c_str(), W, H, 4, pixels.data(), W * 4));
        return pixels;
    }

    // The demo's bracket around the cube, sphere and torus.
    static std::function<void()> bracketed(float xRot, float yRot, std::function<void()> draw) {
        return [=] {
            CubeMapBegin(xRot, yRot);
            draw();
            CubeMapEnd();
        };
    }

    TGLCubeMap cube{};
    GLuint sky = 0;
    int32_t savedWidth = 0, savedHeight = 0;
};

const uint8_t* at(const std::vector<uint8_t>& p, int x, int y) {
    return &p[static_cast<size_t>((y * W + x) * 4)];
}

// Checks shared by every element: the environment in the corners, the object in the centre with
// several cube faces reflected on it, and how much of the picture it covers.
void expectCubeMappedObject(const std::vector<uint8_t>& p, double minCover, size_t minFaces) {
    for (auto [x, y] : {std::pair{4, 4}, {W - 5, 4}, {4, H - 5}, {W - 5, H - 5}})
        EXPECT_TRUE(isSky(classify(at(p, x, y)))) << "corner " << x << "," << y << " is not sky";
    EXPECT_TRUE(isCube(classify(at(p, W / 2, H / 2)))) << "centre shows no cube-map colour";
    std::set<int> faces;
    int cubePixels = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (const int k = classify(at(p, x, y)); isCube(k)) faces.insert(k), ++cubePixels;
    EXPECT_GE(faces.size(), minFaces);
    EXPECT_GT(static_cast<double>(cubePixels) / (W * H), minCover);
}

TEST_F(RenderTest, cube_reflects_the_environment) {
    const auto p = frame("cube", 20, 35, bracketed(20, 35, [] { Cubo(0, 0, 0, -5, -5, -5, 5, 5, 5, 3); }));
    expectCubeMappedObject(p, 0.08, 2);
}

TEST_F(RenderTest, sphere_reflects_the_environment) {
    const auto p = frame("sphere", 20, 35, bracketed(20, 35, [] { Sfera(0, 0, 0, 8, 42, 42, 1); }));
    expectCubeMappedObject(p, 0.15, 4);
}

TEST_F(RenderTest, torus_reflects_the_environment_and_shows_the_sky_through_its_hole) {
    const auto p = frame("torus", 20, 35, bracketed(20, 35, [] { Toroide(0, 0, 0, 2, 6, 32, 32); }));
    for (auto [x, y] : {std::pair{4, 4}, {W - 5, H - 5}}) EXPECT_TRUE(isSky(classify(at(p, x, y))));
    EXPECT_TRUE(isSky(classify(at(p, W / 2, H / 2)))) << "the hole shows the sky box";
    std::set<int> faces;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (const int k = classify(at(p, x, y)); isCube(k)) faces.insert(k);
    EXPECT_GE(faces.size(), 4u);
    // The ring left of the hole is the object.
    EXPECT_TRUE(isCube(classify(at(p, W / 2 - 55, H / 2))));
}

TEST_F(RenderTest, teapot_reflects_the_environment) {
    const auto p = frame("teapot", 20, 35, [] {
        glPushMatrix();
        glTranslatef(0, -4, 0);
        glRotatef(90, -1, 0, 0);
        glScalef(3, 3, 3);
        CubeMapBegin(20, 35);
        PutGLTeapot(0, 0, 0, 1, 32);
        CubeMapEnd();
        glPopMatrix();
    });
    expectCubeMappedObject(p, 0.10, 3);
}

TEST_F(RenderTest, sphere_at_rest_mirrors_the_minus_z_face_back_at_the_viewer) {
    // Looking down -Z at the sphere's centre, the reflection points back at the viewer, (0, 0, 1);
    // the bracket's half turn about X makes it (0, 0, -1): the -Z face, the sixth file.
    const auto p = frame("sphere_at_rest", 0, 0, bracketed(0, 0, [] { Sfera(0, 0, 0, 8, 42, 42, 1); }));
    EXPECT_EQ(classify(at(p, W / 2, H / 2)), 5);
    // Towards the rim the reflections turn up, down and sideways: the +Y file shows above, the
    // -Y file below (the crosswise Y faces undo the half turn), +X on the right, -X on the left.
    EXPECT_EQ(classify(at(p, W / 2, H / 2 - 60)), 2);
    EXPECT_EQ(classify(at(p, W / 2, H / 2 + 60)), 3);
    EXPECT_EQ(classify(at(p, W / 2 + 60, H / 2)), 0);
    EXPECT_EQ(classify(at(p, W / 2 - 60, H / 2)), 1);
    // Around it the front wall fills the view, brighter above the horizon than below it.
    EXPECT_EQ(classify(at(p, W / 2, 3)), 7);
    EXPECT_EQ(classify(at(p, W / 2, H - 4)), 7);
    const auto brightness = [&](int x, int y) {
        const uint8_t* q = at(p, x, y);
        return q[0] + q[1] + q[2];
    };
    EXPECT_GT(brightness(8, 12), brightness(8, H - 12));
}

}  // namespace
