// The unit tests' GL fixture and GL state queries: a test on GLTest<W, H> runs with a current
// W x H context and fails at once when there is none; each query reads one piece of state back.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>

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
