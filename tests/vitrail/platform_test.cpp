// The platform layer: text conversion, message boxes through the seam, the message queue's
// packing of mouse positions, the GL context's pixel format and the window's destruction.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "support/gl_context.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/platform/text.h"

TEST(Platform, cp1252_egrave_becomes_utf8) {
    EXPECT_EQ(Cp1252ToUtf8("non \xE8 stata"), "non \xC3\xA8 stata");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign
    EXPECT_EQ(Utf8ToCp1252("\xC3\xA8\xE2\x82\xAC"), "\xE8\x80");
}

TEST(Platform, offscreen_context_is_current_with_depth_and_stencil) {
    GLTestContext gl(64, 32);
    ASSERT_TRUE(gl.ok());
    GLint depth = 0, stencil = 0, dbl = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_DOUBLEBUFFER, &dbl);
    EXPECT_GE(depth, 16);
    EXPECT_GE(stencil, 8);
    // Fixed-function state is available: a compatibility context.
    glMatrixMode(GL_TEXTURE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
