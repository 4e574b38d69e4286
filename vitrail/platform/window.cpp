// Window classes, windows, system cursors and icons, the screen size, painting and the status
// strip control, on the backend's native windows (child windows: childwindow.cpp). Also owns the layer's
// state and its start-up and teardown.
#include <cstdlib>

#include "vitrail/platform/internal.h"

namespace vtrlplat {

State& state() {
    static State s;
    return s;
}

uint32_t newHandle() {
    // Brushes and stock objects are named in 0x1000..0x2FFF; tables never hand those out.
    if (++state().nextHandle == 0x1000) state().nextHandle = 0x3000;
    return state().nextHandle;
}

Window windowRecord(const std::string& className, const char* caption, DWORD style, int32_t x, int32_t y,
                    int32_t width, int32_t height, HWND parent) {
    Window w;
    w.className = className;
    w.caption = caption ? caption : "";
    w.style = style;
    w.x = x;
    w.y = y;
    w.width = width;
    w.height = height;
    w.parent = parent;
    return w;
}

bool ensureVideo() {
    State& s = state();
    if (s.videoStarted) return true;
    if (!native::start()) return false;
    s.videoStarted = true;
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit([] {
            destroyAll();
            native::stop();
        });
    }
    return true;
}

Window* findWindow(HWND wnd) {
    auto it = state().windows.find(wnd);
    if (it == state().windows.end() || !it->second.alive) return nullptr;
    return &it->second;
}

void destroyAll() {
    State& s = state();
    for (auto& [h, c] : s.contexts)
        if (c.native) native::deleteContext(c.native);
    s.contexts.clear();
    s.current = 0;
    for (auto& [h, w] : s.windows)
        if (w.native) native::destroyWindow(w.native);
    s.windows.clear();
    s.dcs.clear();
    for (auto& [h, c] : s.cursors)
        if (c) native::freeCursor(c);
    s.cursors.clear();
    for (auto& [h, i] : s.icons)
        if (i) native::freeIcon(i);
    s.icons.clear();
    s.classes.clear();
    s.formats.clear();
    s.bitmaps.clear();
    s.palettes.clear();
    s.regions.clear();
    s.queue.clear();
    s.capture = 0;
}

void useVideoDriver(const char* name) {
    state().videoDriver = name ? name : "";
    native::useDriver(name);
}

}  // namespace vtrlplat

namespace vtrlplat::native {

uint32_t windowOf(NativeWindow* nw) {
    for (auto& [handle, w] : state().windows)
        if (w.alive && nw && w.native == nw) return handle;
    return 0;
}

}  // namespace vtrlplat::native

using namespace vtrlplat;

namespace {

ATOM registerClass(const WindowClass& wc) {
    if (wc.name.empty() || state().classes.count(wc.name)) return 0;
    state().classes[wc.name] = wc;
    return static_cast<ATOM>(state().classes.size());
}

bool knownCursorId(uintptr_t id) {
    return id == IDC_ARROW || (id >= IDC_IBEAM && id <= IDC_UPARROW) || id == IDC_SIZE ||
           (id >= IDC_SIZENWSE && id <= IDC_SIZEALL) || (id >= IDC_NO && id <= IDC_HELP);
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName) return 0;
    return registerClass({wc->lpszClassName, wc->style, wc->lpfnWndProc, wc->hInstance, wc->hIcon,
                          wc->hCursor, wc->hbrBackground, 0});
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || !wc->lpszClassName || wc->cbSize != 48) return 0;
    return registerClass({wc->lpszClassName, wc->style, wc->lpfnWndProc, wc->hInstance, wc->hIcon,
                          wc->hCursor, wc->hbrBackground, wc->hIconSm});
}

BOOL GetClassInfoExA(HINSTANCE, const char* name, WNDCLASSEXA* out) {
    if (!name) return 0;
    auto it = state().classes.find(name);
    if (it == state().classes.end()) return 0;
    if (out) {
        const WindowClass& c = it->second;
        *out = WNDCLASSEXA{
            48,      c.style,           c.proc,     0, 0, c.instance, c.icon, c.cursor, c.background,
            nullptr, it->first.c_str(), c.smallIcon};
    }
    return 1;
}

HINSTANCE GetModuleHandleA(const char*) {
    return 0x400000;
}

HICON LoadIconA(HINSTANCE, uintptr_t id) {
    // Our windows carry no default icon: the application icon is a handle with no picture.
    if (id != IDI_APPLICATION) return 0;
    HICON h = newHandle();
    state().icons[h] = nullptr;
    return h;
}

HCURSOR LoadCursorA(HINSTANCE, uintptr_t id) {
    if (!knownCursorId(id) || !ensureVideo()) return 0;
    // A driver without pointer support (offscreen) makes no native cursor; the handle still names
    // the system cursor, there is just nothing to show.
    HCURSOR h = newHandle();
    state().cursors[h] = native::systemCursor(id);
    return h;
}

HCURSOR LoadCursorFromFileA(const char* file) {
    if (!file || !*file || !ensureVideo()) return 0;
    NativeIcon* icon = nullptr;
    NativeCursor* c = native::fileCursor(file, &icon);
    if (!c && !icon) return 0;
    // The picture doubles as an icon loaded through the cursor loader.
    HCURSOR h = newHandle();
    state().cursors[h] = c;
    state().icons[h] = icon;
    return h;
}

HBRUSH GetSysColorBrush(int32_t index) {
    return 0x1000 + static_cast<uint32_t>(index);
}

HGDIOBJ GetStockObject(int32_t index) {
    return 0x2000 + static_cast<uint32_t>(index);
}

void UseOffscreenWindows() {
    useVideoDriver("offscreen");
}

HWND CreateWindowExA(DWORD, const char* className, const char* caption, DWORD style, int32_t x, int32_t y,
                     int32_t width, int32_t height, HWND parent, HMENU menu, HINSTANCE, void*) {
    if (!className) return 0;
    auto cls = state().classes.find(className);
    if (cls == state().classes.end()) return 0;
    if (style & WS_CHILD)
        return createChildWindow(cls->second, caption, style, x, y, width, height, parent, menu);
    if (!ensureVideo()) return 0;
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
    if (width <= 0 || height <= 0) return 0;

    Window w = windowRecord(className, caption, style, x, y, width, height, parent);
    w.native = native::createWindow(w.caption.c_str(), framed(style), x, y, width, height, w.gl);
    if (!w.native) return 0;
    HWND h = newHandle();
    state().windows[h] = std::move(w);
    Window& made = state().windows[h];
    const WindowClass& c = cls->second;
    auto cursor = state().cursors.find(c.cursor);
    if (cursor != state().cursors.end() && cursor->second) native::useCursor(cursor->second);
    auto icon = state().icons.find(c.icon);
    if (icon != state().icons.end() && icon->second) native::setIcon(made.native, icon->second);
    if (style & WS_VISIBLE) {
        native::showWindow(made.native, true);
        made.visible = true;
    }
    if (c.proc) c.proc(h, WM_CREATE, 0, 0);
    return h;
}

BOOL ShowWindow(HWND wnd, int32_t cmdShow) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    const BOOL wasVisible = w->visible;
    if (w->child) {
        w->visible = cmdShow != SW_HIDE;
        return wasVisible;
    }
    if (!w->native) return 0;
    w->visible = cmdShow != SW_HIDE;
    native::showWindow(w->native, w->visible);
    return wasVisible;
}

BOOL UpdateWindow(HWND wnd) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    if (w->needsPaint) {
        auto cls = state().classes.find(w->className);
        if (cls != state().classes.end() && cls->second.proc) cls->second.proc(wnd, WM_PAINT, 0, 0);
    }
    return 1;
}

BOOL DestroyWindow(HWND wnd) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    if (w->destroying) return 1;  // asked again from inside its own WM_DESTROY
    w->destroying = true;
    // The window hears of its destruction first, while its children still exist; then they go.
    auto cls = state().classes.find(w->className);
    WNDPROC proc = cls != state().classes.end() ? cls->second.proc : nullptr;
    if (proc) proc(wnd, WM_DESTROY, 0, 0);
    w = findWindow(wnd);  // the procedure may have run anything
    if (!w) return 1;
    const std::vector<HWND> children = w->children;
    for (HWND child : children) DestroyWindow(child);
    w = findWindow(wnd);
    if (!w) return 1;
    w->alive = false;
    if (state().capture == wnd) ReleaseCapture();
    releaseWindowParts(wnd, *w);
    // The native window is hidden now and destroyed once no GL context can still draw into it.
    if (w->native) {
        bool inUse = false;
        for (auto& [h, c] : state().contexts) inUse |= c.window == wnd;
        if (inUse) {
            native::showWindow(w->native, false);
        } else {
            native::destroyWindow(w->native);
            w->native = nullptr;
        }
    }
    return 1;
}

BOOL IsWindow(HWND wnd) {
    return findWindow(wnd) != nullptr;
}

BOOL SetWindowTextA(HWND wnd, const char* text) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    w->caption = text ? text : "";
    if (w->native) native::setCaption(w->native, w->caption.c_str());
    return 1;
}

int32_t GetWindowTextA(HWND wnd, char* out, int32_t size) {
    Window* w = findWindow(wnd);
    if (!w || !out || size <= 0) return 0;
    const int32_t n = std::min<int32_t>(size - 1, static_cast<int32_t>(w->caption.size()));
    w->caption.copy(out, static_cast<size_t>(n));
    out[n] = 0;
    return n;
}

BOOL GetClientRect(HWND wnd, RECT* rect) {
    Window* w = findWindow(wnd);
    if (!w || !rect) return 0;
    int cw = w->width, ch = w->height;
    if (w->native) native::clientSize(w->native, cw, ch);
    *rect = RECT{0, 0, cw, ch};
    return 1;
}

int32_t GetSystemMetrics(int32_t index) {
    if ((index != SM_CXSCREEN && index != SM_CYSCREEN) || !ensureVideo()) return 0;
    int width = 0, height = 0;
    if (!native::screenSize(width, height)) return 0;
    return index == SM_CXSCREEN ? width : height;
}

HDC BeginPaint(HWND wnd, PAINTSTRUCT* ps) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    w->needsPaint = false;
    const HDC dc = newHandle();
    state().dcs[dc] = DeviceContext{wnd, false, DcKind::Paint};
    if (ps) *ps = PAINTSTRUCT{dc, 0, RECT{0, 0, w->width, w->height}};
    return dc;
}

BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps) {
    if (ps) {
        auto it = state().dcs.find(ps->hdc);
        if (it != state().dcs.end() && it->second.kind == DcKind::Paint && it->second.window == wnd)
            state().dcs.erase(it);
    }
    return findWindow(wnd) != nullptr;
}

HWND CreateStatusWindowA(LONG style, const char* text, HWND parent, UINT) {
    if (!findWindow(parent)) return 0;
    Window w;
    w.className = "msctls_statusbar32";
    w.caption = text ? text : "";
    w.style = static_cast<DWORD>(style);
    w.parent = parent;
    w.needsPaint = false;
    HWND h = newHandle();
    state().windows[h] = std::move(w);
    return h;
}
