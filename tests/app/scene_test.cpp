// The frame's key bindings and state, driven through the window procedure's messages as the
// frame loop would deliver them: the highest digit wins, N wins over R, held keys assign every
// frame; the cube-map set-up is left as the frame ends.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/showroom.h"
#include "support/gl_context.h"
#include "support/toolkit_state.h"
#include "vitrail/input.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"

namespace {

class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetToolkitGlobals();
        UseHeadlessPlatform();
        ASSERT_TRUE(CreateOGLWindow("scene", 160, 120, 32, false));
        OpenGL_Init(120, 0, 0, 0, 0);
        SetGLRefractive();
        SetGLLight(GL_LIGHT0, 0, 0, 0, 0.1f);
        SelObj = 5;
        EnableRefrlect = true;
    }
    void TearDown() override {
        DeleteOGLWindow();
        PlatformTestReset();
    }
    void key(UINT msg, WPARAM k) { GLWndProc(HWindow, static_cast<int32_t>(msg), k, 0); }
    GLint texGenMode() {
        GLint mode = 0;
        glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
        return mode;
    }
};

}  // namespace

TEST_F(Frame, first_frame_draws_the_water_with_reflection_mapping) {
    OpenGL_Draw();
    EXPECT_EQ(SelObj, 5);
    EXPECT_TRUE(EnableRefrlect);
    GLint rMode = 0;  // the water's overlay turns S and T to sphere mapping; R keeps the demo's mode
    glGetTexGeniv(GL_R, GL_TEXTURE_GEN_MODE, &rMode);
    EXPECT_EQ(rMode, GL_REFLECTION_MAP);
    // The frame leaves cube mapping and generation off, and the modelview current.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_R));
    GLint mode = 0, depth = 0, texDepth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &texDepth);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(texDepth, 1);
}

TEST_F(Frame, highest_held_digit_wins_and_held_keys_assign_every_frame) {
    key(WM_KEYDOWN, '2');
    key(WM_KEYDOWN, '5');
    OpenGL_Draw();
    EXPECT_EQ(SelObj, 4);  // the model
    key(WM_KEYUP, '5');
    OpenGL_Draw();
    EXPECT_EQ(SelObj, 1);  // 2 still held
    SelObj = 3;
    OpenGL_Draw();
    EXPECT_EQ(SelObj, 1);  // and it assigns again
    key(WM_KEYUP, '2');
    SelObj = 3;
    OpenGL_Draw();
    EXPECT_EQ(SelObj, 3);  // nothing held: nothing changes
}

TEST_F(Frame, n_wins_over_r_and_selects_normal_mapping) {
    key(WM_KEYDOWN, 'R');
    key(WM_KEYDOWN, 'N');
    key(WM_KEYDOWN, '1');
    OpenGL_Draw();
    EXPECT_FALSE(EnableRefrlect);
    EXPECT_EQ(texGenMode(), GL_NORMAL_MAP);
    key(WM_KEYUP, 'N');
    OpenGL_Draw();
    EXPECT_TRUE(EnableRefrlect);
    EXPECT_EQ(texGenMode(), GL_REFLECTION_MAP);
}

TEST_F(Frame, every_element_leaves_the_stacks_balanced) {
    for (int32_t element = 0; element < 6; ++element) {
        SelObj = element;
        OpenGL_Draw();
        GLint depth = 0, texDepth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &texDepth);
        EXPECT_EQ(depth, 1) << "element " << element;
        EXPECT_EQ(texDepth, 1) << "element " << element;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "element " << element;
    }
}
