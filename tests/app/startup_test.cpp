// The program's start-up and frame loop with a scripted answer to the full-screen question:
// window size by the answer, the question's exact text, one message per frame, Escape ending the
// loop with exit code 0.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/showroom.h"
#include "support/gl_context.h"
#include "support/toolkit_state.h"
#include "vitrail/input.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"

namespace {

class Startup : public ::testing::Test {
  protected:
    void SetUp() override { ResetToolkitGlobals(); }
    void TearDown() override { PlatformTestReset(); }

    // Runs the program; from frame `pressAt` on it posts the given keys, then Escape.
    int run(int32_t answer, std::vector<WPARAM> keys) {
        UseHeadlessPlatform(answer);
        frames = 0;
        PlatformTestOnPeek([this, keys] {
            ++frames;
            if (frames == 3) {
                for (WPARAM k : keys) PostMessageA(HWindow, WM_KEYDOWN, k, 0);
                PostMessageA(HWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            }
        });
        return ShowroomMain();
    }
    int frames = 0;
};

}  // namespace

TEST_F(Startup, answering_no_opens_800_by_600_and_escape_ends_with_zero) {
    EXPECT_EQ(SelObj, 5);  // before any code runs: the water, reflection mapping
    EXPECT_TRUE(EnableRefrlect);
    EXPECT_EQ(run(IDNO, {'2', 'N'}), 0);
    const auto& boxes = PlatformTestShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Settare lo schermo intero?  ");
    EXPECT_EQ(boxes[0].caption, "Video!");
    EXPECT_EQ(boxes[0].type, 0x24u);
    EXPECT_EQ(boxes[0].owner, 0u);
    EXPECT_FALSE(FullScreen);
    EXPECT_EQ(Width, 800);
    EXPECT_EQ(Height, 600);
    EXPECT_FALSE(Active);
    // One message a frame: the two keys (and the characters they queue) came before Escape.
    EXPECT_EQ(SelObj, 1);
    EXPECT_FALSE(EnableRefrlect);
    EXPECT_GE(frames, 3 + 3);
    EXPECT_EQ(SetKey[VK_ESCAPE], 0);
}

TEST_F(Startup, answering_yes_covers_the_screen) {
    EXPECT_EQ(run(IDYES, {}), 0);
    EXPECT_TRUE(FullScreen);
    EXPECT_EQ(Width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Height, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(Startup, initial_gl_state_and_light_before_the_first_frame) {
    UseHeadlessPlatform(IDNO);
    GLint lighting = -1, light0 = -1, cull = -1;
    float position[4] = {};
    PlatformTestOnPeek([&] {
        if (lighting < 0) {
            lighting = glIsEnabled(GL_LIGHTING);
            light0 = glIsEnabled(GL_LIGHT0);
            cull = glIsEnabled(GL_CULL_FACE);
            std::copy(LightPosition, LightPosition + 4, position);
            PostMessageA(HWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    });
    EXPECT_EQ(ShowroomMain(), 0);
    EXPECT_EQ(lighting, GL_TRUE);
    EXPECT_EQ(light0, GL_TRUE);
    EXPECT_EQ(cull, GL_TRUE);
    EXPECT_FLOAT_EQ(position[3], 0.1f);
}
