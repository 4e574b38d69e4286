// The solids through GL feedback: the box's faces, windings, normals and texture repeats; the
// sphere's and torus's strips, surfaces, normals and texture coordinates; LineFree's vertex
// pairs; and the model-view stack each leaves behind.
#include "vitrail/solids.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <algorithm>
#include <vector>

#include "feedback_capture.h"
#include "support/gl_test.h"

namespace {

constexpr float tol = 1e-3f;

using SolidsTest = GLTest<64, 64>;

bool near(float a, float b) {
    return std::abs(a - b) < tol;
}

// The texture coordinate a corner of the box carries, by face, for repeat count T: faces z = Z2,
// z = Z1, y = Y2, y = Y1, x = X2, x = X1 of the box (-5, -5, -5)..(5, 5, 5).
std::pair<float, float> expectedBoxTexCoord(int face, const CapturedVertex& v, float T) {
    const auto hi = [](float c) { return c > 0; };
    const auto lo = [](float c) { return c < 0; };
    switch (face) {
        case 0:
            return {hi(v.x) ? T : 0, hi(v.y) ? T : 0};
        case 1:
            return {lo(v.x) ? T : 0, hi(v.y) ? T : 0};
        case 2:
            return {hi(v.x) ? T : 0, lo(v.z) ? T : 0};
        case 3:
            return {lo(v.x) ? T : 0, lo(v.z) ? T : 0};
        case 4:
            return {lo(v.z) ? T : 0, hi(v.y) ? T : 0};
        default:
            return {hi(v.z) ? T : 0, hi(v.y) ? T : 0};
    }
}

TEST_F(SolidsTest, box_draws_six_outward_counter_clockwise_faces_in_order) {
    const auto draw = [] { Cubo(0, 0, 0, -5, -5, -5, 5, 5, 5, 3); };
    const auto prims = CaptureFeedback(draw);
    const auto normals = CaptureFeedback(draw, 100.0f, true);
    ASSERT_EQ(prims.size(), 12u);
    ASSERT_EQ(normals.size(), 12u);
    // Outward direction of each face in drawing order.
    const float out[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
    for (size_t i = 0; i < prims.size(); ++i) {
        const int face = static_cast<int>(i / 2);
        SCOPED_TRACE(face);
        const auto& o = out[face];
        const auto w = WindingNormal(prims[i]);
        EXPECT_GT(w[0] * o[0] + w[1] * o[1] + w[2] * o[2], 0.0f);  // counter-clockwise from outside
        for (size_t k = 0; k < 3; ++k) {
            const CapturedVertex& v = prims[i].vertices[k];
            EXPECT_NEAR(v.x * o[0] + v.y * o[1] + v.z * o[2], 5.0f, tol);  // on the face's plane
            const auto [s, t] = expectedBoxTexCoord(face, v, 3.0f);
            EXPECT_NEAR(v.s, s, tol);
            EXPECT_NEAR(v.t, t, tol);
            const CapturedVertex& n = normals[i].vertices[k];
            EXPECT_NEAR(n.s, o[0], tol);
            EXPECT_NEAR(n.t, o[1], tol);
            EXPECT_NEAR(n.r, o[2], tol);
        }
    }
}

TEST_F(SolidsTest, box_is_moved_by_its_offset_and_leaves_the_stack_as_found) {
    const GLint depth = GLInteger(GL_MODELVIEW_STACK_DEPTH);
    const auto prims = CaptureFeedback([] { Cubo(1, 2, 3, 0, 0, 0, 2, 4, 6, 1); });
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), depth);
    ASSERT_EQ(prims.size(), 12u);
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (const auto& p : prims)
        for (const auto& v : p.vertices) {
            const float c[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
            EXPECT_TRUE((near(v.s, 0) || near(v.s, 1)) && (near(v.t, 0) || near(v.t, 1)));
        }
    const float wantLo[3] = {1, 2, 3}, wantHi[3] = {3, 6, 9};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(lo[a], wantLo[a], tol);
        EXPECT_NEAR(hi[a], wantHi[a], tol);
    }
}

// Vertex k of sphere strip i (radius r at the origin): even k on ring i, odd k on ring i + 1,
// at azimuth k / 2 steps.
ExpectedVertex sphereVertex(int i, int k, double r, int circles, int lines, double tSize) {
    const int j = k / 2, ring = i + k % 2;
    const double a = ring * std::numbers::pi / lines, w = j * 2 * std::numbers::pi / circles;
    return {r * std::sin(a) * std::cos(w), r * std::sin(a) * std::sin(w), r * std::cos(a),
            -static_cast<double>(j) / circles / tSize, static_cast<double>(ring) / lines / tSize};
}

TEST_F(SolidsTest, demo_sphere_is_42_strips_of_86_vertices_from_the_north_pole) {
    const auto draw = [] { Sfera(0, 0, 0, 8, 42, 42, 1); };
    const auto tris = CaptureFeedback(draw);
    // A strip of 86 vertices is 84 triangles; triangle k of strip i joins its vertices k, k + 1
    // and k + 2.
    ASSERT_EQ(tris.size(), 42u * 84u);
    for (int i = 0; i < 42; ++i)
        for (int k = 0; k < 84; ++k)
            ASSERT_TRUE(CoversExactly({&tris[static_cast<size_t>(i * 84 + k)]},
                                      {sphereVertex(i, k, 8, 42, 42, 1), sphereVertex(i, k + 1, 8, 42, 42, 1),
                                       sphereVertex(i, k + 2, 8, 42, 42, 1)}))
                << "strip " << i << " triangle " << k;
    const CapturedVertex& first = tris[0].vertices[0];
    EXPECT_TRUE(SameVertex(first, {0, 0, 8, 0, 0}));
    // Normals point outwards: the first vertex has (0, 0, 1), every vertex its position / radius.
    const auto normals = CaptureFeedback(draw, 100.0f, true);
    ASSERT_EQ(normals.size(), tris.size());
    EXPECT_NEAR(normals[0].vertices[0].r, 1, tol);
    for (size_t i = 0; i < tris.size(); i += 97)
        for (size_t k = 0; k < 3; ++k) {
            const auto &v = tris[i].vertices[k], &n = normals[i].vertices[k];
            EXPECT_NEAR(n.s, v.x / 8, tol);
            EXPECT_NEAR(n.t, v.y / 8, tol);
            EXPECT_NEAR(n.r, v.z / 8, tol);
        }
}

TEST_F(SolidsTest, sphere_is_placed_by_adding_its_centre_and_divides_texture_by_size) {
    const GLint depth = GLInteger(GL_MODELVIEW_STACK_DEPTH);
    const auto tris = CaptureFeedback([] { Sfera(1, -2, 3, 2, 8, 4, 2); });
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), depth);
    ASSERT_EQ(tris.size(), 4u * 16u);
    for (const auto& p : tris)
        for (const auto& v : p.vertices) {
            EXPECT_NEAR(std::hypot(v.x - 1, v.y + 2, v.z - 3), 2, tol);
            EXPECT_GE(v.s, -0.5f - tol);
            EXPECT_LE(v.t, 0.5f + tol);
        }
    EXPECT_NEAR(tris[0].vertices[0].z, 5, tol);
}

// Vertex k of torus strip i (tube 2, ring 6, 32 by 32): even k on ring angle i + 1, odd k on
// ring angle i, at tube angle k / 2 + 1 steps; the texture repeats the plane's x and y.
ExpectedVertex torusVertex(int i, int k) {
    const double step = 2 * std::numbers::pi / 32;
    const double theta = (i + (k % 2 == 0 ? 1 : 0)) * step, phi = (k / 2 + 1) * step;
    const double dist = 6 + 2 * std::cos(phi);
    const double x = std::cos(theta) * dist, y = -std::sin(theta) * dist;
    return {x, y, 2 * std::sin(phi), x, y};
}

TEST_F(SolidsTest, demo_torus_is_32_strips_of_66_vertices_on_its_surface) {
    const GLint depth = GLInteger(GL_MODELVIEW_STACK_DEPTH);
    const auto draw = [] { Toroide(0, 0, 0, 2, 6, 32, 32); };
    const auto tris = CaptureFeedback(draw);
    EXPECT_EQ(GLInteger(GL_MODELVIEW_STACK_DEPTH), depth);
    // A quad strip of 66 vertices is 32 quads, each split into two triangles; quad q of strip i
    // joins its vertices 2q .. 2q + 3. The first pair sits one side step past 0.
    ASSERT_EQ(tris.size(), 32u * 32u * 2u);
    for (int i = 0; i < 32; ++i)
        for (int q = 0; q < 32; ++q) {
            const size_t t = static_cast<size_t>((i * 32 + q) * 2);
            ASSERT_TRUE(CoversExactly({&tris[t], &tris[t + 1]},
                                      {torusVertex(i, 2 * q), torusVertex(i, 2 * q + 1),
                                       torusVertex(i, 2 * q + 2), torusVertex(i, 2 * q + 3)}))
                << "strip " << i << " quad " << q;
        }
    float outer = 0, top = -1e9f, bottom = 1e9f;
    for (const auto& p : tris)
        for (const auto& v : p.vertices) {
            outer = std::max(outer, std::hypot(v.x, v.y));
            top = std::max(top, v.z);
            bottom = std::min(bottom, v.z);
        }
    EXPECT_NEAR(outer, 8, tol);
    EXPECT_NEAR(top - bottom, 4, 0.02);
    // Normals are unit vectors from the tube's centre line.
    const auto normals = CaptureFeedback(draw, 100.0f, true);
    ASSERT_EQ(normals.size(), tris.size());
    for (size_t i = 0; i < tris.size(); i += 61)
        for (size_t k = 0; k < 3; ++k) {
            const auto &v = tris[i].vertices[k], &n = normals[i].vertices[k];
            const float radial = std::hypot(v.x, v.y);
            EXPECT_NEAR(n.s, v.x / radial * (radial - 6) / 2, tol);
            EXPECT_NEAR(n.t, v.y / radial * (radial - 6) / 2, tol);
            EXPECT_NEAR(n.r, v.z / 2, tol);
        }
}

TEST_F(SolidsTest, line_free_sends_two_vertices_with_or_without_texture_coordinates) {
    const auto prims = CaptureFeedback([] {
        glTexCoord2f(0.7f, 0.3f);
        glBegin(GL_LINES);
        LineFree(1, 2, 3, 4, 1, 2, 3, 4, 5, 6, false);
        LineFree(0.25f, 0.5f, 0.75f, 1, -1, -2, -3, -4, -5, -6, true);
        glEnd();
    });
    ASSERT_EQ(prims.size(), 2u);
    for (const auto& p : prims) EXPECT_TRUE(p.token == GL_LINE_TOKEN || p.token == GL_LINE_RESET_TOKEN);
    // Without texture the current coordinate (0.7, 0.3) stays on both vertices.
    EXPECT_TRUE(SameVertex(prims[0].vertices[0], {1, 2, 3, 0.7, 0.3}));
    EXPECT_TRUE(SameVertex(prims[0].vertices[1], {4, 5, 6, 0.7, 0.3}));
    EXPECT_TRUE(SameVertex(prims[1].vertices[0], {-1, -2, -3, 0.25, 0.5}));
    EXPECT_TRUE(SameVertex(prims[1].vertices[1], {-4, -5, -6, 0.75, 1}));
}

}  // namespace
