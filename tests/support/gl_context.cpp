// The unit tests' GL context, pixel and feedback helpers (see gl_context.h and gl_test.h).
#include "support/gl_test.h"

#include <GL/gl.h>
#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstdio>

#include "vitrail/platform/platform_test.h"

namespace {

// SDL unloads the EGL and Mesa libraries when its last GL window goes; their one-time tables (GL
// dispatch names, the EGL display list) then lose the globals that referenced them and the leak
// check would count them, with stacks it can no longer name. Kept loaded, they stay reachable.
void keepGLDriverLoaded() {
#ifndef _WIN32
    static const bool once = [] {
        for (const char* lib : {"libEGL.so.1", "libEGL_mesa.so.0", "libglapi.so.0",
                                "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
            dlopen(lib, RTLD_NOW | RTLD_NODELETE);
        return true;
    }();
    (void)once;
#endif
}

}  // namespace

void UseHeadlessPlatform(int32_t answer) {
    keepGLDriverLoaded();
    PlatformTestUseVideoDriver("offscreen");
    PlatformTestAnswerMessageBoxes([answer](const MessageBoxRecord&) { return answer; });
    PlatformTestClearMessageBoxes();
}

GLTestContext::GLTestContext(int32_t w, int32_t h) : width(w), height(h) {
    UseHeadlessPlatform();
    WNDCLASSEXA existing{};
    if (!GetClassInfoExA(0, "VtrlTestWindow", &existing)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "VtrlTestWindow";
        RegisterClassA(&wc);
    }
    wnd = CreateWindowExA(0, "VtrlTestWindow", "test", WS_CAPTION, 0, 0, w, h, 0, 0, 0, nullptr);
    if (!wnd) return;
    dc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    const int32_t format = ChoosePixelFormat(dc, &pfd);
    SetPixelFormat(dc, format, &pfd);
    rc = wglCreateContext(dc);
    if (rc && !wglMakeCurrent(dc, rc)) {
        wglDeleteContext(rc);
        rc = 0;
    }
    if (rc) glViewport(0, 0, w, h);
}

GLTestContext::~GLTestContext() {
    if (rc) {
        wglMakeCurrent(dc, 0);
        wglDeleteContext(rc);
    }
    if (wnd) {
        ReleaseDC(wnd, dc);
        DestroyWindow(wnd);
    }
    PlatformTestReset();
}

std::vector<uint8_t> ReadPixelsTopDown(int32_t width, int32_t height) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    std::vector<uint8_t> flipped(rows.size());
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(rows.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(height - 1 - y) * stride),
                    stride, flipped.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * stride));
    return flipped;
}

bool WritePPM(const char* path, const std::vector<uint8_t>& rgba, int32_t width, int32_t height) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) std::fwrite(&rgba[i], 1, 3, f);
    return std::fclose(f) == 0;
}

std::vector<FedPrimitive> FeedbackOf(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(4 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const auto used = static_cast<size_t>(std::max(glRenderMode(GL_RENDER), 0));
    std::vector<FedPrimitive> out;
    for (size_t i = 0; i < used;) {
        const auto token = static_cast<GLenum>(buffer[i++]);
        size_t count = 1;
        if (token == GL_POLYGON_TOKEN)
            count = static_cast<size_t>(buffer[i++]);
        else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
            count = 2;
        else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        FedPrimitive p{token, {}};
        for (size_t k = 0; k < count; ++k, i += 11) {  // x, y, z, RGBA, STRQ
            const GLfloat* v = &buffer[i];
            p.vertices.push_back({v[0], v[1], v[2], {v[3], v[4], v[5], v[6]}, v[7], v[8], v[9], v[10]});
        }
        out.push_back(std::move(p));
    }
    return out;
}
