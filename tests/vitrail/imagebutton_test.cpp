// Image buttons as a host sees them: place and size after creation, the state machine driven by
// pointer messages, the click report to the parent, the images laid over the GL image only
// where the shape is, the caller's GL state kept, and release at destruction; also the child
// windows underneath (order of destruction, mouse routing next to the demo's window procedure).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_files.h"
#include "support/gl_test.h"
#include "support/toolkit_state.h"
#include "vitrail/imagebutton.h"
#include "vitrail/input.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"
#include "support/temp_dir.h"

namespace {

constexpr Rgb kMagenta{255, 0, 255}, kNormal{200, 30, 30}, kHover{30, 200, 30}, kPressed{220, 220, 40};
constexpr Rgb kClear{10, 10, 90};
constexpr int32_t kId = 7;
// The button is asked for at (40, 30) and lands 3 pixels left and 19 up: its image is 12 x 8
// pixels, magenta in column 0 and in a notch at the top right (x >= 9, y <= 1).
constexpr int32_t kLeft = 37, kTop = 11, kW = 12, kH = 8;
constexpr POINT kInside{kLeft + 5, kTop + 4}, kMagentaSpot{kLeft, kTop + 4}, kOutside{10, 40};

bool cutAway(int32_t x, int32_t y) {
    return x == 0 || (x >= 9 && y <= 1);
}

std::vector<uint8_t> image(Rgb colour) {
    return Bmp24(kW, kH, [colour](int32_t x, int32_t y) { return cutAway(x, y) ? kMagenta : colour; });
}

class ImageButton : public GLTest<64, 48> {
  protected:
    void SetUpGL() override {
        ResetToolkitGlobals();
        WindowRegister();
        BmpType = (dir.path / "btn_").string();
    }
    void TearDown() override { BmpType.clear(); }

    void writeImages() {
        dir.write("btn_N.BMP", image(kNormal));
        dir.write("btn_H.BMP", image(kHover));
        dir.write("btn_P.BMP", image(kPressed));
    }
    HWND makeButton(HWND parent) {
        return CreateWindowExA(0, SZHOVERCLASS, "", WS_CHILD | WS_VISIBLE, 40, 30, 5, 5, parent, kId, 0,
                               nullptr);
    }
    void mouse(UINT message, WPARAM keys, POINT at) {
        PlatformTestMouseInput(gl.wnd, message, keys, at.x, at.y);
    }
    // Dispatches every queued message but keeps the WM_COMMAND ones for the test.
    std::vector<MSG> pump() {
        std::vector<MSG> commands;
        MSG m{};
        while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) {
            if (m.message == WM_COMMAND)
                commands.push_back(m);
            else
                DispatchMessageA(&m);
        }
        return commands;
    }
    Rgb pixel(const std::vector<uint8_t>& rgba, POINT at) const {
        const size_t i =
            (static_cast<size_t>(at.y) * static_cast<size_t>(gl.width) + static_cast<size_t>(at.x)) * 4;
        return Rgb{rgba[i], rgba[i + 1], rgba[i + 2]};
    }
    // The parent's image after a frame: cleared, then the buffers swapped.
    std::vector<uint8_t> frame() {
        glClearColor(kClear.r / 255.f, kClear.g / 255.f, kClear.b / 255.f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(gl.dc);
        return ReadPixelsTopDown(gl.width, gl.height);
    }

    TempDir dir;
};

#define EXPECT_RGB(actual, expected)              \
    do {                                          \
        const Rgb a_ = (actual), e_ = (expected); \
        EXPECT_EQ(a_.r, e_.r);                    \
        EXPECT_EQ(a_.g, e_.g);                    \
        EXPECT_EQ(a_.b, e_.b);                    \
    } while (0)

int32_t stateOf(HWND button) {
    return static_cast<int32_t>(GetPropA(button, HOVERMODE));
}

}  // namespace

TEST_F(ImageButton, creation_takes_the_image_size_and_moves_by_the_parent_frame) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    ASSERT_NE(button, 0u);
    RECT r{}, p{};
    GetWindowRect(button, &r);
    GetWindowRect(gl.wnd, &p);
    EXPECT_EQ(r.left - p.left, kLeft);
    EXPECT_EQ(r.top - p.top, kTop);
    EXPECT_EQ(r.right - r.left, kW);
    EXPECT_EQ(r.bottom - r.top, kH);
    EXPECT_EQ(GetParent(button), gl.wnd);
    EXPECT_EQ(GetDlgCtrlID(button), kId);
    EXPECT_EQ(stateOf(button), 1);
    for (const char* name : {NORMALBMP, HOVERBMP, PRESSBMP}) {
        BITMAP info{};
        EXPECT_EQ(GetObjectA(GetCurrentObject(GetPropA(button, name), OBJ_BITMAP), sizeof info, &info),
                  static_cast<int32_t>(sizeof info))
            << name;
        EXPECT_EQ(info.bmWidth, kW);
    }
    // The window's shape and the hit-test region are equal and separate.
    const HRGN hitTest = GetPropA(button, BUTTONRGN);
    const HRGN shape = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(button, shape), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(shape, hitTest));
    EXPECT_FALSE(PtInRegion(hitTest, 0, 3));
    EXPECT_FALSE(PtInRegion(hitTest, 10, 1));
    EXPECT_TRUE(PtInRegion(hitTest, 10, 2));
    EXPECT_FALSE(DeleteObject(GetPropA(button, NORMALBMP)));  // a DC is not a GDI object to delete
}

TEST_F(ImageButton, without_a_normal_image_the_button_keeps_its_size_and_has_no_shape) {
    const HWND button = makeButton(gl.wnd);
    RECT r{};
    GetWindowRect(button, &r);
    EXPECT_EQ(r.left, kLeft);
    EXPECT_EQ(r.top, kTop);
    EXPECT_EQ(r.right - r.left, 5);
    EXPECT_EQ(GetPropA(button, BUTTONRGN), 0u);
    EXPECT_EQ(GetWindowRgn(button, CreateRectRgn(0, 0, 0, 0)), RGN_ERROR);
    EXPECT_NE(GetPropA(button, NORMALBMP), 0u);  // a memory DC without an image
    mouse(WM_MOUSEMOVE, 0, POINT{kLeft + 1, kTop + 1});
    pump();
    EXPECT_EQ(stateOf(button), 1);  // moves change nothing
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, POINT{kLeft + 1, kTop + 1});
    mouse(WM_LBUTTONUP, 0, POINT{kLeft + 1, kTop + 1});
    EXPECT_EQ(pump().size(), 1u);  // presses and releases still click
}

TEST_F(ImageButton, hover_and_press_follow_the_shape) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    pump();
    mouse(WM_MOUSEMOVE, 0, kInside);
    pump();
    EXPECT_EQ(stateOf(button), 2);
    EXPECT_EQ(GetCapture(), button);
    mouse(WM_MOUSEMOVE, 0, kMagentaSpot);  // inside the rectangle, outside the shape
    pump();
    EXPECT_EQ(stateOf(button), 1);
    EXPECT_EQ(GetCapture(), 0u);
    mouse(WM_MOUSEMOVE, MK_RBUTTON, kInside);  // entering with a button held
    pump();
    EXPECT_EQ(stateOf(button), 3);
    mouse(WM_MOUSEMOVE, MK_RBUTTON, kOutside);  // the capture brings the move out
    pump();
    EXPECT_EQ(stateOf(button), 1);
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    pump();
    EXPECT_EQ(stateOf(button), 3);
    EXPECT_EQ(GetCapture(), button);
}

TEST_F(ImageButton, a_click_inside_posts_one_command_with_the_identifier_to_the_parent) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    pump();
    mouse(WM_MOUSEMOVE, 0, kInside);
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, POINT{kInside.x + 1, kInside.y});
    mouse(WM_LBUTTONUP, 0, POINT{kInside.x + 1, kInside.y});
    const std::vector<MSG> commands = pump();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].hwnd, gl.wnd);
    EXPECT_EQ(commands[0].wParam, kId);
    EXPECT_EQ(commands[0].lParam, 0);
    EXPECT_EQ(stateOf(button), 1);
    EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(ImageButton, press_then_leave_then_release_outside_posts_nothing) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    pump();
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, kOutside);
    pump();
    EXPECT_EQ(stateOf(button), 1);
    mouse(WM_LBUTTONUP, 0, kOutside);
    MSG release{};
    ASSERT_TRUE(PeekMessageA(&release, 0, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));
    EXPECT_EQ(release.hwnd, gl.wnd);  // the capture is gone: the parent gets it
    EXPECT_TRUE(pump().empty());
    // Moving back in after leaving, then releasing, is no click either: the press was lost.
    // (Each move is handled before the next: consecutive moves would merge into the last.)
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, kMagentaSpot);
    EXPECT_TRUE(pump().empty());
    mouse(WM_MOUSEMOVE, 0, kInside);
    mouse(WM_LBUTTONUP, 0, kInside);
    EXPECT_TRUE(pump().empty());
}

TEST_F(ImageButton, the_image_of_each_state_shows_where_the_shape_is) {
    writeImages();
    makeButton(gl.wnd);
    pump();
    std::vector<uint8_t> shown = frame();
    EXPECT_RGB(pixel(shown, kInside), kNormal);
    EXPECT_RGB(pixel(shown, POINT{kLeft + 1, kTop}), kNormal);                // top-left opaque corner
    EXPECT_RGB(pixel(shown, POINT{kLeft + kW - 1, kTop + kH - 1}), kNormal);  // bottom-right corner
    EXPECT_RGB(pixel(shown, kMagentaSpot), kClear);
    EXPECT_RGB(pixel(shown, POINT{kLeft + 10, kTop + 1}), kClear);  // the notch
    EXPECT_RGB(pixel(shown, POINT{kLeft + kW, kTop + 4}), kClear);
    EXPECT_RGB(pixel(shown, POINT{kLeft + 4, kTop + kH}), kClear);
    mouse(WM_MOUSEMOVE, 0, kInside);
    pump();
    EXPECT_RGB(pixel(frame(), kInside), kHover);
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    pump();
    shown = frame();
    EXPECT_RGB(pixel(shown, kInside), kPressed);
    EXPECT_RGB(pixel(shown, kMagentaSpot), kClear);
}

TEST_F(ImageButton, laying_buttons_over_the_frame_keeps_the_callers_gl_state) {
    writeImages();
    makeButton(gl.wnd);
    pump();
    // State that would hide or distort the copy if it were left on.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_NEVER);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE);
    // A complete black texture on unit 1, which stays the active unit: a textured copy is black.
    glActiveTexture(GL_TEXTURE1);
    GLuint black = 0;
    const uint8_t texel[4] = {0, 0, 0, 255};
    glGenTextures(1, &black);
    glBindTexture(GL_TEXTURE_2D, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glEnable(GL_TEXTURE_2D);
    glPixelZoom(2, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 3);
    glRasterPos2f(0.25f, 0.5f);
    GLfloat rasterBefore[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, rasterBefore);
    const std::vector<uint8_t> shown = frame();
    EXPECT_RGB(pixel(shown, kInside), kNormal);
    EXPECT_RGB(pixel(shown, POINT{kLeft + kW + 2, kTop + 4}), kClear);  // a doubled copy would reach here
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GLInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(GLInteger(GL_DEPTH_FUNC), GL_NEVER);
    EXPECT_EQ(GLInteger(GL_BLEND_SRC), GL_ZERO);
    EXPECT_EQ(GLInteger(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_EQ(GLInteger(GL_UNPACK_SKIP_ROWS), 3);
    GLfloat zoom = 0, raster[4];
    glGetFloatv(GL_ZOOM_X, &zoom);
    EXPECT_EQ(zoom, 2.f);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    EXPECT_EQ(raster[0], rasterBefore[0]);
    EXPECT_EQ(raster[1], rasterBefore[1]);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ImageButton, hidden_buttons_are_not_shown_and_get_no_mouse) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    pump();
    ShowWindow(button, SW_HIDE);
    EXPECT_RGB(pixel(frame(), kInside), kClear);
    mouse(WM_MOUSEMOVE, 0, kInside);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, 0, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(m.hwnd, gl.wnd);
    EXPECT_EQ(m.lParam, MousePos(kInside.x, kInside.y));
}

TEST_F(ImageButton, destruction_releases_images_palettes_and_regions) {
    writeImages();
    const HWND button = makeButton(gl.wnd);
    std::vector<HGDIOBJ> images, palettes;
    for (const char* name : {NORMALBMP, HOVERBMP, PRESSBMP}) {
        images.push_back(GetCurrentObject(GetPropA(button, name), OBJ_BITMAP));
        palettes.push_back(GetCurrentObject(GetPropA(button, name), OBJ_PAL));
    }
    const HRGN hitTest = GetPropA(button, BUTTONRGN);
    const HDC normal = GetPropA(button, NORMALBMP);
    ASSERT_TRUE(DestroyWindow(button));
    BITMAP info{};
    for (HGDIOBJ h : images) EXPECT_EQ(GetObjectA(h, sizeof info, &info), 0);
    for (HGDIOBJ h : palettes) EXPECT_EQ(GetPaletteEntries(h, 0, 0, nullptr), 0u);
    EXPECT_FALSE(PtInRegion(hitTest, 5, 4));
    EXPECT_FALSE(DeleteDC(normal));
    EXPECT_FALSE(IsWindow(button));
    EXPECT_RGB(pixel(frame(), kInside), kClear);
}

namespace {

std::vector<std::string> destroyed;

LRESULT recordDestroy(HWND wnd, int32_t msg, WPARAM w, LPARAM l) {
    if (msg == static_cast<int32_t>(WM_DESTROY)) destroyed.push_back(std::to_string(GetDlgCtrlID(wnd)));
    return DefWindowProcA(wnd, msg, w, l);
}

}  // namespace

TEST_F(ImageButton, destroying_a_parent_tells_it_first_then_destroys_its_children) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordDestroy;
    wc.lpszClassName = "RecordDestroy";
    RegisterClassA(&wc);
    const HWND panel =
        CreateWindowExA(0, "RecordDestroy", "", WS_CHILD | WS_VISIBLE, 4, 4, 30, 30, gl.wnd, 1, 0, nullptr);
    const HWND inner = CreateWindowExA(0, "RecordDestroy", "", WS_CHILD, 2, 2, 5, 5, panel, 2, 0, nullptr);
    CreateWindowExA(0, "RecordDestroy", "", WS_CHILD, 9, 2, 5, 5, panel, 3, 0, nullptr);
    RECT r{};
    GetWindowRect(inner, &r);
    EXPECT_EQ(r.left, 6);
    EXPECT_EQ(r.top, 6);
    SetPropA(panel, "Answer", 42);
    EXPECT_EQ(GetPropA(panel, "ANSWER"), 42u);  // names compare without case
    destroyed.clear();
    DestroyWindow(panel);
    EXPECT_EQ(destroyed, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_EQ(GetPropA(panel, "Answer"), 0u);
    EXPECT_EQ(CreateWindowExA(0, "RecordDestroy", "", WS_CHILD, 0, 0, 5, 5, 0, 1, 0, nullptr), 0u);
}

// The demo's own window procedure under a button: presses on the button are the button's, the
// rest of the window still turns the view.
class ImageButtonOnDemoWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        UseHeadlessPlatform();
        ResetToolkitGlobals();
        BmpType = (dir.path / "btn_").string();
        dir.write("btn_N.BMP", image(kNormal));
    }
    void TearDown() override {
        if (HWindow) DeleteOGLWindow();
        BmpType.clear();
        PlatformTestReset();
    }
    TempDir dir;
};

TEST_F(ImageButtonOnDemoWindow, presses_on_the_button_do_not_start_a_drag) {
    ASSERT_TRUE(CreateOGLWindow("buttons", 64, 48, 32, false));
    const HWND button =
        CreateWindowExA(0, SZHOVERCLASS, "", WS_CHILD | WS_VISIBLE, 40, 30, 5, 5, HWindow, kId, 0, nullptr);
    ASSERT_NE(button, 0u);
    auto pumpAll = [] {
        while (PeekMessageA(nullptr, 0, 0, 0, PM_NOREMOVE)) SetGLMsg();
    };
    pumpAll();
    PlatformTestMouseInput(HWindow, WM_LBUTTONDOWN, MK_LBUTTON, kInside.x, kInside.y);
    pumpAll();
    EXPECT_FALSE(LeftMouseDown);
    EXPECT_EQ(GetCapture(), button);
    PlatformTestMouseInput(HWindow, WM_LBUTTONUP, 0, kInside.x, kInside.y);
    SetGLMsg();
    MSG command{};
    ASSERT_TRUE(PeekMessageA(&command, HWindow, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
    EXPECT_EQ(command.wParam, kId);
    pumpAll();
    PlatformTestMouseInput(HWindow, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    pumpAll();
    EXPECT_TRUE(LeftMouseDown);
    EXPECT_EQ(GetCapture(), HWindow);
    // While the window holds the capture a drag across the button stays the window's.
    PlatformTestMouseInput(HWindow, WM_MOUSEMOVE, MK_LBUTTON, kInside.x, kInside.y);
    pumpAll();
    EXPECT_EQ(stateOf(button), 1);
    EXPECT_EQ(SetOMX, kInside.x);
}
