// The window procedure driven with message codes: key table, Escape, drags, free look, the
// swallowed system commands, the menu hooks, the one-message pump and the mouse camera.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "support/gl_context.h"
#include "support/toolkit_state.h"
#include "vitrail/input.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"

namespace {

class WndProc : public ::testing::Test {
  protected:
    void SetUp() override {
        UseHeadlessPlatform();
        ResetToolkitGlobals();
    }
    void TearDown() override { PlatformTestReset(); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) {
        return GLWndProc(HWindow, static_cast<int32_t>(msg), w, l);
    }
};

int gHookCalls = 0;
void countHook() {
    ++gHookCalls;
}
int32_t countCommand(HWND, int32_t, int32_t, int32_t) {
    ++gHookCalls;
    return 42;
}

}  // namespace

TEST_F(WndProc, key_down_holds_until_key_up_and_key_up_ends_free_look) {
    EXPECT_FALSE(SetGLKey('R'));
    send(WM_KEYDOWN, 'R');
    EXPECT_EQ(SetKey[int('R')], -1);  // all bits set
    EXPECT_TRUE(SetGLKey('R'));
    EXPECT_TRUE(SetGLKey('R'));  // polling does not consume it
    MouseFree = true;
    send(WM_KEYUP, 'R');
    EXPECT_FALSE(SetGLKey('R'));
    EXPECT_FALSE(MouseFree);
}

TEST_F(WndProc, key_codes_outside_the_table_are_ignored) {
    send(WM_KEYDOWN, 501);
    send(WM_KEYDOWN, -1);
    send(WM_KEYDOWN, 500);
    EXPECT_EQ(SetKey[500], -1);
}

TEST_F(WndProc, create_and_destroy_drive_active) {
    EXPECT_EQ(send(WM_CREATE), 0);
    EXPECT_TRUE(Active);
    const size_t before = PlatformTestQueuedMessages();
    EXPECT_EQ(send(WM_DESTROY), 0);
    EXPECT_FALSE(Active);
    MSG m{};
    ASSERT_EQ(PlatformTestQueuedMessages(), before + 1);
    EXPECT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
}

TEST_F(WndProc, escape_ends_the_loop_in_the_same_call_without_setting_the_key) {
    GLTestContext gl;  // a real window for SendMessageA to reach
    WNDCLASSA wc{};
    wc.lpfnWndProc = GLWndProc;
    wc.lpszClassName = "GLWindow";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWindow = CreateWindowExA(0, "GLWindow", "t", WS_CAPTION, 0, 0, 64, 64, 0, 0, 0, nullptr);
    ASSERT_NE(HWindow, 0u);
    EXPECT_TRUE(Active);  // WM_CREATE arrived during creation
    EXPECT_EQ(send(WM_KEYDOWN, VK_ESCAPE), 0);
    EXPECT_FALSE(Active);
    EXPECT_EQ(SetKey[VK_ESCAPE], 0);
}

TEST_F(WndProc, left_drag_turns_by_half_a_degree_per_pixel_and_speed) {
    MSpeed = 2;
    send(WM_LBUTTONDOWN, MK_LBUTTON, MousePos(100, 50));
    EXPECT_TRUE(LeftMouseDown && LeftMouseDown2);
    EXPECT_EQ(SetMX, 100);
    EXPECT_EQ(SetMY, 50);
    send(WM_MOUSEMOVE, MK_LBUTTON, MousePos(110, 50));
    EXPECT_FLOAT_EQ(YRot, 10);
    EXPECT_FLOAT_EQ(YRot2, 10);
    EXPECT_FLOAT_EQ(XRot, 0);
    send(WM_MOUSEMOVE, MK_LBUTTON, MousePos(110, 44));
    EXPECT_FLOAT_EQ(XRot, -6);
    EXPECT_EQ(SetOMX, 110);
    EXPECT_EQ(SetOMY, 44);
    send(WM_LBUTTONUP, 0, MousePos(110, 44));
    EXPECT_FALSE(LeftMouseDown || LeftMouseDown2);
    EXPECT_EQ(XCoord + YCoord + SetMX + SetMY, 0);
    send(WM_MOUSEMOVE, 0, MousePos(300, 300));
    EXPECT_FLOAT_EQ(YRot, 10);  // no button: no turn
}

TEST_F(WndProc, captured_mouse_left_of_the_window_reads_negative) {
    MSpeed = 2;
    send(WM_LBUTTONDOWN, MK_LBUTTON, MousePos(5, 20));
    send(WM_MOUSEMOVE, MK_LBUTTON, MousePos(-10, 20));
    EXPECT_EQ(SetOMX, -10);
    EXPECT_FLOAT_EQ(YRot, -15);  // 15 pixels times speed 2 over 2
    EXPECT_FLOAT_EQ(XRot, 0);
}

TEST_F(WndProc, drags_do_nothing_before_the_speed_is_set) {
    send(WM_LBUTTONDOWN, MK_LBUTTON, MousePos(0, 0));
    send(WM_MOUSEMOVE, MK_LBUTTON, MousePos(50, 70));
    send(WM_RBUTTONDOWN, MK_RBUTTON, MousePos(0, 0));
    send(WM_MOUSEMOVE, MK_RBUTTON, MousePos(0, 90));
    EXPECT_FLOAT_EQ(XRot, 0);
    EXPECT_FLOAT_EQ(YRot, 0);
    EXPECT_FLOAT_EQ(Depth, 0);
}

TEST_F(WndProc, right_drag_down_brings_the_scene_closer) {
    MSpeed = 2;
    send(WM_RBUTTONDOWN, MK_RBUTTON, MousePos(10, 100));
    EXPECT_TRUE(RightMouseDown && RightMouseDown2);
    EXPECT_EQ(ZCoord, 100);
    send(WM_MOUSEMOVE, MK_RBUTTON, MousePos(10, 120));
    EXPECT_FLOAT_EQ(Depth, -4);
    EXPECT_FLOAT_EQ(Depth2, -4);
    send(WM_RBUTTONUP, 0, MousePos(10, 120));
    EXPECT_FALSE(RightMouseDown || RightMouseDown2);
    EXPECT_EQ(ZCoord, 120);  // kept after the release
    // In free-look mode the right drag is off.
    MouseFree = true;
    send(WM_RBUTTONDOWN, MK_RBUTTON, MousePos(10, 0));
    send(WM_MOUSEMOVE, MK_RBUTTON, MousePos(10, 50));
    EXPECT_FLOAT_EQ(Depth, -4);
}

TEST_F(WndProc, system_commands_for_screen_saver_and_monitor_power_are_swallowed) {
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_SCREENSAVE), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 0);
    EXPECT_EQ(send(WM_SYSCOMMAND, 0xF020), 0);  // the default procedure answers 0 for the rest
}

TEST_F(WndProc, menu_hooks_are_called_only_when_set_and_enabled) {
    gHookCalls = 0;
    send(WM_CONTEXTMENU);
    send(WM_COMMAND, 1);
    EXPECT_EQ(gHookCalls, 0);
    CreateMouseMenu = countHook;
    GetInputCommand = countCommand;
    send(WM_CONTEXTMENU);
    send(WM_COMMAND, 1);
    EXPECT_EQ(gHookCalls, 0);  // ShowMenuBar still false
    ShowMenuBar = true;
    send(WM_CONTEXTMENU);
    EXPECT_EQ(send(WM_COMMAND, 1), 0);  // the hook's 42 is discarded
    EXPECT_EQ(gHookCalls, 2);
}

TEST_F(WndProc, set_gl_msg_handles_one_message_per_call) {
    GLTestContext gl;
    WNDCLASSA wc{};
    wc.lpfnWndProc = GLWndProc;
    wc.lpszClassName = "GLWindow";
    RegisterClassA(&wc);
    HWindow = CreateWindowExA(0, "GLWindow", "t", WS_CAPTION, 0, 0, 64, 64, 0, 0, 0, nullptr);
    ASSERT_NE(HWindow, 0u);
    while (PeekMessageA(nullptr, 0, 0, 0, PM_REMOVE)) {
    }
    PostMessageA(HWindow, WM_KEYUP, 'Q', 0);  // no WM_CHAR for a release
    PostMessageA(HWindow, WM_KEYDOWN, '1', 0);
    PostMessageA(HWindow, WM_KEYDOWN, '2', 0);
    SetKey[int('Q')] = -1;
    SetGLMsg();
    EXPECT_EQ(SetKey[int('Q')], 0);
    EXPECT_FALSE(SetGLKey('1'));
    SetGLMsg();
    EXPECT_TRUE(SetGLKey('1'));
    EXPECT_FALSE(SetGLKey('2'));
    SetGLMsg();
    EXPECT_TRUE(SetGLKey('2'));
    EXPECT_EQ(PlatformTestQueuedMessages(), 2u);  // the two WM_CHAR that translating queued
}

TEST_F(WndProc, free_look_turns_by_the_offset_from_the_centre_and_clamps) {
    GLTestContext gl(200, 100);
    HWindow = gl.wnd;
    Width = 200;
    Height = 100;
    MouseFree = true;
    MSpeed = 2;
    // Free look acts only for the window in front.
    SetCursorPos(130, 50);
    send(WM_MOUSEMOVE, 0, MousePos(0, 0));
    EXPECT_FLOAT_EQ(XRot, 0);
    PlatformTestSetForegroundWindow(HWindow);
    SetCursorPos(130, 40);  // centre (100, 50): 30 right, 10 up
    send(WM_MOUSEMOVE, 0, MousePos(0, 0));
    EXPECT_FLOAT_EQ(XRot, 0.6f);
    EXPECT_FLOAT_EQ(YRot, -0.2f);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 100);  // put back at the centre
    EXPECT_EQ(p.y, 50);
    for (int i = 0; i < 10; ++i) {
        SetCursorPos(100, 50 + 500);
        send(WM_MOUSEMOVE, 0, MousePos(0, 0));
    }
    EXPECT_FLOAT_EQ(YRot, 60);
    EXPECT_FLOAT_EQ(YRot2, 60);
    for (int i = 0; i < 20; ++i) {
        SetCursorPos(100, 50 - 500);
        send(WM_MOUSEMOVE, 0, MousePos(0, 0));
    }
    EXPECT_FLOAT_EQ(YRot, -60);
}

TEST(MouseCamera, applies_translate_then_the_two_rotations_by_kind) {
    GLTestContext gl;
    ResetToolkitGlobals();
    Depth = 7;
    XRot = 90;
    YRot = 0;
    GLfloat m[16];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    SetGLMouseMove(GL_M0, 2);
    EXPECT_EQ(MSpeed, 2);
    EXPECT_FLOAT_EQ(My.Z, -7);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[14], -7, 1e-5);  // translation by -Depth along z
    EXPECT_NEAR(m[6], 1, 1e-5);    // a 90-degree turn about x sends y to z
    glLoadIdentity();
    SetGLMouseMove(GL_MY, 3);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[12], -7, 1e-5);
    EXPECT_FLOAT_EQ(My.X, -7);
    glLoadIdentity();
    SetGLMouseMove(9, 4);  // unknown kind: only the speed
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(MSpeed, 4);
    EXPECT_FLOAT_EQ(m[12] + m[13] + m[14], 0);
}
