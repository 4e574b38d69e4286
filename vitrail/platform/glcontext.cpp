// Window device contexts, pixel formats, GL contexts and buffer swaps (which first lay child
// windows over the image) on the backend's GL support. A pixel-format request is
// met with the closest format the platform offers (32 depth bits asked, 24 granted); contexts
// are compatibility-profile, since all drawing uses the fixed-function pipeline.
#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"

using namespace vtrlplat;

namespace {

Window* windowOfDc(HDC dc, bool mustBeAlive) {
    auto it = state().dcs.find(dc);
    if (it == state().dcs.end()) return nullptr;
    auto w = state().windows.find(it->second.window);
    if (w == state().windows.end() || (mustBeAlive && !w->second.alive)) return nullptr;
    return &w->second;
}

// The nearest of what Mesa's visuals offer: 8 bits a colour channel (5-6-5 below 16 bits),
// 8 alpha bits when any are asked, 24 or 16 depth bits, 8 stencil bits.
GlRequest closestFormat(const PIXELFORMATDESCRIPTOR& pfd) {
    GlRequest r;
    if (pfd.cColorBits > 0 && pfd.cColorBits <= 16) {
        r.red = 5;
        r.green = 6;
        r.blue = 5;
    }
    r.alpha = pfd.cAlphaBits > 0 ? 8 : 0;
    r.depth = pfd.cDepthBits == 0 ? 0 : (pfd.cDepthBits > 16 ? 24 : 16);
    r.stencil = pfd.cStencilBits > 0 ? 8 : 0;
    r.doubleBuffer = (pfd.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0;
    return r;
}

// A native window's pixel format is fixed when it is made, so a different format means a new
// native window behind the same handle.
bool recreateWith(Window& w, const GlRequest& r) {
    NativeWindow* made =
        native::createWindow(w.caption.c_str(), framed(w.style), w.x, w.y, w.width, w.height, r);
    if (!made) return false;
    if (w.visible) native::showWindow(made, true);
    if (w.native) native::destroyWindow(w.native);
    w.native = made;
    w.gl = r;
    return true;
}

}  // namespace

// Window 0 is the screen: its DC serves palette calls.
HDC GetDC(HWND wnd) {
    if (wnd && !findWindow(wnd)) return 0;
    HDC h = newHandle();
    state().dcs[h] = DeviceContext{wnd, false};
    return h;
}

int32_t ReleaseDC(HWND wnd, HDC dc) {
    auto it = state().dcs.find(dc);
    if (it == state().dcs.end() || it->second.kind != DcKind::Window || it->second.window != wnd ||
        it->second.released || (wnd && !findWindow(wnd)))
        return 0;
    // The screen's DC is forgotten; a window's is kept (released), since its GL context may
    // still draw through it.
    if (!wnd)
        state().dcs.erase(it);
    else
        it->second.released = true;
    return 1;
}

int32_t ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
    if (!pfd || !windowOfDc(dc, true)) return 0;
    if (!(pfd->dwFlags & PFD_SUPPORT_OPENGL) || pfd->iPixelType != PFD_TYPE_RGBA) return 0;
    state().formats.push_back(closestFormat(*pfd));
    return static_cast<int32_t>(state().formats.size());
}

BOOL SetPixelFormat(HDC dc, int32_t format, const PIXELFORMATDESCRIPTOR*) {
    Window* w = windowOfDc(dc, true);
    if (!w || format <= 0 || static_cast<size_t>(format) > state().formats.size() || w->pixelFormat) return 0;
    const GlRequest& r = state().formats[static_cast<size_t>(format) - 1];
    if (!(r == w->gl) && !recreateWith(*w, r)) return 0;
    w->pixelFormat = format;
    return 1;
}

int32_t DescribePixelFormat(HDC, int32_t format, UINT size, PIXELFORMATDESCRIPTOR* out) {
    if (format <= 0 || static_cast<size_t>(format) > state().formats.size()) return 0;
    if (out && size >= sizeof(PIXELFORMATDESCRIPTOR)) {
        const GlRequest& r = state().formats[static_cast<size_t>(format) - 1];
        *out = PIXELFORMATDESCRIPTOR{};
        out->nSize = sizeof(PIXELFORMATDESCRIPTOR);
        out->nVersion = 1;
        out->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (r.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
        out->cColorBits = static_cast<BYTE>(r.red + r.green + r.blue);
        out->cRedBits = static_cast<BYTE>(r.red);
        out->cGreenBits = static_cast<BYTE>(r.green);
        out->cBlueBits = static_cast<BYTE>(r.blue);
        out->cAlphaBits = static_cast<BYTE>(r.alpha);
        out->cDepthBits = static_cast<BYTE>(r.depth);
        out->cStencilBits = static_cast<BYTE>(r.stencil);
    }
    return static_cast<int32_t>(state().formats.size());
}

HGLRC wglCreateContext(HDC dc) {
    Window* w = windowOfDc(dc, true);
    if (!w || !w->native || !w->pixelFormat) return 0;
    NativeContext* ctx = native::createContext(w->native, w->gl);
    if (!ctx) return 0;
    HGLRC h = newHandle();
    state().contexts[h] = GlContext{ctx, state().dcs[dc].window};
    return h;
}

BOOL wglMakeCurrent(HDC dc, HGLRC rc) {
    if (!rc) {
        if (state().current) {
            auto it = state().contexts.find(state().current);
            auto w = it != state().contexts.end() ? state().windows.find(it->second.window)
                                                  : state().windows.end();
            native::makeCurrent(w != state().windows.end() ? w->second.native : nullptr, nullptr);
        }
        state().current = 0;
        return 1;
    }
    auto ctx = state().contexts.find(rc);
    Window* w = windowOfDc(dc, false);
    if (ctx == state().contexts.end() || !w || !w->native) return 0;
    if (!native::makeCurrent(w->native, ctx->second.native)) return 0;
    state().current = rc;
    return 1;
}

BOOL wglDeleteContext(HGLRC rc) {
    auto it = state().contexts.find(rc);
    if (it == state().contexts.end()) return 0;
    if (state().current == rc) wglMakeCurrent(0, 0);
    native::deleteContext(it->second.native);
    const HWND wnd = it->second.window;
    state().contexts.erase(it);
    // A window destroyed while its context lived is released now.
    auto w = state().windows.find(wnd);
    if (w != state().windows.end() && !w->second.alive && w->second.native) {
        native::destroyWindow(w->second.native);
        w->second.native = nullptr;
    }
    return 1;
}

HGLRC wglGetCurrentContext() {
    return state().current;
}

namespace {
std::string hiddenProcName;  // test seam: the one entry point wglGetProcAddress pretends not to know
}  // namespace

void PlatformTestHideProcAddress(const char* name) {
    hiddenProcName = name ? name : "";
}

void* wglGetProcAddress(const char* name) {
    if (!name || !state().current || hiddenProcName == name) return nullptr;
    return native::procAddress(name);
}

BOOL SwapBuffers(HDC dc) {
    Window* w = windowOfDc(dc, false);
    if (!w || !w->native || !state().current) return 0;
    if (!w->children.empty()) compositeChildren(*w);
    native::swap(w->native);
    return 1;
}
