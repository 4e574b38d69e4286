// Child windows: records without a native window of their own, placed in their parent's client
// area, with a control identifier, properties, an optional window region (their shape) and a
// pixel surface their paint DC draws into. Also the hit test that routes the mouse to them.
// Calls on dead or unknown windows answer 0.
#include <algorithm>
#include <cctype>

#include "vitrail/platform/internal.h"

using namespace vtrlplat;

namespace {

std::string propKey(const char* name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// A cleared surface of the child's size: nothing drawn, nothing shown.
void resetSurface(Window& w) {
    Bitmap& s = w.surface;
    s.width = std::max(w.width, 0);
    s.height = std::max(w.height, 0);
    s.bitsPixel = 32;
    s.stride = s.width * 4;
    s.topDown = true;
    s.bits.assign(static_cast<size_t>(s.stride) * static_cast<size_t>(s.height), 0);
    w.composedStale = true;
}

bool hits(const Window& w, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= w.width || y >= w.height) return false;
    const Region* shape = w.region ? findRegion(w.region) : nullptr;
    return !shape || regionContains(*shape, x, y);
}

// The topmost visible descendant of `parent` holding `pt` (parent's client coordinates), or 0.
HWND hitAmong(const Window& parent, POINT pt) {
    for (auto it = parent.children.rbegin(); it != parent.children.rend(); ++it) {
        const Window* c = findWindow(*it);
        if (!c || !c->visible) continue;
        const POINT local{pt.x - c->x, pt.y - c->y};
        if (local.x < 0 || local.y < 0 || local.x >= c->width || local.y >= c->height) continue;
        if (const HWND inner = hitAmong(*c, local)) return inner;
        if (hits(*c, local.x, local.y)) return *it;
    }
    return 0;
}

}  // namespace

namespace vtrlplat {

HWND createChildWindow(const WindowClass& cls, const char* caption, DWORD style, int32_t x, int32_t y,
                       int32_t width, int32_t height, HWND parent, HMENU id) {
    Window* p = findWindow(parent);
    if (!p || width < 0 || height < 0) return 0;
    Window w = windowRecord(cls.name, caption, style, x, y, width, height, parent);
    w.child = true;
    w.id = static_cast<int32_t>(id);
    w.visible = (style & WS_VISIBLE) != 0;
    resetSurface(w);
    const HWND h = newHandle();
    state().windows[h] = std::move(w);
    p->children.push_back(h);
    if (cls.proc) cls.proc(h, WM_CREATE, 0, 0);
    Window* made = findWindow(h);
    if (made && made->visible) InvalidateRect(h, nullptr, 0);
    return h;
}

void releaseWindowParts(HWND wnd, Window& w) {
    if (Window* p = findWindow(w.parent)) std::erase(p->children, wnd);
    if (Region* shape = findRegion(w.region)) {
        shape->owner = 0;
        DeleteObject(w.region);
    }
    w.region = 0;
    w.props.clear();
    w.surface = Bitmap{};
    w.composed.clear();
    w.children.clear();
}

HWND topLevelOf(HWND wnd) {
    for (Window* w = findWindow(wnd); w && w->child; w = findWindow(w->parent)) wnd = w->parent;
    return wnd;
}

POINT originInTopLevel(HWND wnd) {
    POINT o{0, 0};
    for (Window* w = findWindow(wnd); w && w->child; w = findWindow(w->parent)) {
        o.x += w->x;
        o.y += w->y;
    }
    return o;
}

HWND childAt(HWND top, POINT pt) {
    const Window* w = findWindow(top);
    return w ? hitAmong(*w, pt) : 0;
}

}  // namespace vtrlplat

HWND GetParent(HWND wnd) {
    const Window* w = findWindow(wnd);
    return w ? w->parent : 0;
}

int32_t GetDlgCtrlID(HWND wnd) {
    const Window* w = findWindow(wnd);
    return w && w->child ? w->id : 0;
}

BOOL GetWindowRect(HWND wnd, RECT* rect) {
    const Window* top = findWindow(topLevelOf(wnd));
    const Window* w = findWindow(wnd);
    if (!w || !top || !rect) return 0;
    int tx = top->x, ty = top->y, cw = w->width, ch = w->height;
    if (top->native) native::position(top->native, tx, ty);
    if (w->native) native::clientSize(w->native, cw, ch);
    const POINT o = originInTopLevel(wnd);
    *rect = RECT{tx + o.x, ty + o.y, tx + o.x + cw, ty + o.y + ch};
    return 1;
}

BOOL MoveWindow(HWND wnd, int32_t x, int32_t y, int32_t width, int32_t height, BOOL repaint) {
    Window* w = findWindow(wnd);
    if (!w || width < 0 || height < 0) return 0;
    const bool resized = width != w->width || height != w->height;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    if (w->native) native::place(w->native, x, y, std::max(width, 1), std::max(height, 1));
    if (w->child && resized) resetSurface(*w);
    w->composedStale = true;
    if (repaint) InvalidateRect(wnd, nullptr, 1);
    return 1;
}

BOOL SetPropA(HWND wnd, const char* name, HANDLE value) {
    Window* w = findWindow(wnd);
    if (!w || !name) return 0;
    w->props[propKey(name)] = value;
    return 1;
}

HANDLE GetPropA(HWND wnd, const char* name) {
    const Window* w = findWindow(wnd);
    if (!w || !name) return 0;
    auto it = w->props.find(propKey(name));
    return it == w->props.end() ? 0 : it->second;
}

HANDLE RemovePropA(HWND wnd, const char* name) {
    Window* w = findWindow(wnd);
    if (!w || !name) return 0;
    auto it = w->props.find(propKey(name));
    if (it == w->props.end()) return 0;
    const HANDLE value = it->second;
    w->props.erase(it);
    return value;
}

int32_t SetWindowRgn(HWND wnd, HRGN rgn, BOOL redraw) {
    Window* w = findWindow(wnd);
    Region* shape = rgn ? findRegion(rgn) : nullptr;
    if (!w || (rgn && (!shape || shape->owner))) return 0;
    if (Region* old = findRegion(w->region)) {
        old->owner = 0;
        DeleteObject(w->region);
    }
    w->region = rgn;
    if (shape) shape->owner = wnd;
    w->composedStale = true;
    if (redraw) InvalidateRect(wnd, nullptr, 1);
    return 1;
}

int32_t GetWindowRgn(HWND wnd, HRGN out) {
    const Window* w = findWindow(wnd);
    if (!w || !w->region) return RGN_ERROR;
    return CombineRgn(out, w->region, 0, RGN_COPY);
}

BOOL InvalidateRect(HWND wnd, const RECT*, BOOL) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    w->needsPaint = true;
    for (const MSG& m : state().queue)
        if (m.hwnd == wnd && m.message == WM_PAINT) return 1;
    return PostMessageA(wnd, WM_PAINT, 0, 0);
}
