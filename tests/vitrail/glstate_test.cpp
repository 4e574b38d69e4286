// GL state switches: the 2D overlay projection and offsets, the point light and its marker, the
// material colours, shading, two-sided lighting, sprite blending, texturing and FindNormal.
#include "vitrail/glstate.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/gl_test.h"
#include "vitrail/window.h"

namespace {

// Runs OpenGL_I2D on a window size of w x h and puts the globals back afterwards.
void overlayOn(int32_t w, int32_t h) {
    const int32_t oldWidth = Width, oldHeight = Height;
    Width = w;
    Height = h;
    OpenGL_I2D(0.25, 0.5, 0.75, 1.0);
    Width = oldWidth;
    Height = oldHeight;
}

std::vector<GLdouble> matrix(GLenum which) {
    std::vector<GLdouble> m(16);
    glGetDoublev(which, m.data());
    return m;
}

// The orthographic box glOrtho(l, r, b, t, n, f) as a column-major matrix.
std::vector<GLdouble> ortho(double l, double r, double b, double t, double n, double f) {
    return {2 / (r - l),
            0,
            0,
            0,
            0,
            2 / (t - b),
            0,
            0,
            0,
            0,
            -2 / (f - n),
            0,
            -(r + l) / (r - l),
            -(t + b) / (t - b),
            -(f + n) / (f - n),
            1};
}

void expectMatrix(const std::vector<GLdouble>& got, const std::vector<GLdouble>& want) {
    for (size_t i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << "element " << i;
}

// Draws through PutGLPointLight in feedback mode and returns the feedback buffer.
std::vector<GLfloat> pointLightFeedback(float size) {
    std::vector<GLfloat> buffer(64, -1.0f);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    PutGLPointLight(GL_LIGHT0, size, 0, 10, 0, 0.1f);
    buffer.resize(static_cast<size_t>(glRenderMode(GL_RENDER)));
    return buffer;
}

}  // namespace

TEST(OverlaySetUp, wide_window_gives_fixed_offsets_and_aspect_kept_box) {
    GLTestContext gl(64, 48);
    ASSERT_TRUE(gl.ok());
    glMatrixMode(GL_TEXTURE);
    overlayOn(800, 600);
    EXPECT_FLOAT_EQ(OffX, -2.05f);
    EXPECT_FLOAT_EQ(OffY, -1.45f);
    expectMatrix(matrix(GL_PROJECTION_MATRIX), ortho(-2, 2, -1.5, 1.5, -2, 2));
    expectMatrix(matrix(GL_MODELVIEW_MATRIX), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.5f);  // R, G, B, then A
    EXPECT_FLOAT_EQ(clear[1], 0.75f);
    EXPECT_FLOAT_EQ(clear[2], 1.0f);
    EXPECT_FLOAT_EQ(clear[3], 0.25f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_EQ(GLInteger(GL_DEPTH_FUNC), GL_LEQUAL);
}

TEST(OverlaySetUp, tall_window_shifts_offsets_by_whole_ratio) {
    GLTestContext gl(48, 64);
    ASSERT_TRUE(gl.ok());
    overlayOn(600, 800);
    EXPECT_FLOAT_EQ(OffX, -1.05f);
    EXPECT_FLOAT_EQ(OffY, -0.45f);
    const double top = 2.0 * 800 / 600;
    expectMatrix(matrix(GL_PROJECTION_MATRIX), ortho(-2, 2, -top, top, -2, 2));
}

using PointLight = GLTest<64, 64>;

TEST_F(PointLight, size_zero_only_moves_the_light) {
    glMatrixMode(GL_PROJECTION);
    glOrtho(-20, 20, -20, 20, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    EXPECT_TRUE(pointLightFeedback(0).empty());
    EXPECT_FLOAT_EQ(LightPosition[1], 10.0f);
    EXPECT_FLOAT_EQ(LightPosition[3], 0.1f);
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[0], 0.0f);
    EXPECT_FLOAT_EQ(position[1], 10.0f);
    EXPECT_FLOAT_EQ(position[2], 0.0f);
    EXPECT_FLOAT_EQ(position[3], 0.1f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(PointLight, nonzero_size_draws_one_point_of_that_size) {
    glMatrixMode(GL_PROJECTION);
    glOrtho(-20, 20, -20, 20, -20, 20);
    glMatrixMode(GL_MODELVIEW);
    const std::vector<GLfloat> fb = pointLightFeedback(5);
    ASSERT_EQ(fb.size(), 4u);
    EXPECT_EQ(fb[0], static_cast<GLfloat>(GL_POINT_TOKEN));
    EXPECT_FLOAT_EQ(fb[1], 32.0f);  // x = 0 in the middle of 64 pixels
    EXPECT_FLOAT_EQ(fb[2], 48.0f);  // y = 10 of 20 above the middle
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_FLOAT_EQ(size, 5.0f);
}

using Material = GLTest<16, 16>;

TEST_F(Material, sets_all_five_properties_on_both_faces) {
    SetGLNewMat(0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 0.15f, 0.25f, 0.35f, 25);
    const struct {
        GLenum what;
        float rgb[3];
    } expected[] = {{GL_AMBIENT, {0.1f, 0.2f, 0.3f}},
                    {GL_DIFFUSE, {0.4f, 0.5f, 0.6f}},
                    {GL_SPECULAR, {0.7f, 0.8f, 0.9f}},
                    {GL_EMISSION, {0.15f, 0.25f, 0.35f}}};
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        for (const auto& e : expected) {
            GLfloat got[4];
            glGetMaterialfv(face, e.what, got);
            for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(got[i], e.rgb[i]) << "property " << e.what;
            EXPECT_FLOAT_EQ(got[3], 1.0f);
        }
        GLfloat shine = 0;
        glGetMaterialfv(face, GL_SHININESS, &shine);
        EXPECT_FLOAT_EQ(shine, 25.0f);
    }
}

using Switches = GLTest<16, 16>;

TEST_F(Switches, shading_two_side_and_texturing_read_back) {
    glShadeModel(GL_FLAT);
    SetGLHiSmooth();  // no higher model exists: the one in force stays
    EXPECT_EQ(GLInteger(GL_SHADE_MODEL), GL_FLAT);
    SetGLSmooth();
    SetGLHiSmooth();
    EXPECT_EQ(GLInteger(GL_SHADE_MODEL), GL_SMOOTH);
    TwoSideOn();
    EXPECT_EQ(GLInteger(GL_LIGHT_MODEL_TWO_SIDE), 1);
    TwoSideOff();
    EXPECT_EQ(GLInteger(GL_LIGHT_MODEL_TWO_SIDE), 0);
    TextureOn();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    TextureOff();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Switches, sprite_light_is_additive_and_stops_depth_writes) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    SetGLSprite(false);
    EXPECT_EQ(GLInteger(GL_BLEND_SRC), GL_SRC_ALPHA);  // left as it was
    EXPECT_EQ(GLInteger(GL_BLEND_DST), GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GLInteger(GL_DEPTH_WRITEMASK), GL_FALSE);
    SetGLSpriteOff();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetGLSprite(true);
    EXPECT_EQ(GLInteger(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(GLInteger(GL_BLEND_DST), GL_ONE);
}

TEST_F(Switches, sprite_off_restores_depth_writes_and_disables_blend_and_alpha_test) {
    SetGLSprite(true);
    glEnable(GL_ALPHA_TEST);
    SetGLSpriteOff();
    EXPECT_EQ(GLInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
}

TEST(FindNormalTest, counter_clockwise_triangle_faces_the_viewer) {
    FindNormal(0, 0, 0, 1, 0, 0, 0, 1, 0);
    EXPECT_DOUBLE_EQ(FNormal[1], 0.0);
    EXPECT_DOUBLE_EQ(FNormal[2], 0.0);
    EXPECT_DOUBLE_EQ(FNormal[3], 1.0);
    FindNormal(0, 0, 0, 0, 1, 0, 1, 0, 0);  // the same triangle turned clockwise
    EXPECT_DOUBLE_EQ(FNormal[3], -1.0);
    FindNormal(0, 0, 0, 2, 0, 0, 0, 0, 2);  // in the x-z plane, length 4 before reduction
    EXPECT_DOUBLE_EQ(FNormal[1], 0.0);
    EXPECT_NEAR(FNormal[2], -1.0, 1e-7);
    EXPECT_DOUBLE_EQ(FNormal[3], 0.0);
}

TEST(FindNormalTest, degenerate_triangle_gives_zero_vector) {
    FindNormal(1, 2, 3, 1, 2, 3, 1, 2, 3);
    EXPECT_EQ(FNormal[1], 0.0);
    EXPECT_EQ(FNormal[2], 0.0);
    EXPECT_EQ(FNormal[3], 0.0);
    FindNormal(0, 0, 0, 1, 1, 1, 2, 2, 2);  // collinear
    EXPECT_EQ(FNormal[1], 0.0);
    EXPECT_EQ(FNormal[3], 0.0);
}
