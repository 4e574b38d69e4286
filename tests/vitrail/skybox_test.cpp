// The sky box and its grid-cell quad, through GL feedback: where each wall lies, which cell of
// the sky texture it shows, that every wall faces the centre, and the state left behind.
#include "vitrail/skybox.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <vector>

#include "feedback_capture.h"
#include "support/gl_test.h"

namespace {

// Extent of a set of captured triangles: positions and texture coordinates.
struct Extent {
    float lo[5] = {1e9f, 1e9f, 1e9f, 1e9f, 1e9f}, hi[5] = {-1e9f, -1e9f, -1e9f, -1e9f, -1e9f};
    void add(const CapturedVertex& v) {
        const float c[5] = {v.x, v.y, v.z, v.s, v.t};
        for (int i = 0; i < 5; ++i) lo[i] = std::min(lo[i], c[i]), hi[i] = std::max(hi[i], c[i]);
    }
};

constexpr float tol = 1e-3f;

void expectExtent(const Extent& e, std::array<float, 10> want) {
    const char* names[5] = {"x", "y", "z", "s", "t"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(e.lo[i], want[static_cast<size_t>(2 * i)], tol) << names[i] << " low";
        EXPECT_NEAR(e.hi[i], want[static_cast<size_t>(2 * i + 1)], tol) << names[i] << " high";
    }
}

using SkyBoxTest = GLTest<64, 64>;

TEST_F(SkyBoxTest, find_character_draws_one_cell_on_a_counter_clockwise_quad) {
    const auto prims = CaptureFeedback([] { FindCharacter(0, 0, 1, 0, 1, 1, 4, 2); });
    ASSERT_EQ(prims.size(), 2u);  // the quad as two triangles
    Extent e;
    for (const auto& p : prims) {
        ASSERT_EQ(p.vertices.size(), 3u);
        EXPECT_GT(WindingNormal(p)[2], 0.0f);
        for (const auto& v : p.vertices) {
            e.add(v);
            // Each corner carries the cell's corner: x -1..1 maps to s 0.25..0.5, y -1..1 to t 0.5..1.
            EXPECT_NEAR(v.s, 0.375f + 0.125f * v.x, tol);
            EXPECT_NEAR(v.t, 0.75f + 0.25f * v.y, tol);
        }
    }
    expectExtent(e, {-1, 1, -1, 1, 0, 0, 0.25f, 0.5f, 0.5f, 1});
}

TEST_F(SkyBoxTest, find_character_moves_the_quad_and_takes_fractional_cells) {
    const auto prims = CaptureFeedback([] { FindCharacter(3, -2, 0.5f, 1, 2, 0.5f, 2, 4); });
    Extent e;
    for (const auto& p : prims)
        for (const auto& v : p.vertices) e.add(v);
    // s0 = 0.5 / 2, s1 = s0 + 1 / 2; t1 = 1 - 1 / 4, t0 = t1 - 1 / 4.
    expectExtent(e, {1, 5, -2.5f, -1.5f, 0, 0, 0.25f, 0.75f, 0.5f, 0.75f});
}

// The captured triangles of a sky box, grouped by the wall they lie on.
struct Walls {
    Extent front, right, back, left, floor, ceiling;
    int triangles = 0;
};

Walls captureWalls(float x, float y, float z, float size) {
    Walls w;
    const float h = (size + 100.0f) / 2.0f;
    for (const auto& p : CaptureFeedback([&] { SkyBox(x, y, z, size); })) {
        ++w.triangles;
        const CapturedVertex& a = p.vertices[0];
        Extent* wall = nullptr;
        // Every wall faces the centre: its winding normal points inwards.
        const auto n = WindingNormal(p);
        EXPECT_GT(n[0] * (x - a.x) + n[1] * (y - a.y) + n[2] * (z - a.z), 0.0f);
        const auto on = [&](float CapturedVertex::*axis, float value) {
            return std::all_of(p.vertices.begin(), p.vertices.end(),
                               [&](const CapturedVertex& v) { return std::abs(v.*axis - value) < tol; });
        };
        if (on(&CapturedVertex::z, z - h))
            wall = &w.front;
        else if (on(&CapturedVertex::x, x + h))
            wall = &w.right;
        else if (on(&CapturedVertex::z, z + h))
            wall = &w.back;
        else if (on(&CapturedVertex::x, x - h))
            wall = &w.left;
        else if (on(&CapturedVertex::y, y - h))
            wall = &w.floor;
        else if (on(&CapturedVertex::y, y + h))
            wall = &w.ceiling;
        EXPECT_NE(wall, nullptr) << "triangle off every wall at " << a.x << " " << a.y << " " << a.z;
        if (wall)
            for (const auto& v : p.vertices) wall->add(v);
    }
    return w;
}

TEST_F(SkyBoxTest, walls_of_the_demo_box_lie_at_half_the_edge_and_show_their_cells) {
    const Walls w = captureWalls(0, 0, 0, 5);
    EXPECT_EQ(w.triangles, 12);
    const float h = 52.5f, wall = 105.0f / 1.99f;
    // Upper row of the texture (t 0.5..1): left, front, right, back, shifted by the fractional
    // cell positions 0.998, 1.998, 2.998, 3.998 and 0.001 / 0.0015.
    expectExtent(w.front, {-h, h, -wall, wall, -h, -h, 0.2495f, 0.4995f, 0.5f, 1.0f});
    expectExtent(w.right, {h, h, -wall, wall, -h, h, 0.4995f, 0.7495f, 0.4995f, 0.9995f});
    expectExtent(w.back, {-h, h, -wall, wall, h, h, 0.7495f, 0.9995f, 0.49925f, 0.99925f});
    expectExtent(w.left, {-h, -h, -wall, wall, -h, h, 0.9995f, 1.2495f, 0.49925f, 0.99925f});
    // Lower row: floor from cell (0, 1), ceiling from cell (1, 1), with their own divisors.
    const float floorX = 105.0f / 1.995f, floorZ = 105.0f / 1.988f;
    expectExtent(w.floor, {-floorX, floorX, -h, -h, -floorZ, floorZ, 0.0f, 0.25f, -0.00075f, 0.49925f});
    expectExtent(w.ceiling, {-floorX, floorX, h, h, -h, h, 0.25f, 0.5f, -0.00075f, 0.49925f});
    EXPECT_NEAR(w.front.hi[1], 52.76f, 0.01f);
}

TEST_F(SkyBoxTest, box_follows_its_centre) {
    const Walls w = captureWalls(4, -3, 2, 0);
    EXPECT_EQ(w.triangles, 12);
    expectExtent(w.front, {-46, 54, -3 - 50 / 0.995f, -3 + 50 / 0.995f, -48, -48, 0.2495f, 0.4995f, 0.5f, 1});
    EXPECT_NEAR(w.ceiling.lo[1], 47, tol);
}

TEST_F(SkyBoxTest, leaves_texturing_and_lighting_on_colour_white_and_the_stack_as_found) {
    GLuint sky = 0;
    glGenTextures(1, &sky);
    glBindTexture(GL_TEXTURE_2D, sky);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor3ub(10, 20, 30);
    GLint depthBefore = 0, depthAfter = 0, bound = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    SkyBox(0, 0, 0, 5);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(static_cast<GLuint>(bound), sky);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), (std::vector<GLfloat>{1, 1, 1, 1}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
