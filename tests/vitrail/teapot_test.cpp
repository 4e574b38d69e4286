// The teapot through GL feedback: the number of evaluated meshes for each resolution, the shape's
// extent, placement and scale, outward normals against the patches' clockwise winding, the
// texture net, and the GL state it restores.
#include "vitrail/teapot.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "feedback_capture.h"
#include "support/gl_test.h"

namespace {

constexpr float tol = 1e-3f;

using TeapotTest = GLTest<64, 64>;

struct Box {
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
};

Box extentOf(const std::vector<CapturedPrimitive>& prims) {
    Box b;
    for (const auto& p : prims)
        for (const auto& v : p.vertices) {
            const float c[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) b.lo[a] = std::min(b.lo[a], c[a]), b.hi[a] = std::max(b.hi[a], c[a]);
        }
    return b;
}

TEST_F(TeapotTest, evaluates_32_meshes_and_raises_resolution_1_to_2) {
    // Each mesh of an n by n grid is n * n quads, two triangles each. Six patches are drawn in
    // four quadrants and four on two sides: 32 meshes.
    const auto trianglesAt = [](int32_t res) {
        return CaptureFeedback([res] { PutGLTeapot(0, 0, 0, 1, res); }).size();
    };
    EXPECT_EQ(trianglesAt(1), 32u * 2 * 2 * 2);
    EXPECT_EQ(trianglesAt(2), 32u * 2 * 2 * 2);
    EXPECT_EQ(trianglesAt(-5), 32u * 2 * 2 * 2);
    EXPECT_EQ(trianglesAt(3), 32u * 3 * 3 * 2);
    EXPECT_EQ(trianglesAt(10), 32u * 10 * 10 * 2);
}

TEST_F(TeapotTest, stands_on_the_xy_plane_lid_up_spout_towards_plus_x) {
    const Box b = extentOf(CaptureFeedback([] { PutGLTeapot(0, 0, 0, 1, 16); }));
    EXPECT_NEAR(b.lo[2], 0.0f, tol);   // base
    EXPECT_NEAR(b.hi[2], 3.15f, tol);  // lid knob
    EXPECT_NEAR(b.lo[0], -3.0f, tol);  // handle
    EXPECT_GT(b.hi[0], 3.4f);          // spout tip, inside its outermost control point 3.525
    EXPECT_LT(b.hi[0], 3.525f);
    EXPECT_NEAR(b.lo[1], -2.0f, tol);  // body, mirrored across the XZ plane
    EXPECT_NEAR(b.hi[1], 2.0f, tol);
}

TEST_F(TeapotTest, is_scaled_then_moved) {
    const Box unit = extentOf(CaptureFeedback([] { PutGLTeapot(0, 0, 0, 1, 4); }));
    const Box moved = extentOf(CaptureFeedback([] { PutGLTeapot(1, 2, 3, 2, 4); }));
    const float offset[3] = {1, 2, 3};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(moved.lo[a], 2 * unit.lo[a] + offset[a], tol);
        EXPECT_NEAR(moved.hi[a], 2 * unit.hi[a] + offset[a], tol);
    }
}

TEST_F(TeapotTest, body_normals_point_outwards_and_patches_wind_clockwise_from_outside) {
    const auto draw = [] { PutGLTeapot(0, 0, 0, 1, 4); };
    const auto tris = CaptureFeedback(draw);
    const auto normals = CaptureFeedback(draw, 100.0f, true);
    ASSERT_EQ(tris.size(), normals.size());
    int checked = 0;
    for (size_t i = 0; i < tris.size(); ++i) {
        const auto w = WindingNormal(tris[i]);
        for (size_t k = 0; k < 3; ++k) {
            const auto &v = tris[i].vertices[k], &n = normals[i].vertices[k];
            // Body vertices away from the spout's and handle's joints.
            if (std::hypot(v.x, v.y) < 1.5f || v.z < 0.3f || v.z > 2.2f || std::abs(v.y) < 0.5f) continue;
            ++checked;
            EXPECT_GT(n.s * v.x + n.t * v.y, 0.0f) << "inward normal at " << v.x << " " << v.y << " " << v.z;
            EXPECT_LT(w[0] * n.s + w[1] * n.t + w[2] * n.r, 0.0f) << "counter-clockwise from outside";
        }
    }
    EXPECT_GT(checked, 100);
}

TEST_F(TeapotTest, texture_coordinates_span_each_patch_once) {
    const auto tris = CaptureFeedback([] { PutGLTeapot(0, 0, 0, 1, 2); });
    int corners = 0;
    for (const auto& p : tris)
        for (const auto& v : p.vertices) {
            EXPECT_TRUE(std::abs(v.s) < tol || std::abs(v.s - 0.5f) < tol || std::abs(v.s - 1) < tol) << v.s;
            EXPECT_TRUE(std::abs(v.t) < tol || std::abs(v.t - 0.5f) < tol || std::abs(v.t - 1) < tol) << v.t;
            if (std::abs(v.s - 1) < tol && std::abs(v.t - 1) < tol) ++corners;
        }
    EXPECT_GE(corners, 32);  // every mesh reaches (1, 1)
}

TEST_F(TeapotTest, restores_evaluator_enable_and_polygon_state) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glMapGrid2f(7, 0, 1, 5, 0, 1);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    PutGLTeapot(0, 0, 0, 1, 8);
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_FALSE(glIsEnabled(GL_AUTO_NORMAL));
    EXPECT_FALSE(glIsEnabled(GL_MAP2_VERTEX_3));
    EXPECT_FALSE(glIsEnabled(GL_MAP2_TEXTURE_COORD_2));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint segments[2] = {};
    EXPECT_EQ(GLInteger(GL_CULL_FACE_MODE), GL_BACK);
    glGetIntegerv(GL_MAP2_GRID_SEGMENTS, segments);
    EXPECT_EQ(segments[0], 7);
    EXPECT_EQ(segments[1], 5);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
