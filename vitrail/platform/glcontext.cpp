// Window device contexts, pixel formats, GL contexts and buffer swaps (which first lay child
// windows over the image) on SDL's GL support. A pixel-format request is
// met with the closest format the platform offers (32 depth bits asked, 24 granted); contexts
// are compatibility-profile, since all drawing uses the fixed-function pipeline.
#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/platform/text.h"

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

// SDL fixes a window's visual when it is created, so a different format means a new SDL window
// behind the same handle.
bool recreateWith(Window& w, const GlRequest& r) {
    applyGlAttributes(r);
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (w.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN) | frameFlags(w.style);
    SDL_Window* made = SDL_CreateWindow(vitrail_platform::Cp1252ToUtf8(w.caption.c_str()).c_str(), w.x, w.y,
                                        w.width, w.height, flags);
    if (!made) return false;
    if (w.sdl) SDL_DestroyWindow(w.sdl);
    w.sdl = made;
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
    if (!w || !w->sdl || !w->pixelFormat) return 0;
    applyGlAttributes(w->gl);
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext ctx = SDL_GL_CreateContext(w->sdl);
    if (!ctx) {
        note(std::string("GL context could not be created: ") + SDL_GetError());
        return 0;
    }
    // SDL makes a new context current; a new context is not current until wglMakeCurrent.
    if (previous)
        SDL_GL_MakeCurrent(previousWindow, previous);
    else
        SDL_GL_MakeCurrent(w->sdl, nullptr);
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
            SDL_GL_MakeCurrent(w != state().windows.end() ? w->second.sdl : nullptr, nullptr);
        }
        state().current = 0;
        return 1;
    }
    auto ctx = state().contexts.find(rc);
    Window* w = windowOfDc(dc, false);
    if (ctx == state().contexts.end() || !w || !w->sdl) return 0;
    if (SDL_GL_MakeCurrent(w->sdl, ctx->second.sdl) != 0) return 0;
    state().current = rc;
    return 1;
}

BOOL wglDeleteContext(HGLRC rc) {
    auto it = state().contexts.find(rc);
    if (it == state().contexts.end()) return 0;
    if (state().current == rc) wglMakeCurrent(0, 0);
    SDL_GL_DeleteContext(it->second.sdl);
    const HWND wnd = it->second.window;
    state().contexts.erase(it);
    // A window destroyed while its context lived is released now.
    auto w = state().windows.find(wnd);
    if (w != state().windows.end() && !w->second.alive && w->second.sdl) {
        SDL_DestroyWindow(w->second.sdl);
        w->second.sdl = nullptr;
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
    return SDL_GL_GetProcAddress(name);
}

BOOL SwapBuffers(HDC dc) {
    Window* w = windowOfDc(dc, false);
    if (!w || !w->sdl || !state().current) return 0;
    if (!w->children.empty()) compositeChildren(*w);
    SDL_GL_SwapWindow(w->sdl);
    return 1;
}

namespace vtrlplat {

void applyGlAttributes(const GlRequest& r) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, r.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, r.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, r.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, r.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, r.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, r.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, r.doubleBuffer);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

}  // namespace vtrlplat
