// The viewer's program: reads the command line, loads the file before any window exists (so that a
// file that fails opens none), then either draws one frame off screen into a PNG file or opens the
// window and runs the frame loop (the waiting messages, the keys, the frame, the caption, the swap)
// until Escape or the close box. The toolkit's messages come to the viewer (messages.cpp): a window
// that cannot open is one line and exit status 1. Exit codes: 0 done (and --help, --version), 1 a
// file that fails or no display, 2 a wrong command line.
#include <GL/gl.h>

#include <chrono>
#include <exception>
#include <iostream>

#include "viewer.h"
#include "vitrail/input.h"
#include "vtrl3ds/text.h"
#include "vitrail/window.h"

namespace {

int fail(const std::string& file, std::string reason) {
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "vtrl3ds-view: " << file << ": " << Cp1252ToUtf8(reason) << "\n";
    return 1;
}

double seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void openWindow(const TViewerOptions& o) {
    if (!o.Png.empty()) UseOffscreenWindows();
    OGLWindowSetting(ARROW, "", GENERIC, "");
    ViewerOpening(true);
    CreateOGLWindow(Utf8ToCp1252(ViewerCaption(o.File)).c_str(), o.Width, o.Height, 32, false);
    ViewerOpening(false);
    ResetViewerCamera(o.Yaw, o.Pitch);
    PrepareViewerScene();
}

int writePicture(const TViewerOptions& o) {
    DrawViewerFrame();
    glFinish();
    const bool written = WriteViewerPng(o.Png, o.Width, o.Height);
    DeleteOGLWindow();
    return written ? 0 : fail(o.Png, "the picture could not be written");
}

// Every waiting message is handled before the frame (a drag over a large model does not lag one
// message per frame behind), except that a second key message waits for the next frame, so that
// each press is seen by the keys' polling before its release.
void pumpMessages() {
    MSG msg;
    bool key = false;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE); ++i) {
        const bool isKey = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP;
        if (isKey && key) break;
        key = key || isKey;
        // The toolkit's window procedure passes the wheel by; the viewer zooms with it.
        if (msg.message == WM_MOUSEWHEEL) ViewerWheel(static_cast<int16_t>((msg.wParam >> 16) & 0xFFFF));
        SetGLMsg();
    }
}

int runWindow(const TViewerOptions& o) {
    std::string shown = ViewerCaption(o.File);
    do {
        pumpMessages();
        ViewerKeyboard(seconds());
        DrawViewerFrame();
        const std::string caption = ViewerCaption(o.File);
        if (caption != shown) SetWindowTextA(HWindow, Utf8ToCp1252(caption).c_str());
        shown = caption;
        SwapBuffers(DCWindow);
    } while (Active);
    DeleteOGLWindow();
    return 0;
}

}  // namespace

int ViewerMain(int argc, const char* const* argv) {
    TViewerOptions o;
    std::string error;
    if (!ParseViewerCommandLine(argc, argv, o, error)) {
        std::cerr << "vtrl3ds-view: " << error << "\n" << ViewerUsage;
        return 2;
    }
    if (o.Help || o.Version) {
        std::cout << (o.Help ? ViewerUsage : ViewerVersion);
        return std::cout.good() ? 0 : 1;
    }
    InstallViewerMessages();
    try {
        LoadViewerScene(o.File);
        if (!ViewerSceneHasGeometry()) std::cerr << "vtrl3ds-view: " << o.File << ": no geometry to show\n";
        ViewState = TViewerState{};
        ViewState.Frame = o.Frame;
        ViewState.StartYaw = o.Yaw;
        ViewState.StartPitch = o.Pitch;
        ViewState.BoneLines = o.BoneLines;
        openWindow(o);
        return o.Png.empty() ? runWindow(o) : writePicture(o);
    } catch (const std::exception& e) {
        return fail(o.File, e.what());
    }
}
