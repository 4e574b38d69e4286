// Window classes, windows, system cursors and icons, the screen size, painting and the status
// strip control, on SDL windows (child windows: childwindow.cpp). Also owns the layer's state
// and its start-up and teardown.
#include <cstdlib>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/text.h"

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
    if (s.videoRefused) return false;
    // Ctrl+C and SIGTERM keep their default meaning (end the process): the toolkit has no quit
    // message of its own that SDL's quit event could become.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool driverAsked = asked && *asked;
    // Without a display named and no driver asked for, SDL's probing would only add the display
    // libraries' own complaints to the one line that matters.
    if (!driverAsked && !SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) {
        note("no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        s.videoRefused = true;
        return false;
    }
    // An X display alone is all SDL is offered: when it cannot be reached, SDL's falling back to
    // the other drivers would only add their complaints.
    const char* x11 = SDL_getenv("DISPLAY");
    const bool x11Only = !driverAsked && x11 && !SDL_getenv("WAYLAND_DISPLAY");
    if (x11Only) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        note(x11Only ? std::string("no display to open a window on (DISPLAY=") + x11 + " cannot be opened)"
                     : std::string("video could not start: ") + SDL_GetError());
        if (x11Only) SDL_SetHint(SDL_HINT_VIDEODRIVER, "");
        return false;
    }
    // With no display SDL falls back to a driver that shows nothing; a window nobody can see is
    // refused unless that driver was asked for (by a test, or SDL_VIDEODRIVER).
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible =
        driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (invisible && !driverAsked) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        note(std::string("no display to open a window on (SDL chose the '") + driver + "' driver)");
        s.videoRefused = true;
        return false;
    }
    // Mouse positions outside the window must keep arriving while a button is held.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
    s.videoStarted = true;
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit([] {
            destroyAll();
            SDL_Quit();
        });
    }
    return true;
}

Window* findWindow(HWND wnd) {
    auto it = state().windows.find(wnd);
    if (it == state().windows.end() || !it->second.alive) return nullptr;
    return &it->second;
}

HWND windowFromSdlId(Uint32 id) {
    for (auto& [handle, w] : state().windows)
        if (w.alive && w.sdl && SDL_GetWindowID(w.sdl) == id) return handle;
    return 0;
}

void destroyAll() {
    State& s = state();
    for (auto& [h, c] : s.contexts)
        if (c.sdl) SDL_GL_DeleteContext(c.sdl);
    s.contexts.clear();
    s.current = 0;
    for (auto& [h, w] : s.windows)
        if (w.sdl) SDL_DestroyWindow(w.sdl);
    s.windows.clear();
    s.dcs.clear();
    for (auto& [h, c] : s.cursors)
        if (c) SDL_FreeCursor(c);
    s.cursors.clear();
    for (auto& [h, i] : s.icons)
        if (i) SDL_FreeSurface(i);
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
    SDL_SetHint(SDL_HINT_VIDEODRIVER, name);
}

}  // namespace vtrlplat

using namespace vtrlplat;

namespace {

ATOM registerClass(const WindowClass& wc) {
    if (wc.name.empty() || state().classes.count(wc.name)) return 0;
    state().classes[wc.name] = wc;
    return static_cast<ATOM>(state().classes.size());
}

SDL_SystemCursor systemCursorFor(uintptr_t id) {
    switch (id) {
        case IDC_IBEAM:
            return SDL_SYSTEM_CURSOR_IBEAM;
        case IDC_WAIT:
            return SDL_SYSTEM_CURSOR_WAIT;
        case IDC_CROSS:
            return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case IDC_UPARROW:
            return SDL_SYSTEM_CURSOR_ARROW;
        case IDC_SIZE:
        case IDC_SIZEALL:
            return SDL_SYSTEM_CURSOR_SIZEALL;
        case IDC_SIZENWSE:
            return SDL_SYSTEM_CURSOR_SIZENWSE;
        case IDC_SIZENESW:
            return SDL_SYSTEM_CURSOR_SIZENESW;
        case IDC_SIZEWE:
            return SDL_SYSTEM_CURSOR_SIZEWE;
        case IDC_SIZENS:
            return SDL_SYSTEM_CURSOR_SIZENS;
        case IDC_NO:
            return SDL_SYSTEM_CURSOR_NO;
        case IDC_HAND:
            return SDL_SYSTEM_CURSOR_HAND;
        case IDC_APPSTARTING:
            return SDL_SYSTEM_CURSOR_WAITARROW;
        case IDC_HELP:
            return SDL_SYSTEM_CURSOR_ARROW;
        default:
            return SDL_SYSTEM_CURSOR_ARROW;
    }
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
    // SDL windows carry no default icon: the application icon is a handle with no picture.
    if (id != IDI_APPLICATION) return 0;
    HICON h = newHandle();
    state().icons[h] = nullptr;
    return h;
}

HCURSOR LoadCursorA(HINSTANCE, uintptr_t id) {
    if (!knownCursorId(id) || !ensureVideo()) return 0;
    // A driver without pointer support (offscreen) makes no SDL cursor; the handle still names
    // the system cursor, there is just nothing to show.
    SDL_Cursor* c = SDL_CreateSystemCursor(systemCursorFor(id));
    HCURSOR h = newHandle();
    state().cursors[h] = c;
    return h;
}

HCURSOR LoadCursorFromFileA(const char* file) {
    if (!file || !*file || !ensureVideo()) return 0;
    SDL_Surface* image = SDL_LoadBMP(file);
    if (!image) return 0;
    SDL_Cursor* c = SDL_CreateColorCursor(image, 0, 0);
    // The surface doubles as the picture for an icon loaded through the cursor loader.
    HCURSOR h = newHandle();
    state().cursors[h] = c;
    state().icons[h] = image;
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
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | frameFlags(style);
    applyGlAttributes(w.gl);
    w.sdl = SDL_CreateWindow(vitrail_platform::Cp1252ToUtf8(w.caption.c_str()).c_str(), x, y, width, height,
                             flags);
    if (!w.sdl) {
        note(std::string("window could not be created: ") + SDL_GetError());
        return 0;
    }
    HWND h = newHandle();
    state().windows[h] = std::move(w);
    Window& made = state().windows[h];
    const WindowClass& c = cls->second;
    auto cursor = state().cursors.find(c.cursor);
    if (cursor != state().cursors.end() && cursor->second) SDL_SetCursor(cursor->second);
    auto icon = state().icons.find(c.icon);
    if (icon != state().icons.end() && icon->second) SDL_SetWindowIcon(made.sdl, icon->second);
    if (style & WS_VISIBLE) {
        SDL_ShowWindow(made.sdl);
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
    if (!w->sdl) return 0;
    if (cmdShow == SW_HIDE) {
        SDL_HideWindow(w->sdl);
        w->visible = false;
    } else {
        SDL_ShowWindow(w->sdl);
        SDL_RaiseWindow(w->sdl);
        w->visible = true;
    }
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
    // The SDL window is hidden now and destroyed once no GL context can still draw into it.
    if (w->sdl) {
        bool inUse = false;
        for (auto& [h, c] : state().contexts) inUse |= c.window == wnd;
        if (inUse) {
            SDL_HideWindow(w->sdl);
        } else {
            SDL_DestroyWindow(w->sdl);
            w->sdl = nullptr;
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
    if (w->sdl) SDL_SetWindowTitle(w->sdl, vitrail_platform::Cp1252ToUtf8(w->caption.c_str()).c_str());
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
    if (w->sdl) SDL_GetWindowSize(w->sdl, &cw, &ch);
    *rect = RECT{0, 0, cw, ch};
    return 1;
}

int32_t GetSystemMetrics(int32_t index) {
    if ((index != SM_CXSCREEN && index != SM_CYSCREEN) || !ensureVideo()) return 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return index == SM_CXSCREEN ? mode.w : mode.h;
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
