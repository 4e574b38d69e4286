// The platform layer: text conversion, message boxes through the seam, the message queue's
// packing of mouse positions, the GL context's pixel format and the window's destruction.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/gl_test.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/platform/text.h"

using vitrail_platform::Cp1252ToUtf8;
using vitrail_platform::Utf8ToCp1252;

using Platform = GLTest<64, 32>;

TEST_F(Platform, cp1252_egrave_becomes_utf8) {
    EXPECT_EQ(Cp1252ToUtf8("non \xE8 stata"), "non \xC3\xA8 stata");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign
    EXPECT_EQ(Utf8ToCp1252("\xC3\xA8\xE2\x82\xAC"), "\xE8\x80");
    // An unassigned byte keeps its value as a control character, both ways; NUL bytes in names stay.
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(Utf8ToCp1252("\xC2\x81"), "\x81");
    EXPECT_EQ(Cp1252ToUtf8(std::string_view("a\0\xE8", 3)), std::string("a\0\xC3\xA8", 4));
}

TEST_F(Platform, offscreen_context_is_current_with_depth_and_stencil) {
    GLint depth = 0, stencil = 0, dbl = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_DOUBLEBUFFER, &dbl);
    EXPECT_GE(depth, 16);
    EXPECT_GE(stencil, 8);
    // Fixed-function state is available: a compatibility context.
    glMatrixMode(GL_TEXTURE);
    EXPECT_EQ(GLInteger(GL_MATRIX_MODE), GL_TEXTURE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Keys reach the window procedure as Win32 virtual-key codes: digits and letters by their
// characters, Escape 27, the rest from the Win32 table; releases and repeats marked in lParam.
TEST_F(Platform, sdl_keys_become_virtual_key_messages) {
    while (PeekMessageA(nullptr, 0, 0, 0, PM_REMOVE)) {
    }
    const struct {
        const char* name;
        WPARAM vk;
    } keys[] = {{"1", '1'},
                {"6", '6'},
                {"R", 'R'},
                {"n", 'N'},
                {"Escape", VK_ESCAPE},
                {"Left", VK_LEFT},
                {"F5", 0x74},
                {"Space", VK_SPACE},
                {"Return", VK_RETURN},
                {"Keypad 3", 0x63},
                {";", VK_OEM_1}};
    for (const auto& k : keys) {
        ASSERT_TRUE(PlatformTestKeyInput(gl.wnd, k.name, true)) << k.name;
        MSG m{};
        ASSERT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) << k.name;
        EXPECT_EQ(m.hwnd, gl.wnd);
        EXPECT_EQ(m.message, WM_KEYDOWN) << k.name;
        EXPECT_EQ(m.wParam, k.vk) << k.name;
        EXPECT_EQ(static_cast<uint32_t>(m.lParam) & 0xC000FFFFu, 1u) << k.name;  // count 1, was up
    }
    PlatformTestKeyInput(gl.wnd, "R", true, true);
    PlatformTestKeyInput(gl.wnd, "R", false);
    MSG repeat{}, up{};
    PeekMessageA(&repeat, 0, 0, 0, PM_REMOVE);
    PeekMessageA(&up, 0, 0, 0, PM_REMOVE);
    EXPECT_EQ(static_cast<uint32_t>(repeat.lParam) >> 30, 1u);  // was already down
    EXPECT_EQ(up.message, WM_KEYUP);
    EXPECT_EQ(static_cast<uint32_t>(up.lParam) >> 30, 3u);  // was down, now released
    EXPECT_FALSE(PlatformTestKeyInput(gl.wnd, "NoSuchKey", true));
}

// Moves merge into the latest position while nothing else comes between them; a button message
// keeps its place, so the moves before and after it stay apart.
TEST_F(Platform, consecutive_mouse_moves_merge_into_the_latest) {
    while (PeekMessageA(nullptr, 0, 0, 0, PM_REMOVE)) {
    }
    for (int32_t i = 1; i <= 300; ++i)
        PlatformTestMouseInput(gl.wnd, WM_MOUSEMOVE, MK_LBUTTON, i % 60, i / 10);
    PlatformTestMouseInput(gl.wnd, WM_LBUTTONUP, 0, 7, 8);
    PlatformTestMouseInput(gl.wnd, WM_MOUSEMOVE, 0, 9, 10);
    PlatformTestMouseInput(gl.wnd, WM_MOUSEMOVE, 0, 11, 12);
    const struct {
        UINT message;
        int32_t x, y;
    } expected[] = {{WM_MOUSEMOVE, 0, 30}, {WM_LBUTTONUP, 7, 8}, {WM_MOUSEMOVE, 11, 12}};
    EXPECT_EQ(PlatformTestQueuedMessages(), std::size(expected));
    for (const auto& e : expected) {
        MSG m{};
        ASSERT_TRUE(PeekMessageA(&m, 0, 0, 0, PM_REMOVE));
        EXPECT_EQ(m.message, e.message);
        EXPECT_EQ(m.lParam, (e.y << 16) | e.x) << m.message;
    }
}

// Sets one environment variable, or with null clears it, on either system.
static void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

// A host takes the toolkit's boxes in place of the screen: its handler gets UTF-8 text and answers;
// without one, VITRAIL_MESSAGES=stderr prints each box as one line answered by its Escape button.
TEST(PlatformMessages, message_boxes_go_to_the_host_handler_or_standard_error) {
    PlatformTestAnswerMessageBoxes({});
    static std::string seen;
    SetMessageHandler([](const char* text, const char* caption, UINT type) -> int32_t {
        seen = std::string(caption) + "|" + text + "|" + std::to_string(type);
        return IDYES;
    });
    EXPECT_EQ(MessageBoxA(0, "non \xE8 stata", "Video!", MB_YESNO), IDYES);
    EXPECT_EQ(seen, "Video!|non \xC3\xA8 stata|4");
    SetMessageHandler(nullptr);
    SetEnvironment("VITRAIL_MESSAGES", "stderr");
    const struct {
        UINT type;
        int32_t answer;
    } rows[] = {{MB_OK, IDOK}, {MB_YESNO | MB_ICONQUESTION, IDNO}};
    for (const auto& row : rows) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxA(0, "Unsupported \xE8", "ERROR", row.type), row.answer);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Unsupported \xC3\xA8\n");
    }
    SetEnvironment("VITRAIL_MESSAGES", nullptr);
    PlatformTestClearMessageBoxes();
}
