// The Win32 backend's video: the one window class, top-level windows whose client area has the
// size asked for (AdjustWindowRectEx) and whose pixel format is set when they are made, cursors,
// icons, the screen size, the tick count and message boxes. "offscreen" windows are never shown.
#include "vitrail/platform/win32/win32.h"

namespace vtrlplat::win32 {

HCURSOR currentCursor = nullptr;
bool offscreen = false;

std::map<HWND, Window*>& windows() {
    static std::map<HWND, Window*> table;
    return table;
}

Window* find(HWND hwnd) {
    auto it = windows().find(hwnd);
    return it == windows().end() ? nullptr : it->second;
}

std::wstring wide(const char* text, UINT codePage) {
    if (!text || !*text) return {};
    const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, out.data(), n);
    out.resize(wcslen(out.c_str()));
    return out;
}

}  // namespace vtrlplat::win32

namespace vtrlplat::native {

namespace {

constexpr wchar_t kClassName[] = L"VitrailWindow";
constexpr UINT kCp1252 = 1252;
ULONGLONG startTicks = 0;

// A pixel format for the request on the window's DC, set once.
bool setFormat(HDC dc, const GlRequest& gl) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (gl.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(gl.red + gl.green + gl.blue);
    pfd.cAlphaBits = static_cast<BYTE>(gl.alpha);
    pfd.cDepthBits = static_cast<BYTE>(gl.depth);
    pfd.cStencilBits = static_cast<BYTE>(gl.stencil);
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    return format && SetPixelFormat(dc, format, &pfd);
}

DWORD styleOf(bool framed) {
    return WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (framed ? WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX : WS_POPUP);
}

}  // namespace

bool start() {
    startTicks = GetTickCount64();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = win32::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    wc.lpszClassName = kClassName;
    win32::currentCursor = wc.hCursor;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        note("video could not start: window class not registered (error " + std::to_string(GetLastError()) +
             ")");
        return false;
    }
    return true;
}

void stop() {
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

void useDriver(const char* name) {
    win32::offscreen = name && std::string(name) == "offscreen";
}

uint32_t ticks() {
    return static_cast<uint32_t>(GetTickCount64() - startTicks);
}

bool screenSize(int& width, int& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
    return width > 0 && height > 0;
}

NativeWindow* createWindow(const char* caption, bool framed, int x, int y, int width, int height,
                           const GlRequest& gl) {
    const DWORD style = styleOf(framed);
    RECT r{x, y, x + width, y + height};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, kClassName, win32::wide(caption, kCp1252).c_str(), style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) {
        note("window could not be created (error " + std::to_string(GetLastError()) + ")");
        return nullptr;
    }
    auto* w = new win32::Window{hwnd, GetDC(hwnd)};
    if (!setFormat(w->dc, gl)) {
        note("window could not be created: no pixel format (error " + std::to_string(GetLastError()) + ")");
        DestroyWindow(hwnd);
        delete w;
        return nullptr;
    }
    win32::windows()[hwnd] = w;
    return win32::native(w);
}

void destroyWindow(NativeWindow* nw) {
    win32::Window* w = win32::of(nw);
    win32::windows().erase(w->hwnd);
    DestroyWindow(w->hwnd);
    delete w;
}

void showWindow(NativeWindow* nw, bool show) {
    HWND hwnd = win32::of(nw)->hwnd;
    if (!show) {
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    if (win32::offscreen) return;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
}

void setCaption(NativeWindow* nw, const char* caption) {
    SetWindowTextW(win32::of(nw)->hwnd, win32::wide(caption, kCp1252).c_str());
}

void clientSize(NativeWindow* nw, int& width, int& height) {
    RECT r{};
    GetClientRect(win32::of(nw)->hwnd, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
}

void position(NativeWindow* nw, int& x, int& y) {
    POINT p{0, 0};
    ClientToScreen(win32::of(nw)->hwnd, &p);
    x = p.x;
    y = p.y;
}

void place(NativeWindow* nw, int x, int y, int width, int height) {
    HWND hwnd = win32::of(nw)->hwnd;
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    RECT r{x, y, x + width, y + height};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

NativeWindow* focusWindow() {
    return win32::native(win32::find(GetFocus()));
}

NativeCursor* systemCursor(uintptr_t id) {
    HCURSOR c = LoadCursorW(nullptr, MAKEINTRESOURCEW(id));
    return c ? reinterpret_cast<NativeCursor*>(new win32::Cursor{c, false}) : nullptr;
}

NativeCursor* fileCursor(const char* file, NativeIcon** icon) {
    auto* colour = static_cast<HBITMAP>(LoadImageA(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!colour) return nullptr;
    BITMAP b{};
    GetObjectW(colour, sizeof b, &b);
    // An all-zero AND mask: every pixel of the picture is shown.
    std::string zeros(static_cast<size_t>((b.bmWidth + 15) / 16 * 2 * b.bmHeight), '\0');
    HBITMAP mask = CreateBitmap(b.bmWidth, b.bmHeight, 1, 1, zeros.data());
    ICONINFO info{FALSE, 0, 0, mask, colour};
    HCURSOR cursor = CreateIconIndirect(&info);
    info.fIcon = TRUE;
    *icon = reinterpret_cast<NativeIcon*>(CreateIconIndirect(&info));
    DeleteObject(mask);
    DeleteObject(colour);
    return cursor ? reinterpret_cast<NativeCursor*>(new win32::Cursor{cursor, true}) : nullptr;
}

void useCursor(NativeCursor* c) {
    win32::currentCursor = reinterpret_cast<win32::Cursor*>(c)->handle;
    SetCursor(win32::currentCursor);
}

void setIcon(NativeWindow* nw, NativeIcon* icon) {
    SendMessageW(win32::of(nw)->hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(win32::of(nw)->hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void freeCursor(NativeCursor* c) {
    auto* cursor = reinterpret_cast<win32::Cursor*>(c);
    if (win32::currentCursor == cursor->handle)
        win32::currentCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    if (cursor->owned) DestroyCursor(cursor->handle);
    delete cursor;
}

void freeIcon(NativeIcon* icon) {
    DestroyIcon(reinterpret_cast<HICON>(icon));
}

int32_t messageBox(NativeWindow* owner, const std::string& text, const std::string& caption, bool yesNo) {
    const UINT type = yesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONINFORMATION;
    const int pressed =
        MessageBoxW(owner ? win32::of(owner)->hwnd : nullptr, win32::wide(text.c_str(), CP_UTF8).c_str(),
                    win32::wide(caption.c_str(), CP_UTF8).c_str(), type | MB_SETFOREGROUND);
    if (pressed == 0)
        fprintf(stderr, "message box could not be shown: [%s] %s\n", caption.c_str(), text.c_str());
    // Closing the box without a button counts as its escape answer.
    if (pressed == IDCANCEL) return yesNo ? IDNO : IDOK;
    return pressed;
}

}  // namespace vtrlplat::native
