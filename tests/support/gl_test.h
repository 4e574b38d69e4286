// The unit tests' GL fixture and what they read back from the GL: a test on GLTest<W, H> runs
// with a current W x H context and fails at once when there is none; state queries and feedback.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "support/gl_context.h"

template <int32_t W = 800, int32_t H = 600>
class GLTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        SetUpGL();
    }
    // What a fixture sets up once the context is current.
    virtual void SetUpGL() {}
    GLTestContext gl{W, H};
};

// One integer of GL state (-1 when GL wrote nothing).
inline GLint GLInteger(GLenum what) {
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

// The bytes buffer object `buffer` holds, read back through the array-buffer binding (none bound
// afterwards).
std::vector<uint8_t> BufferBytes(GLuint buffer);

// One vertex the GL fed back: window position and depth, colour, texture coordinate.
struct FedVertex {
    float x, y, z;
    std::array<float, 4> colour;
    float s, t, r, q;
};

// One primitive the GL fed back: its token (polygon, line, point, bitmap or pixel rectangle) and
// its vertices.
struct FedPrimitive {
    GLenum token;
    std::vector<FedVertex> vertices;
};

// What `draw` produces under the matrices in force, read in feedback mode (GL_3D_COLOR_TEXTURE);
// pass-through markers are left out.
std::vector<FedPrimitive> FeedbackOf(const std::function<void()>& draw);
