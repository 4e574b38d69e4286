// The generated files drawn by the toolkit as the demo draws them, compared with the
// environment they were made from: the sky box seen from its centre in every direction, and a
// mirror sphere whose reflection must show the scene direction each pixel reflects. Writes check
// pictures (PPM) of the cube map unfolded and of the demo's sphere and crystal.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>

#include "support/gl_context.h"
#include "tools/datagen/cubefaces.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/skyatlas.h"
#include "vitrail/cubemap.h"
#include "vitrail/skybox.h"
#include "vitrail/solids.h"
#include "vitrail/tga.h"
#include "vtrl3ds/model.h"

namespace fs = std::filesystem;
using namespace datagen;

namespace {

std::string dataFile(const char* name) {
    return (fs::path(VTRL_BINARY_DIR) / "data" / name).string();
}

std::string pictureFile(const char* name) {
    const fs::path dir = fs::path(VTRL_BINARY_DIR) / "tests" / "datagen-pictures";
    fs::create_directories(dir);
    return (dir / name).string();
}

const Environment& environment() {
    static const Environment env;
    return env;
}

// The demo's textures: the sky texture and the cube map, with its filters.
GLName loadSkyTexture() {
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    GLName name = 0;
    TextureLoadTGAID(dataFile(skyBoxFile).c_str(), name);
    SetQualityTexture2(GL_LINEAR, GL_LINEAR);
    return name;
}

TGLCubeMap loadCubeMap() {
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    std::string f[6];
    for (size_t i = 0; i < 6; ++i) f[i] = dataFile(cubeFaceFiles[i].name);
    TGLCubeMap cube{};
    GenCubeMapTex(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), cube);
    SetQualityTexture2(GL_LINEAR, GL_LINEAR);
    return cube;
}

// What glRotatef(angle, axis) does to a vector.
Vec3 rotate(Vec3 v, double degrees, Vec3 axis) {
    const Vec3 k = normalized(axis);
    const double c = std::cos(radians(degrees)), s = std::sin(radians(degrees));
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

// Eye-space ray through the centre of a pixel (row counted from the top).
Vec3 pixelRay(int32_t x, int32_t row, int32_t w, int32_t h, double fovY) {
    const double t = std::tan(radians(fovY / 2));
    return {((x + 0.5) / w * 2 - 1) * t * w / h, (1 - (row + 0.5) / h * 2) * t, -1};
}

// Scene direction of an eye-space direction under the view's rotation (XRot, then YRot).
Vec3 toScene(Vec3 eye, double xRot, double yRot) {
    return rotate(rotate(eye, -xRot, {1, 0, 0}), -yRot, {0, 1, 0});
}

void perspective(double fovY, double aspect) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY, aspect, 0.1, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Largest difference of one channel between a read-back pixel and a colour, in 8-bit steps.
double difference(const uint8_t* rgba, Rgb want) {
    const double w[3] = {want.r, want.g, want.b};
    double worst = 0;
    for (int i = 0; i < 3; ++i) worst = std::max(worst, std::fabs(rgba[i] - clamp01(w[i]) * 255));
    return worst;
}

struct Score {
    double median = 0, p90 = 0;
};

Score score(std::vector<double> diffs) {
    if (diffs.empty()) return {};
    std::sort(diffs.begin(), diffs.end());
    return {diffs[diffs.size() / 2], diffs[diffs.size() * 9 / 10]};
}

// Compares a picture with the expected colour of each pixel; pixels without one are skipped.
Score compare(const std::vector<uint8_t>& rgba, int32_t w, int32_t h,
              const std::function<std::optional<Rgb>(int32_t x, int32_t row)>& expected) {
    std::vector<double> diffs;
    for (int32_t row = 0; row < h; ++row)
        for (int32_t x = 0; x < w; ++x)
            if (const auto want = expected(x, row))
                diffs.push_back(difference(&rgba[(static_cast<size_t>(row) * w + x) * 4], *want));
    return score(diffs);
}

}  // namespace

// From the box's centre every pixel shows the environment in its own direction, across walls,
// edges and corners alike; the same picture compared with the environment upside down does not.
TEST(DemoRender, sky_box_shows_the_environment_in_every_direction) {
    constexpr int32_t size = 160;
    GLTestContext gl(size, size);
    ASSERT_TRUE(gl.ok());
    const GLName sky = loadSkyTexture();
    ASSERT_NE(sky, 0u);
    const double views[][2] = {{0, 0},  {0, 90},   {0, 180},   {0, -90}, {-90, 0},
                               {90, 0}, {-35, 45}, {35, -135}, {10, 135}};
    for (const auto& view : views) {
        const double xRot = view[0], yRot = view[1];  // not a binding: the lambdas below capture them
        glClear(GL_COLOR_BUFFER_BIT);
        perspective(90, 1);
        glRotatef(static_cast<float>(xRot), 1, 0, 0);
        glRotatef(static_cast<float>(yRot), 0, 1, 0);
        glBindTexture(GL_TEXTURE_2D, sky);
        SkyBox(0, 0, 0, 5);
        const std::vector<uint8_t> picture = ReadPixelsTopDown(size, size);
        const double footprint = radians(90.0 / size);
        const auto seen = [&](bool upsideDown) {
            return compare(picture, size, size, [&](int32_t x, int32_t row) -> std::optional<Rgb> {
                Vec3 d = toScene(pixelRay(x, row, size, size, 90), xRot, yRot);
                if (upsideDown) d.y = -d.y;
                return environment().Colour(d, footprint);
            });
        };
        const Score right = seen(false), wrong = seen(true);
        EXPECT_LT(right.median, 6) << "view " << xRot << ", " << yRot;
        EXPECT_LT(right.p90, 20) << "view " << xRot << ", " << yRot;
        EXPECT_GT(wrong.median, 3 * right.median + 10) << "view " << xRot << ", " << yRot;
    }
}

namespace {

constexpr double sphereRadius = 8, sphereDistance = 30;

// The demo's reflective drawing: reflection-mapped texture coordinates, the cube map bound and
// the texture matrix set from the view's angles around whatever draw does.
void drawCubeMapped(const TGLCubeMap& cube, float xRot, float yRot, const std::function<void()>& draw) {
    glDisable(GL_LIGHTING);
    for (GLenum c : {GL_S, GL_T, GL_R}) glTexGenf(c, GL_TEXTURE_GEN_MODE, 34066.0f);
    for (GLenum e : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_CUBE_MAP}) glEnable(e);
    BindCubeMapTex(cube);
    CubeMapBegin(xRot, yRot);
    draw();
    CubeMapEnd();
    for (GLenum e : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_CUBE_MAP}) glDisable(e);
}

// The demo's camera: 30 units back, turned by XRot about x and YRot about y.
void demoCamera(double fovY, double aspect, float xRot, float yRot) {
    perspective(fovY, aspect);
    glTranslatef(0, 0, static_cast<float>(-sphereDistance));
    glRotatef(xRot, 1, 0, 0);
    glRotatef(yRot, 0, 1, 0);
}

// Eye-space reflection of a pixel's ray off the sphere, for rays that hit it well inside its
// outline (where the per-vertex reflection vectors are interpolated finely enough).
std::optional<Vec3> sphereReflection(Vec3 ray) {
    const Vec3 u = normalized(ray), centre{0, 0, -sphereDistance};
    const double along = dot(u, centre), miss2 = dot(centre, centre) - along * along;
    if (miss2 > std::pow(0.75 * sphereRadius, 2)) return std::nullopt;
    const Vec3 hit = u * (along - std::sqrt(sphereRadius * sphereRadius - miss2));
    const Vec3 n = (hit - centre) * (1 / sphereRadius);
    return u - n * (2 * dot(n, u));
}

}  // namespace

// The sphere mirrors the scene direction each pixel's ray is reflected into, whatever the
// view's rotation. Without the half turn in the texture matrix it would show the environment
// turned about x (sky below); the comparison with that picture must fail clearly.
TEST(DemoRender, mirror_sphere_reflects_the_scene_direction_of_each_pixel) {
    constexpr int32_t size = 200;
    GLTestContext gl(size, size);
    ASSERT_TRUE(gl.ok());
    const TGLCubeMap cube = loadCubeMap();
    const float views[][2] = {{0, 0}, {30, 60}, {-25, 200}, {60, -100}};
    glEnable(GL_DEPTH_TEST);
    for (const auto& view : views) {
        const float xRot = view[0], yRot = view[1];  // not a binding: the lambdas below capture them
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        demoCamera(45, 1, xRot, yRot);
        drawCubeMapped(cube, xRot, yRot, [] { Sfera(0, 0, 0, 8, 42, 42, 1); });
        const std::vector<uint8_t> picture = ReadPixelsTopDown(size, size);
        const auto seen = [&](bool halfTurnMissing) {
            return compare(picture, size, size, [&](int32_t x, int32_t row) -> std::optional<Rgb> {
                const auto r = sphereReflection(pixelRay(x, row, size, size, 45));
                if (!r) return std::nullopt;
                Vec3 d = toScene(*r, xRot, yRot);
                if (halfTurnMissing) d = {d.x, -d.y, -d.z};
                return environment().Colour(d, 0.02);
            });
        };
        const Score right = seen(false), wrong = seen(true);
        EXPECT_LT(right.median, 10) << "view " << xRot << ", " << yRot;
        EXPECT_LT(right.p90, 30) << "view " << xRot << ", " << yRot;
        EXPECT_GT(wrong.median, 3 * right.median + 10) << "view " << xRot << ", " << yRot;
    }
}

namespace {

constexpr int32_t demoWidth = 800, demoHeight = 600;

// One frame the way the demo draws it at the start: the sky box, then one element cube-mapped.
std::vector<uint8_t> demoFrame(GLName sky, const TGLCubeMap& cube, const std::function<void()>& element) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    demoCamera(45, static_cast<double>(demoWidth) / demoHeight, 0, 0);
    glBindTexture(GL_TEXTURE_2D, sky);
    SkyBox(0, 0, 0, 5);
    if (element) drawCubeMapped(cube, 0, 0, element);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    return ReadPixelsTopDown(demoWidth, demoHeight);
}

struct Region {
    double r = 0, g = 0, b = 0;
    int32_t count = 0, brightestX = 0, brightestRow = 0;
    double brightest = -1;
};

// Mean colour and brightest pixel of the picture's pixels for which inside(x, row) holds.
Region region(const std::vector<uint8_t>& rgba, const std::function<bool(int32_t, int32_t)>& inside) {
    Region out;
    for (int32_t row = 0; row < demoHeight; ++row)
        for (int32_t x = 0; x < demoWidth; ++x) {
            if (!inside(x, row)) continue;
            const uint8_t* p = &rgba[(static_cast<size_t>(row) * demoWidth + x) * 4];
            out.r += p[0], out.g += p[1], out.b += p[2], ++out.count;
            if (p[0] + p[1] + p[2] > out.brightest)
                out.brightest = p[0] + p[1] + p[2], out.brightestX = x, out.brightestRow = row;
        }
    if (out.count) out.r /= out.count, out.g /= out.count, out.b /= out.count;
    return out;
}

int32_t changedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int32_t n = 0;
    for (size_t i = 0; i < a.size(); i += 4)
        n += std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])}) >
             12;
    return n;
}

}  // namespace

// The demo's first view with the sphere (element 2) and the crystal (element 5): the sky box's
// sun and the sphere's reflection of it are both on the right, the sphere shows sky in its upper
// part and ground in its lower part, and the crystal covers about as much of the view as the
// sphere. The frames are kept as check pictures.
TEST(DemoRender, demo_view_sphere_and_crystal_sit_in_matching_surroundings) {
    GLTestContext gl(demoWidth, demoHeight);
    ASSERT_TRUE(gl.ok());
    const GLName sky = loadSkyTexture();
    const TGLCubeMap cube = loadCubeMap();
    const std::vector<uint8_t> empty = demoFrame(sky, cube, nullptr);
    const std::vector<uint8_t> sphere = demoFrame(sky, cube, [] { Sfera(0, 0, 0, 8, 42, 42, 1); });
    TGL3dsModel model;
    model.LoadModel3DS(0.1f, dataFile(modelFile));
    const std::unique_ptr<TGLAll3dsMesh> scene(model.Scene);
    const std::vector<uint8_t> crystal = demoFrame(sky, cube, [&] { model.PutModel3DS(); });
    EXPECT_TRUE(WritePPM(pictureFile("demo_sphere.ppm").c_str(), sphere, demoWidth, demoHeight));
    EXPECT_TRUE(WritePPM(pictureFile("demo_crystal.ppm").c_str(), crystal, demoWidth, demoHeight));

    // The sphere's outline: radius 8 at distance 30 under a 45-degree view, 600 pixels high.
    const double cx = demoWidth / 2.0, cy = demoHeight / 2.0;
    const double radius = std::tan(std::asin(sphereRadius / sphereDistance)) / std::tan(radians(22.5)) * cy;
    const auto within = [&](double lo, double hi) {
        return [=](int32_t x, int32_t row) {
            const double dx = x + 0.5 - cx, dy = cy - row - 0.5;
            return dx * dx + dy * dy < radius * radius * 0.9 && dy > lo * radius && dy <= hi * radius;
        };
    };
    const Region top = region(sphere, within(0.45, 1)), bottom = region(sphere, within(-1, -0.45));
    const Region disc = region(sphere, within(-1, 1));
    const Region background = region(empty, [](int32_t, int32_t) { return true; });
    EXPECT_GT(top.b, top.r + 40) << "sky in the sphere's upper part";
    EXPECT_GT(bottom.r, bottom.b + 30) << "ground in the sphere's lower part";
    EXPECT_GT(disc.brightestX, cx + radius / 3) << "the sun's reflection on the right";
    EXPECT_LT(disc.brightestRow, cy) << "and above the middle";
    EXPECT_GT(background.brightestX, cx + 100) << "the sun right of the first view";
    EXPECT_LT(background.brightestRow, cy - 50) << "and above the horizon";
    const double sphereCover = changedPixels(empty, sphere), crystalCover = changedPixels(empty, crystal);
    EXPECT_GT(crystalCover, 0.6 * sphereCover);
    EXPECT_LT(crystalCover, 1.6 * sphereCover);
}

// The cube map as the reflections see it, unfolded round the first view (front in the middle,
// left, right and back beside it, up above, down below): neighbouring views join without a
// seam, and the picture stays upright.
TEST(DemoRender, cube_map_unfolds_into_a_seamless_upright_cross) {
    constexpr int32_t cell = 192, w = 4 * cell, h = 3 * cell;
    GLTestContext gl(w, h);
    ASSERT_TRUE(gl.ok());
    const TGLCubeMap cube = loadCubeMap();
    struct View {
        int col, row;
        Vec3 forward, right, up;
    };
    const View views[6] = {
        {1, 1, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}}, {0, 1, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {2, 1, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {3, 1, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
        {1, 0, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {1, 2, {0, -1, 0}, {1, 0, 0}, {0, 0, -1}}};
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);  // rows counted from the top
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_CUBE_MAP);
    BindCubeMapTex(cube);
    glBegin(GL_QUADS);
    for (const View& v : views)
        for (const auto& [a, b] : {std::pair{-1, 1}, {1, 1}, {1, -1}, {-1, -1}}) {
            // Lookups carry the half turn about x that the demo's texture matrix adds.
            const Vec3 d = v.forward + v.right * a + v.up * b;
            glTexCoord3d(d.x, -d.y, -d.z);
            glVertex2d((v.col + (a + 1) / 2.0) * cell, (v.row + (1 - b) / 2.0) * cell);
        }
    glEnd();
    glDisable(GL_TEXTURE_CUBE_MAP);
    const std::vector<uint8_t> cross = ReadPixelsTopDown(w, h);
    EXPECT_TRUE(WritePPM(pictureFile("cube_cross.ppm").c_str(), cross, w, h));

    const auto at = [&](int32_t x, int32_t row) { return &cross[(static_cast<size_t>(row) * w + x) * 4]; };
    const auto seam = [&](int32_t x0, int32_t row0, int32_t x1, int32_t row1, int32_t dx, int32_t dy) {
        double sum = 0;
        for (int32_t i = 0; i < cell; ++i) {
            const uint8_t *p = at(x0 + i * dx, row0 + i * dy), *q = at(x1 + i * dx, row1 + i * dy);
            sum += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
        }
        return sum / (3 * cell);
    };
    EXPECT_LT(seam(2 * cell - 1, cell, 2 * cell, cell, 0, 1), 6) << "front | right";
    EXPECT_LT(seam(cell - 1, cell, cell, cell, 0, 1), 6) << "left | front";
    EXPECT_LT(seam(4 * cell - 1, cell, 0, cell, 0, 1), 6) << "back | left";
    EXPECT_LT(seam(cell, cell - 1, cell, cell, 1, 0), 6) << "up / front";
    EXPECT_LT(seam(cell, 2 * cell - 1, cell, 2 * cell, 1, 0), 6) << "front / down";
    EXPECT_GT(seam(2 * cell - 1, cell, 3 * cell, cell, 0, 1), 12) << "front and back do not join";
    const uint8_t *up = at(cell + cell / 2, cell / 2), *down = at(cell + cell / 2, 2 * cell + cell / 2);
    EXPECT_GT(up[2], up[0] + 60) << "sky above";
    EXPECT_GT(down[0], down[2] + 30) << "ground below";
}
