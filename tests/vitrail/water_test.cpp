// The water surface: the integer ripple step with its exact numbers, overflow and range errors,
// vertices and normals from heights, the wave and its phase, the extent of the drawn surface by
// feedback, the GL state each drawing leaves (mirror mode included), and a rendered picture.
#include "vitrail/water.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/gl_test.h"
#include "vitrail/glstate.h"
#include "vitrail/vtrl_ext.h"

namespace {

// Puts every water global back to its start value.
void resetWater() {
    std::memset(PosHW, 0, sizeof PosHW);
    std::memset(VelHW, 0, sizeof VelHW);
    std::memset(VertHW, 0, sizeof VertHW);
    std::memset(NormHW, 0, sizeof NormHW);
    SetGridHW = 0;
    WaweOnOffHW = false;
    RWaweHW = SWaweHW = HWaveHW = UVHW = 0;
    UVInvHV = false;
    TextureHW = TextureReflectHW = 0;
    XHW = YHW = 0;
    MirrorHW = false;
    MirrorObjHW = nullptr;
}

class WaterGrid : public ::testing::Test {
  protected:
    void SetUp() override { resetWater(); }
};

// Expects `call` to throw E with exactly `message`.
template <class E>
void expectError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

void expectVector(const TGLVector& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.X, x, tolerance);
    EXPECT_NEAR(v.Y, y, tolerance);
    EXPECT_NEAR(v.Z, z, tolerance);
}

}  // namespace

// ---- Ripple simulation -----------------------------------------------------------------------

TEST_F(WaterGrid, untouched_grid_stays_flat_with_interior_normals_down_and_ring_up) {
    MoveWater(40, 256);
    InitPlane(40);
    for (int a = 0; a <= 40; ++a)
        for (int b = 0; b <= 40; ++b) {
            EXPECT_EQ(PosHW[a][b], 0);
            expectVector(VertHW[a][b], a - 20.0f, 0, b - 20.0f);
            const bool ring = a == 0 || b == 0 || a == 40 || b == 40;
            expectVector(NormHW[a][b], 0, ring ? 1.0f : -1.0f, 0);
        }
}

TEST_F(WaterGrid, raised_point_spreads_to_its_neighbours_in_exact_integers) {
    PosHW[20][20] = 24000;
    MoveWater(40, 256);
    EXPECT_EQ(PosHW[20][20], 21000);
    EXPECT_EQ(VelHW[20][20], 2988);  // 3000 damped by 255/256
    for (auto [a, b] : {std::pair{19, 20}, {21, 20}, {20, 19}, {20, 21}}) {
        EXPECT_EQ(PosHW[a][b], 500);
        EXPECT_EQ(VelHW[a][b], -498);  // -500 * 255 / 256 = -498.05, truncated toward zero
    }
    for (auto [a, b] : {std::pair{19, 19}, {21, 19}, {19, 21}, {21, 21}}) {
        EXPECT_EQ(PosHW[a][b], 125);
        EXPECT_EQ(VelHW[a][b], -124);  // -124.5 truncated toward zero
    }
    EXPECT_EQ(PosHW[18][20], 0);
    EXPECT_EQ(VelHW[18][20], 0);
}

TEST_F(WaterGrid, density_one_stops_every_velocity_but_heights_still_move) {
    PosHW[20][20] = 24000;
    VelHW[5][7] = 1234;
    MoveWater(40, 1);
    for (int a = 0; a <= MAXGRIDSIZEW; ++a)
        for (int b = 0; b <= MAXGRIDSIZEW; ++b) ASSERT_EQ(VelHW[a][b], 0) << a << ", " << b;
    EXPECT_EQ(PosHW[20][20], 21000);
    EXPECT_EQ(PosHW[21][20], 500);
    EXPECT_EQ(PosHW[5][7], -1234);
}

TEST_F(WaterGrid, outer_two_rings_never_move) {
    for (int i = 0; i <= 40; ++i) {
        PosHW[0][i] = PosHW[1][i] = PosHW[39][i] = PosHW[40][i] = 8000;
        PosHW[i][0] = PosHW[i][1] = PosHW[i][39] = PosHW[i][40] = 8000;
        VelHW[1][i] = VelHW[i][1] = 77;
    }
    MoveWater(40, 256);
    for (int i = 0; i <= 40; ++i) {
        EXPECT_EQ(PosHW[1][i], 8000);
        EXPECT_EQ(PosHW[i][39], 8000);
        EXPECT_EQ(VelHW[1][i], 77);
        EXPECT_EQ(VelHW[i][1], 77);
    }
    EXPECT_EQ(PosHW[2][20], 250);  // pulled up by the ring: (0 - 48000 / 24) / 8 = -250
}

TEST_F(WaterGrid, overflowing_step_raises_and_leaves_both_grids_as_found) {
    PosHW[20][20] = INT32_MAX;  // four times it, in an edge neighbour's sum, leaves 32 bits
    VelHW[10][10] = 55;
    expectError<std::overflow_error>([] { MoveWater(40, 2); },
                                     "MoveWater: 32-bit overflow at point (19, 20) with Density 2");
    EXPECT_EQ(PosHW[20][20], INT32_MAX);
    EXPECT_EQ(VelHW[10][10], 55);
    EXPECT_EQ(VelHW[20][20], 0);
    EXPECT_EQ(PosHW[10][10], 0);
}

TEST_F(WaterGrid, damping_product_overflow_raises_only_when_it_leaves_32_bits) {
    VelHW[20][20] = 10'000'000;
    MoveWater(40, 200);  // 10^7 * 199 fits
    EXPECT_EQ(VelHW[20][20], 9'950'000);
    EXPECT_EQ(PosHW[20][20], -10'000'000);
    resetWater();
    VelHW[20][20] = 10'000'000;
    expectError<std::overflow_error>([] { MoveWater(40, 256); },  // 10^7 * 255 does not
                                     "MoveWater: 32-bit overflow at point (20, 20) with Density 256");
    EXPECT_EQ(VelHW[20][20], 10'000'000);
}

TEST_F(WaterGrid, grid_and_density_out_of_range_raise_before_anything_is_touched) {
    SetGridHW = 17;
    using range = std::out_of_range;
    expectError<range>([] { CreateHighWater(0, 256); }, "CreateHighWater: Grid 0 is outside 1..600");
    expectError<range>([] { CreateHighWater(601, 256); }, "CreateHighWater: Grid 601 is outside 1..600");
    expectError<range>([] { CreateHighWater(40, 0); }, "CreateHighWater: Density 0 is below 1");
    expectError<range>([] { CreateHighWater(40, -3); }, "CreateHighWater: Density -3 is below 1");
    expectError<range>([] { MoveWater(-1, 256); }, "MoveWater: Grid -1 is outside 1..600");
    expectError<range>([] { MoveWater(40, INT_MIN); }, "MoveWater: Density -2147483648 is below 1");
    expectError<range>([] { InitPlane(1000); }, "InitPlane: Grid 1000 is outside 1..600");
    expectError<range>([] { RenderWater(0); }, "RenderWater: Grid 0 is outside 1..600");
    expectError<range>([] { Mirror(nullptr, 601); }, "Mirror: Grid 601 is outside 1..600");
    EXPECT_EQ(SetGridHW, 17);
}

TEST_F(WaterGrid, smallest_and_largest_grids_stay_inside_the_arrays) {
    PosHW[300][300] = 24000;
    MoveWater(600, 256);
    InitPlane(600);
    EXPECT_EQ(PosHW[300][300], 21000);
    expectVector(VertHW[600][600], 300, 0, 300);
    expectVector(VertHW[0][0], -300, 0, -300);
    MoveWater(1, 256);
    InitPlane(1);
    expectVector(VertHW[1][1], 0.5f, 0, 0.5f);
    expectVector(NormHW[1][1], 0, 1, 0);
}

// ---- Vertices and normals --------------------------------------------------------------------

TEST_F(WaterGrid, height_scale_is_131072_over_grid) {
    EXPECT_FLOAT_EQ(WaterHeightScale(40), 3276.8f);
    PosHW[10][10] = 32768;
    PosHW[11][10] = -3277;
    InitPlane(40);
    EXPECT_NEAR(VertHW[10][10].Y, 10.0f, 1e-5f);
    EXPECT_NEAR(VertHW[11][10].Y, -1.0f, 1e-4f);
}

TEST_F(WaterGrid, slope_tilts_the_normal_against_the_rising_side) {
    PosHW[21][20] = 6554;   // L = (6554, -6553.6, 0) at (20, 20)
    PosHW[20][19] = -6554;  // L = (0, -6553.6, 6554) at (20, 20) as well
    InitPlane(40);
    const float third = 1.0f / std::sqrt(3.0f);
    expectVector(NormHW[20][20], third, -third, third, 1e-4f);
    EXPECT_NEAR(VectorLength(NormHW[20][20]), 1.0f, 1e-6f);
}

TEST_F(WaterGrid, extreme_neighbour_heights_give_a_normal_without_overflow) {
    PosHW[21][20] = INT32_MAX;
    PosHW[19][20] = INT32_MIN;
    InitPlane(40);
    EXPECT_NEAR(NormHW[20][20].X, 1.0f, 1e-6f);
    EXPECT_LT(NormHW[20][20].Y, 0.0f);
}

// ---- Wave phase ------------------------------------------------------------------------------

TEST_F(WaterGrid, phase_turns_round_at_the_bounds) {
    UVHW = 0.9f;
    const float expected[] = {1.2f, 0.9f, 0.6f, 0.3f, 0.0f, -0.3f, -0.6f, -0.9f, -1.2f, -0.9f, -0.6f};
    for (float value : expected) {
        MuveUV(1, 1, 0.3f);
        EXPECT_NEAR(UVHW, value, 1e-5f);
    }
}

// ---- Drawing ---------------------------------------------------------------------------------

namespace {

class WaterGL : public GLTest<200, 150> {
  protected:
    void SetUpGL() override {
        resetWater();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

// Triangles drawn by `draw`, as window-space vertices (x, y, depth), read in feedback mode.
std::vector<std::array<float, 3>> feedbackVertices(const std::function<void()>& draw) {
    std::vector<std::array<float, 3>> vertices;
    for (const FedPrimitive& p : FeedbackOf(draw)) {
        EXPECT_EQ(p.token, static_cast<GLenum>(GL_POLYGON_TOKEN));
        for (const FedVertex& v : p.vertices) vertices.push_back({v.x, v.y, v.z});
    }
    return vertices;
}

struct GLSnapshot {
    GLint modelviewDepth, textureDepth, matrixMode, texture, cullMode;
    GLfloat modelview[16], textureMatrix[16];
    GLboolean blend, cull, depth, texture2D, stencil, clip0, genS, genT, genR, lighting;
    bool operator==(const GLSnapshot& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

GLSnapshot snapshot() {
    GLSnapshot s;
    std::memset(&s, 0, sizeof s);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &s.textureDepth);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    glGetIntegerv(GL_CULL_FACE_MODE, &s.cullMode);
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    glGetFloatv(GL_TEXTURE_MATRIX, s.textureMatrix);
    s.blend = glIsEnabled(GL_BLEND);
    s.cull = glIsEnabled(GL_CULL_FACE);
    s.depth = glIsEnabled(GL_DEPTH_TEST);
    s.texture2D = glIsEnabled(GL_TEXTURE_2D);
    s.stencil = glIsEnabled(GL_STENCIL_TEST);
    s.clip0 = glIsEnabled(GL_CLIP_PLANE0);
    s.genS = glIsEnabled(GL_TEXTURE_GEN_S);
    s.genT = glIsEnabled(GL_TEXTURE_GEN_T);
    s.genR = glIsEnabled(GL_TEXTURE_GEN_R);
    s.lighting = glIsEnabled(GL_LIGHTING);
    return s;
}

// The state a frame of the demonstration draws the water in: textures, depth test and culling
// on, blending off, a turned model-view matrix one push deep and a scaled texture matrix.
void enterFrameState(GLuint texture) {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(2, 3, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0, -5.5f, -30);
    glRotatef(25, 1, 0, 0);
}

GLuint makeTexture(const std::function<std::array<uint8_t, 3>(int, int)>& texel, int size) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const auto c = texel(x, y);
            rgb.insert(rgb.end(), c.begin(), c.end());
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

// What the mirrored-object procedure saw of the GL when it was called.
struct MirrorCall {
    int calls = 0;
    GLboolean stencil = 0, clip0 = 0, depth = 0, blend = 0;
    GLint stencilFunc = 0, cullMode = 0, twoSide = 0;
    GLdouble plane[4] = {};
    GLfloat modelview[16] = {};
};
MirrorCall mirrorCall;

void recordMirrorCall() {
    ++mirrorCall.calls;
    mirrorCall.stencil = glIsEnabled(GL_STENCIL_TEST);
    mirrorCall.clip0 = glIsEnabled(GL_CLIP_PLANE0);
    mirrorCall.depth = glIsEnabled(GL_DEPTH_TEST);
    mirrorCall.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_STENCIL_FUNC, &mirrorCall.stencilFunc);
    glGetIntegerv(GL_CULL_FACE_MODE, &mirrorCall.cullMode);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &mirrorCall.twoSide);
    glGetClipPlane(GL_CLIP_PLANE0, mirrorCall.plane);
    glGetFloatv(GL_MODELVIEW_MATRIX, mirrorCall.modelview);
}

float determinant3(const GLfloat m[16]) {
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

}  // namespace

TEST_F(WaterGL, surface_of_grid_40_spans_minus_20_to_20_in_both_passes) {
    // Top view: window x follows world x and window y follows -z, 4 pixels per unit.
    glViewport(0, 0, 200, 200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-25, 25, -25, 25, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(90, 1, 0, 0);
    glEnable(GL_CULL_FACE);
    const auto vertices = feedbackVertices([] { CreateHighWater(40, 256); });
    ASSERT_EQ(vertices.size(), 2u * 2 * 40 * 40 * 3);  // two passes of 40 strips of 80 triangles
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const auto& v : vertices) {
        minX = std::min(minX, v[0]), maxX = std::max(maxX, v[0]);
        minY = std::min(minY, v[1]), maxY = std::max(maxY, v[1]);
    }
    EXPECT_NEAR(minX / 4 - 25, -20, 1e-3);
    EXPECT_NEAR(maxX / 4 - 25, 20, 1e-3);
    EXPECT_NEAR(25 - maxY / 4, -20, 1e-3);
    EXPECT_NEAR(25 - minY / 4, 20, 1e-3);
    EXPECT_EQ(SetGridHW, 40);
}

TEST_F(WaterGL, wave_heights_stay_within_sin_1_over_3_and_reach_it) {
    CreateWaweHW(2200, 0.006f, 2);
    InitPlane(40);
    const double bound = std::sin(1.0) / 3;
    double highest = 0, lowest = 0;
    for (float phase : {0.0f, 0.37f, -1.5f, 2199.9f}) {
        UVHW = phase;
        RenderWater(40);
        EXPECT_NEAR(UVHW, phase + 0.006f, 1e-3f);
        for (int a = 0; a <= 40; ++a)
            for (int b = 0; b <= 40; ++b) {
                highest = std::max(highest, static_cast<double>(VertHW[a][b].Y));
                lowest = std::min(lowest, static_cast<double>(VertHW[a][b].Y));
                ASSERT_LE(std::abs(VertHW[a][b].Y), bound + 1e-6);
                ASSERT_FLOAT_EQ(NormHW[a][b].Y, (a % 40 && b % 40) ? -1.0f : 1.0f);  // kept from InitPlane
            }
    }
    EXPECT_GT(highest, bound - 0.01);
    EXPECT_LT(lowest, -bound + 0.01);
}

TEST_F(WaterGL, demo_frames_show_the_flat_grid_first_and_the_wave_after) {
    CreateHighWater(40, 256);
    CreateWaweHW(2200, 0.006f, 2);
    EXPECT_FLOAT_EQ(VertHW[20][20].Y, 0);
    EXPECT_FLOAT_EQ(UVHW, 0);
    CreateHighWater(40, 256);
    EXPECT_NEAR(UVHW, 0.012f, 1e-6f);  // two surface passes
    EXPECT_NE(VertHW[20][20].Y, 0);
}

TEST_F(WaterGL, reflection_effect_switches_sphere_and_reflection_mapping) {
    glShadeModel(GL_FLAT);
    EffectRealWater();
    GLint s = 0, t = 0, r = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &s);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &t);
    glGetTexGeniv(GL_R, GL_TEXTURE_GEN_MODE, &r);
    EXPECT_EQ(s, GL_SPHERE_MAP);
    EXPECT_EQ(t, GL_SPHERE_MAP);
    EXPECT_EQ(r, GL_REFLECTION_MAP);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S) && glIsEnabled(GL_TEXTURE_GEN_T) &&
                glIsEnabled(GL_TEXTURE_GEN_R));
    EXPECT_EQ(GLInteger(GL_SHADE_MODEL),
              GL_FLAT);  // the higher smoothing mode leaves the shading model alone
    glGetError();
    EffectRealWaterOff();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S) || glIsEnabled(GL_TEXTURE_GEN_T) ||
                 glIsEnabled(GL_TEXTURE_GEN_R));
    EXPECT_EQ(GLInteger(GL_SHADE_MODEL), GL_SMOOTH);
}

TEST_F(WaterGL, overlay_mode_restores_stacks_and_leaves_the_reflection_texture_bound) {
    GLuint names[2];
    glGenTextures(2, names);
    TextureHW = names[0];
    TextureReflectHW = names[1];
    enterFrameState(TextureHW);
    GLSnapshot expected = snapshot();
    CreateHighWater(40, 256);
    expected.texture = static_cast<GLint>(TextureReflectHW);
    EXPECT_TRUE(snapshot() == expected);
    GLint blend[2];
    glGetIntegerv(GL_BLEND_SRC, &blend[0]);
    glGetIntegerv(GL_BLEND_DST, &blend[1]);
    EXPECT_EQ(blend[0], GL_SRC_COLOR);
    EXPECT_EQ(blend[1], GL_ONE);
}

// Inside a cube-map bracket the texture matrix is current: the surface must still push and pop
// the model-view stack, and hand the caller back its texture mode and both stacks unchanged.
TEST_F(WaterGL, texture_matrix_mode_of_the_caller_leaves_both_stacks_as_found) {
    enterFrameState(0);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    for (int frame = 0; frame < 12; ++frame) {
        GLSnapshot expected = snapshot();
        CreateHighWater(40, 256);
        GLSnapshot after = snapshot();
        expected.texture = after.texture;
        expected.blend = after.blend;
        ASSERT_TRUE(after == expected) << "frame " << frame;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WaterGL, mirror_mode_restores_stacks_and_enables_and_draws_the_object_once_masked_and_clipped) {
    GLuint names[2];
    glGenTextures(2, names);
    TextureHW = names[0];
    TextureReflectHW = names[1];
    MirrorHW = true;
    MirrorObjHW = recordMirrorCall;
    mirrorCall = {};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();  // identity model-view: eye space is the caller's frame
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    GLSnapshot expected = snapshot();
    CreateHighWater(40, 256);
    expected.texture = static_cast<GLint>(TextureReflectHW);
    EXPECT_TRUE(snapshot() == expected);
    GLboolean colourMask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    EXPECT_TRUE(colourMask[0] && colourMask[1] && colourMask[2] && colourMask[3]);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0], 0.1f, 1e-6f);
    EXPECT_NEAR(colour[3], 0.1f, 1e-6f);

    ASSERT_EQ(mirrorCall.calls, 1);
    EXPECT_TRUE(mirrorCall.stencil && mirrorCall.clip0 && mirrorCall.depth && mirrorCall.blend);
    EXPECT_EQ(mirrorCall.stencilFunc, GL_EQUAL);
    EXPECT_EQ(mirrorCall.cullMode, GL_FRONT);
    EXPECT_EQ(mirrorCall.twoSide, 1);
    // The clip plane keeps the half space below the surface, in the caller's frame.
    EXPECT_NEAR(mirrorCall.plane[0], 0, 1e-6);
    EXPECT_NEAR(mirrorCall.plane[1], -1, 1e-6);
    EXPECT_NEAR(mirrorCall.plane[2], 0, 1e-6);
    EXPECT_NEAR(mirrorCall.plane[3], 0, 1e-6);
    EXPECT_NEAR(determinant3(mirrorCall.modelview), -1.0f, 1e-5f);  // a reflection
    EXPECT_EQ(GLInteger(GL_LIGHT_MODEL_TWO_SIDE), 0);
    glPopMatrix();
}

TEST_F(WaterGL, mirror_mode_without_an_object_procedure_mirrors_nothing) {
    MirrorHW = true;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    const GLSnapshot expected = snapshot();
    CreateHighWater(40, 256);
    EXPECT_TRUE(snapshot() == expected);
}

// ---- Picture ---------------------------------------------------------------------------------

namespace {

// A 400 x 300 view of the demonstration's water: textured, lit like the demo, 30 units away and
// looking down by 30 degrees, the surface 5.5 units below the scene's origin.
class WaterPicture : public GLTest<400, 300> {
  protected:
    static constexpr int width = 400, height = 300;

    void SetUpGL() override {
        resetWater();
        TextureHW = makeTexture(waterTexel, 32);
        TextureReflectHW = makeTexture(skyTexel, 64);
        glClearColor(0.05f, 0.05f, 0.1f, 1);
        glMatrixMode(GL_PROJECTION);
        gluPerspective(45, static_cast<double>(width) / height, 0.1, 120);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);  // the overlay pass lies on the base pass
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
        glTranslatef(0, 0, -30);
        glRotatef(30, 1, 0, 0);
        PutGLPointLight(GL_LIGHT0, 0, 0, 10, 0, 0.1f);
        TextureOn();
        SetGLNewMat(0.25f, 0.25f, 0.25f, 0, 0, 0, 0.125f, 0.125f, 0.125f, 0.25f, 0.25f, 0.25f, 25);
        glTranslatef(0, -5.5f, 0);
    }

    // Draws `frames` frames as the demonstration does and returns the last one, also written to
    // `file` in the build folder.
    std::vector<uint8_t> drawFrames(int frames, const char* file) {
        for (int frame = 0; frame < frames; ++frame) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            CreateHighWater(40, 256);
            CreateWaweHW(2200, 0.006f, 2);
        }
        auto pixels = ReadPixelsTopDown(width, height);
        EXPECT_TRUE(WritePPM((std::string(VTRL_BINARY_DIR) + "/" + file).c_str(), pixels, width, height));
        return pixels;
    }

    static const uint8_t* at(const std::vector<uint8_t>& pixels, int x, int y) {
        return &pixels[(static_cast<size_t>(y) * width + x) * 4];
    }

    static std::array<uint8_t, 3> waterTexel(int x, int y) {
        const int ripple = static_cast<int>(20 * std::sin(x * 0.4) * std::cos(y * 0.3));
        return {static_cast<uint8_t>(30 + ripple), static_cast<uint8_t>(90 + ripple),
                static_cast<uint8_t>(160 + ripple)};
    }
    static std::array<uint8_t, 3> skyTexel(int x, int y) {
        const uint8_t sky = static_cast<uint8_t>(std::hypot(x - 20, y - 12) < 6 ? 255 : 110 + y * 2);
        return {sky, sky, static_cast<uint8_t>(std::min(255, 170 + y))};
    }
};

// The mirrored object: an unlit, untextured red slab standing above the surface, wider than the
// surface so that its reflection would spill past the surface's edges without the stencil.
void drawRedSlab() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(15, 1, -60);
    glVertex3f(15, 1, 60);
    glVertex3f(15, 9, 60);
    glVertex3f(15, 9, -60);
    glEnd();
    glPopAttrib();
}

}  // namespace

TEST_F(WaterPicture, lit_waving_surface_under_perspective) {
    const auto pixels = drawFrames(40, "water.ppm");
    // The top corners show the clear colour; the surface fills the lower middle.
    EXPECT_NEAR(at(pixels, 5, 5)[2], 26, 1);
    EXPECT_GE(at(pixels, 200, 200)[2], 40);
    // The wave shades the surface unevenly.
    std::vector<int> column;
    for (int y = 150; y < 290; y += 4) {
        const uint8_t* p = at(pixels, 200, y);
        column.push_back(p[0] + p[1] + p[2]);
    }
    EXPECT_GE(std::ranges::max(column) - std::ranges::min(column), 20);
    // The base pass alone never passes red 15 (0.3 x 50); the additive overlay does.
    int reddest = 0;
    for (int y = 150; y < height; ++y)
        for (int x = 0; x < width; ++x) reddest = std::max<int>(reddest, at(pixels, x, y)[0]);
    EXPECT_GT(reddest, 20);
}

TEST_F(WaterPicture, mirror_shows_the_object_only_where_the_surface_covers) {
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);  // as the demonstration draws its water: depth writes off
    const auto plain = drawFrames(3, "water_plain.ppm");
    const GLName textures[2] = {TextureHW, TextureReflectHW};
    resetWater();
    TextureHW = textures[0];
    TextureReflectHW = textures[1];
    MirrorHW = true;
    MirrorObjHW = drawRedSlab;
    const auto mirrored = drawFrames(3, "water_mirror.ppm");
    // Mirror mode advances the wave three times a frame instead of two, so the surface's outline
    // moves a little between the pictures: a pixel counts as surface within 2 pixels of one.
    auto nearSurface = [&](int x, int y) {
        for (int v = std::max(0, y - 2); v <= std::min(height - 1, y + 2); ++v)
            for (int u = std::max(0, x - 2); u <= std::min(width - 1, x + 2); ++u)
                if (at(plain, u, v)[2] != 26) return true;  // anything but the clear colour
        return false;
    };
    int inside = 0, outside = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (at(mirrored, x, y)[0] > 150) ++(nearSurface(x, y) ? inside : outside);
    EXPECT_GT(inside, 10000);
    EXPECT_EQ(outside, 0);
}
