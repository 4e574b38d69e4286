// Window creation in both modes, the three fatal messages, the class's cursor kinds, the status
// strip, OGLWindowSetting, teardown and the initial GL state read back from a real context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "support/gl_test.h"
#include "support/toolkit_state.h"
#include "vitrail/input.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"

namespace {

const char* const kCaption = "Texture CubeMap - 1-6/cambia elemento - R/riflesso - N/normale";

class Window : public ::testing::Test {
  protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        UseHeadlessPlatform();
        ResetToolkitGlobals();
    }
    void TearDown() override {
        if (HWindow) DeleteOGLWindow();
        PlatformTestReset();
    }
};

// Dies the way ThrowError does, having printed what the box said (as UTF-8) to stderr.
void answerOnStderr() {
    PlatformTestAnswerMessageBoxes([](const MessageBoxRecord& box) {
        std::fprintf(stderr, "[%s] %s type=%u\n", box.captionUtf8.c_str(), box.textUtf8.c_str(), box.type);
        return IDOK;
    });
}

}  // namespace

TEST_F(Window, windowed_mode_keeps_the_given_size_and_a_current_context) {
    ASSERT_TRUE(CreateOGLWindow(kCaption, 800, 600, 32, false));
    EXPECT_EQ(Width, 800);
    EXPECT_EQ(Height, 600);
    EXPECT_EQ(Bits, 32);
    EXPECT_FALSE(FullScreen);
    EXPECT_TRUE(Active);
    EXPECT_NE(HWindow, 0u);
    EXPECT_NE(DCWindow, 0u);
    EXPECT_NE(RCWindow, 0u);
    RECT r{};
    ASSERT_TRUE(GetClientRect(HWindow, &r));
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 600);
    char caption[128] = {};
    GetWindowTextA(HWindow, caption, sizeof caption);
    EXPECT_STREQ(caption, kCaption);
    // 32 depth bits asked: the closest format there is was granted, not a failure.
    GLint depth = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);
    EXPECT_TRUE(PlatformTestShownMessageBoxes().empty());
}

TEST_F(Window, full_screen_takes_the_screen_size_whatever_was_passed) {
    ASSERT_TRUE(CreateOGLWindow(kCaption, 800, 600, 32, true));
    EXPECT_TRUE(FullScreen);
    EXPECT_EQ(Width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Height, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_GT(Width, 0);
    RECT r{};
    GetClientRect(HWindow, &r);
    EXPECT_EQ(r.right, Width);
    EXPECT_EQ(r.bottom, Height);
}

TEST_F(Window, registration_failure_shows_its_message_and_exits_with_zero) {
    answerOnStderr();
    WNDCLASSA taken{};
    taken.lpszClassName = "GLWindow";
    ASSERT_NE(RegisterClassA(&taken), 0);
    EXPECT_EXIT(CreateOGLWindow(kCaption, 800, 600, 32, false), ::testing::ExitedWithCode(0),
                "\\[Error\\] Errore di registro per la rispettiva applicazione! type=0");
}

TEST_F(Window, window_failure_shows_its_message_and_exits_with_zero) {
    answerOnStderr();
    EXPECT_EXIT(CreateOGLWindow(kCaption, 0, 0, 32, false), ::testing::ExitedWithCode(0),
                "\\[Error\\] Impossibile creare la finestra per la rispettiva applicazione! type=0");
}

TEST_F(Window, throw_error_shows_the_text_with_e_grave_and_exits_with_zero) {
    answerOnStderr();
    EXPECT_EXIT(ThrowError("la rispettiva applicazione non \xE8 stata inizilizata!"),
                ::testing::ExitedWithCode(0),
                "\\[Error\\] la rispettiva applicazione non \xC3\xA8 stata inizilizata! type=0");
}

TEST_F(Window, window_init_fails_without_a_window_and_bits_must_fit_a_byte) {
    Bits = 32;
    EXPECT_FALSE(WindowInit(0));
    EXPECT_EQ(RCWindow, 0u);
    Bits = 256;
    EXPECT_THROW(WindowInit(0), std::out_of_range);
}

TEST_F(Window, cursor_kinds_pick_a_system_cursor_or_none) {
    WNDCLASSEXA wc{};
    SetTypeCursor = ARROW;
    SetTypeIcon = GENERIC;
    ASSERT_TRUE(WindowRegister());
    ASSERT_TRUE(GetClassInfoExA(0, "GLWindow", &wc));
    EXPECT_NE(wc.hCursor, 0u);
    EXPECT_NE(wc.hIcon, 0u);
    EXPECT_TRUE(GetClassInfoExA(0, "IMAGEBUTTON", &wc));
    EXPECT_EQ(WindowClassEx.cbSize, 48u);

    PlatformTestReset();
    OGLWindowSetting(FILECURSOR, "no-such-cursor.bmp", 99, "");
    ASSERT_TRUE(CreateOGLWindow(kCaption, 320, 200, 32, false));  // still created
    ASSERT_TRUE(GetClassInfoExA(0, "GLWindow", &wc));
    EXPECT_EQ(wc.hCursor, 0u);
    EXPECT_EQ(wc.hIcon, 0u);
}

TEST_F(Window, settings_are_recorded_and_free_mouse_centres_the_cursor) {
    MouseFree = true;
    Width = 640;
    Height = 480;
    OGLWindowSetting(HAND, "c.bmp", FILEICON, "i.bmp");
    EXPECT_EQ(SetTypeCursor, HAND);
    EXPECT_STREQ(CursorFile, "c.bmp");
    EXPECT_EQ(SetTypeIcon, FILEICON);
    EXPECT_STREQ(IconFile, "i.bmp");
    EXPECT_TRUE(FogOnOff);
    EXPECT_EQ(ObjNull, 0u);  // no GL context yet
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 320);
    EXPECT_EQ(p.y, 240);
}

TEST_F(Window, status_strip_keeps_its_text_and_at_most_twenty_parts) {
    ShowStatusBar = true;
    MaxStatusItem = 25;
    for (int i = 0; i < 20; ++i) StatusItem[i] = 100 * (i + 1);
    ASSERT_TRUE(CreateOGLWindow(kCaption, 320, 200, 32, false));
    EXPECT_NE(HStatus, 0u);
    EXPECT_EQ(HStatus, AWnd);
    EXPECT_STREQ(FileName, "Percorso file");
    int32_t parts[32] = {};
    EXPECT_EQ(SendMessageA(AWnd, SB_GETPARTS, 32, static_cast<void*>(parts)), 20);
    EXPECT_EQ(parts[0], 100);
    EXPECT_EQ(parts[19], 2000);
    EXPECT_EQ(Edges[19], 2000);
}

TEST_F(Window, close_box_destroys_the_window_and_teardown_after_it_is_harmless) {
    ASSERT_TRUE(CreateOGLWindow(kCaption, 320, 200, 32, false));
    PostMessageA(HWindow, WM_CLOSE, 0, 0);
    SetGLMsg();  // the default procedure destroys the window: WM_DESTROY
    EXPECT_FALSE(Active);
    EXPECT_FALSE(IsWindow(HWindow));
    EXPECT_TRUE(SwapBuffers(DCWindow));  // the pass in progress still swaps
    DeleteOGLWindow();
    HWindow = 0;
}

TEST_F(Window, opengl_init_sets_projection_viewport_and_switches) {
    ASSERT_TRUE(CreateOGLWindow(kCaption, 800, 600, 32, false));
    glEnable(GL_BLEND);  // blending must stay as it was
    OpenGL_Init(120, 0, 0, 0, 0);
    GLint viewport[4], src = 0, dst = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    GLfloat p[16], mv[16], clear[4], color[4], depth = 0;
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    EXPECT_NEAR(p[5], f, 1e-4);
    EXPECT_NEAR(p[0], f / (800.0f / 600.0f), 1e-4);
    EXPECT_NEAR(p[10], -(120 + 0.1) / (120 - 0.1), 1e-4);
    EXPECT_NEAR(p[14], -2 * 120 * 0.1 / (120 - 0.1), 1e-4);
    EXPECT_FLOAT_EQ(p[11], -1);
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(mv[i], i % 5 == 0 ? 1.0f : 0.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_FLOAT_EQ(depth, 1);  // 120 clamped
    EXPECT_EQ(GLInteger(GL_DEPTH_FUNC), GL_LEQUAL);
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(color[3], 0.5f);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(GLInteger(GL_LIGHT_MODEL_LOCAL_VIEWER), 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_AUTO_NORMAL));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GLInteger(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
}

TEST_F(Window, culling_and_light_set_up) {
    ASSERT_TRUE(CreateOGLWindow(kCaption, 320, 200, 32, false));
    SetGLRefractive();
    GLint cull = 0, front = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(cull, GL_BACK);
    EXPECT_EQ(front, GL_CCW);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetGLLight(GL_LIGHT0, 0, 0, 0, 0.1f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    GLfloat ambient[4], position[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_FLOAT_EQ(ambient[0], 0.5f);
    EXPECT_FLOAT_EQ(ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(position[3], 0.1f);
    EXPECT_FLOAT_EQ(LightPosition[3], 0.1f);
}
