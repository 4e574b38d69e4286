// Laying child windows over a top-level window's GL image: before a buffer swap, each visible
// child's surface is drawn into the back buffer at its place, only where it has been painted and
// where its shape lies, with every GL state the drawing touches saved and restored around it.
#include <GL/gl.h>

#include <algorithm>

#include "vitrail/platform/internal.h"

using namespace vtrlplat;

namespace {

using WindowPosFn = void (*)(GLint, GLint);
using ActiveTextureFn = void (*)(GLenum);
using BindBufferFn = void (*)(GLenum, GLuint);

constexpr GLenum kPixelUnpackBuffer = 0x88EC, kPixelUnpackBufferBinding = 0x88EF;
constexpr GLenum kTexture0 = 0x84C0, kActiveTexture = 0x84E0, kMaxTextureUnits = 0x84E2;
constexpr GLenum kTextureCubeMap = 0x8513, kTexture3D = 0x806F;

struct GlEntries {
    WindowPosFn windowPos = nullptr;
    ActiveTextureFn activeTexture = nullptr;
    BindBufferFn bindBuffer = nullptr;
};

const GlEntries& entries() {
    static const GlEntries e{reinterpret_cast<WindowPosFn>(native::procAddress("glWindowPos2i")),
                             reinterpret_cast<ActiveTextureFn>(native::procAddress("glActiveTexture")),
                             reinterpret_cast<BindBufferFn>(native::procAddress("glBindBuffer"))};
    return e;
}

// The surface bottom-up for glDrawPixels, alpha kept only inside the window's shape.
void compose(Window& w) {
    const Bitmap& s = w.surface;
    const size_t rowBytes = static_cast<size_t>(s.width) * 4;
    w.composed.assign(rowBytes * static_cast<size_t>(s.height), 0);
    for (int32_t y = 0; y < s.height; ++y)
        std::copy_n(
            s.bits.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * static_cast<size_t>(s.stride)),
            rowBytes, w.composed.begin() + static_cast<ptrdiff_t>((s.height - 1 - y) * rowBytes));
    if (const Region* shape = w.region ? findRegion(w.region) : nullptr) {
        std::vector<uint8_t> inside(static_cast<size_t>(s.width) * static_cast<size_t>(s.height), 0);
        for (const RECT& r : shape->rects)
            for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, s.height); ++y)
                for (int32_t x = std::max(r.left, 0); x < std::min(r.right, s.width); ++x)
                    inside[static_cast<size_t>(s.height - 1 - y) * static_cast<size_t>(s.width) +
                           static_cast<size_t>(x)] = 1;
        for (size_t i = 0; i < inside.size(); ++i)
            if (!inside[i]) w.composed[i * 4 + 3] = 0;
    }
    w.composedStale = false;
}

// Fixed-function state under which glDrawPixels copies pixels unchanged, masked by alpha.
void plainPixelState() {
    for (GLenum cap : {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_BLEND, GL_FOG, GL_COLOR_LOGIC_OP, GL_DITHER})
        glDisable(cap);
    GLint units = 1, active = kTexture0;
    glGetIntegerv(kMaxTextureUnits, &units);
    glGetIntegerv(kActiveTexture, &active);
    for (GLint u = 0; u < std::max(units, 1); ++u) {
        if (entries().activeTexture) entries().activeTexture(kTexture0 + static_cast<GLenum>(u));
        for (GLenum cap : {GLenum{GL_TEXTURE_1D}, GLenum{GL_TEXTURE_2D}, kTexture3D, kTextureCubeMap})
            glDisable(cap);
        if (!entries().activeTexture) break;
    }
    if (entries().activeTexture) entries().activeTexture(static_cast<GLenum>(active));
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPixelZoom(1, 1);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE})
        glPixelTransferf(scale, 1);
    for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS}) glPixelTransferf(bias, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (GLenum store : {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                         GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST})
        glPixelStorei(store, 0);
    glEnable(GL_SCISSOR_TEST);
}

// Draws `w` and its children; (ox, oy) is w's client origin, `clip` the visible area (both in
// the top-level client area, y down), `height` the framebuffer height.
void drawTree(Window& w, int32_t ox, int32_t oy, RECT clip, int32_t height) {
    clip = RECT{std::max(clip.left, ox), std::max(clip.top, oy), std::min(clip.right, ox + w.width),
                std::min(clip.bottom, oy + w.height)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    if (w.composedStale) compose(w);
    glScissor(clip.left, height - clip.bottom, clip.right - clip.left, clip.bottom - clip.top);
    entries().windowPos(ox, height - (oy + w.surface.height));
    glDrawPixels(w.surface.width, w.surface.height, GL_BGRA, GL_UNSIGNED_BYTE, w.composed.data());
    for (const HWND h : w.children)
        if (Window* c = findWindow(h); c && c->visible) drawTree(*c, ox + c->x, oy + c->y, clip, height);
}

}  // namespace

namespace vtrlplat {

void compositeChildren(Window& top) {
    if (native::currentWindow() != top.native || !entries().windowPos) return;
    int width = 0, height = 0;
    native::drawableSize(top.native, width, height);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_PIXEL_MODE_BIT | GL_SCISSOR_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    GLint unpackBuffer = 0;
    if (entries().bindBuffer) glGetIntegerv(kPixelUnpackBufferBinding, &unpackBuffer);
    if (unpackBuffer) entries().bindBuffer(kPixelUnpackBuffer, 0);
    GLint doubleBuffered = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    if (doubleBuffered) glDrawBuffer(GL_BACK);
    plainPixelState();
    const RECT screen{0, 0, width, height};
    for (const HWND h : top.children)
        if (Window* c = findWindow(h); c && c->visible) drawTree(*c, c->x, c->y, screen, height);
    if (unpackBuffer) entries().bindBuffer(kPixelUnpackBuffer, static_cast<GLuint>(unpackBuffer));
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace vtrlplat
