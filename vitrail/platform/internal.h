// Shared state of the platform layer's source files: the handle tables that map the toolkit's
// 32-bit handles to the backend's native objects and to GDI objects, the window classes and the
// thread's message queue. Only files in vitrail/platform/ include this header.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "vitrail/platform/bmpfile.h"
#include "vitrail/platform/native.h"
#include "vitrail/platform/platform.h"

namespace vtrlplat {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = 0;
    HICON icon = 0;
    HCURSOR cursor = 0;
    HBRUSH background = 0;
    HICON smallIcon = 0;
};

// A GDI bitmap (a decoded file or a DIB section) or a child window's surface: rows padded to 4
// bytes, bottom-up unless topDown. Pixels of 8 bits or fewer index `colours`; 24-bit pixels are
// B, G, R and 32-bit ones B, G, R, A.
struct Bitmap {
    std::vector<uint8_t> bits;
    int32_t width = 0, height = 0, stride = 0, bitsPixel = 0;
    bool topDown = false;
    std::vector<RGBQUAD> colours;
};

struct Palette {
    std::vector<PALETTEENTRY> entries;
};

// A region as rectangles in y-x bands: sorted by top, then left; the rectangles of a band share
// top and bottom and neither overlap nor touch; neighbouring bands with equal spans are merged.
// Two equal areas therefore have equal lists.
struct Region {
    std::vector<RECT> rects;
    HWND owner = 0;  // the window whose shape it is
};

struct Window {
    NativeWindow* native = nullptr;  // the backend's window; null for children and controls
    std::string className;
    std::string caption;  // Windows-1252
    DWORD style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool alive = true;  // false once DestroyWindow ran; the native window may linger hidden
    bool visible = false;
    bool needsPaint = true;
    HWND parent = 0;             // for controls such as the status strip
    std::vector<int32_t> parts;  // status strip parts
    GlRequest gl;
    int pixelFormat = 0;
    bool destroying = false;
    bool child = false;                   // made with WS_CHILD: no native window, drawn over its top level
    int32_t id = 0;                       // a child's control identifier
    std::vector<HWND> children;           // bottom to top
    std::map<std::string, HANDLE> props;  // keyed by the lower-case name
    HRGN region = 0;                      // the window's shape (owned), relative to its top-left corner
    Bitmap surface;                       // a child's pixels, top-down B, G, R, A; alpha 255 where drawn
    std::vector<uint8_t> composed;        // the surface bottom-up, alpha cleared outside the shape
    bool composedStale = true;
};

enum class DcKind { Window, Paint, Memory };

struct DeviceContext {
    HWND window = 0;
    bool released = false;
    DcKind kind = DcKind::Window;
    HBITMAP bitmap = 0;    // memory DCs: the selected bitmap
    HPALETTE palette = 0;  // the selected palette
};

// Stock GDI objects live in 0x1000..0x2FFF, a range newHandle never hands out.
constexpr HGDIOBJ kStockBase = 0x2000;
constexpr HBITMAP kStockBitmap = kStockBase + 0x100;  // a memory DC's placeholder bitmap
constexpr HPALETTE kDefaultPalette = kStockBase + DEFAULT_PALETTE;

struct GlContext {
    NativeContext* native = nullptr;
    HWND window = 0;
};

// A queued message. Pointer messages keep the top-level window and its client position (in pt)
// until they are read: only then is their window chosen, so that a capture taken while an
// earlier message was handled already applies to them.
struct QueuedMessage : MSG {
    QueuedMessage(const MSG& m, bool route = false) : MSG(m), routeOnRead(route) {}
    bool routeOnRead;
};

struct State {
    bool videoStarted = false;
    std::string videoDriver;
    std::map<std::string, WindowClass> classes;
    std::map<HWND, Window> windows;
    std::map<HDC, DeviceContext> dcs;
    std::map<HGLRC, GlContext> contexts;
    std::map<HCURSOR, NativeCursor*> cursors;
    std::map<HICON, NativeIcon*> icons;  // file icons; system icons map to null
    std::vector<GlRequest> formats;      // index 1.. = formats handed out by ChoosePixelFormat
    std::map<HBITMAP, Bitmap> bitmaps;
    std::map<HPALETTE, Palette> palettes;
    std::map<HRGN, Region> regions;
    std::deque<QueuedMessage> queue;
    HWND capture = 0;
    HGLRC current = 0;
    uint32_t nextHandle = 0x100;
    std::function<void()> peekHook;  // test seam: runs at the start of PeekMessageA
    HWND foregroundOverride = 0;     // test seam for GetForegroundWindow
    bool cursorRemembered = false;   // SetCursorPos could not move the pointer: `cursor` answers
    POINT cursor = {0, 0};           // drivers that cannot move the pointer keep it here
};

State& state();
// Starts the backend's video once; false when no display can be opened.
bool ensureVideo();
// The record of a live window, or null.
Window* findWindow(HWND wnd);
// A handle no table uses, outside the stock objects' range.
uint32_t newHandle();
// A window record of class `className` at (x, y), width by height, owned by `parent` (0: none).
Window windowRecord(const std::string& className, const char* caption, DWORD style, int32_t x, int32_t y,
                    int32_t width, int32_t height, HWND parent);
// A frame unless the style lacks a caption: both of WS_CAPTION's bits (WS_BORDER and
// WS_DLGFRAME) are needed; a thin WS_BORDER alone, as the full-screen style has, gets no frame.
inline bool framed(DWORD style) {
    return (style & WS_CAPTION) == WS_CAPTION;
}
// Selects the backend's video driver `name` for the windows made from now on.
void useVideoDriver(const char* name);
// Moves pending native events into the queue as window messages.
void pumpEvents();
// Destroys the native side of every object and empties the tables.
void destroyAll();

// Child windows (childwindow.cpp).
// Makes a child record under `parent` and sends it WM_CREATE; 0 when the parent is dead.
HWND createChildWindow(const WindowClass& cls, const char* caption, DWORD style, int32_t x, int32_t y,
                       int32_t width, int32_t height, HWND parent, HMENU id);
// Unlinks a destroyed window from its parent and frees its shape, properties and surface.
void releaseWindowParts(HWND wnd, Window& w);
// The top-level window above `wnd` (itself when it has no parent).
HWND topLevelOf(HWND wnd);
// Top-left corner of `wnd`'s client area in its top-level window's client coordinates.
POINT originInTopLevel(HWND wnd);
// The topmost visible child (at any depth) of top-level `top` whose shape holds `pt`, or 0.
HWND childAt(HWND top, POINT pt);
// Draws the visible children's surfaces over the GL back buffer of `top` (composite.cpp).
void compositeChildren(Window& top);

// GDI objects (gdi.cpp, region.cpp).
Bitmap* findBitmap(HBITMAP bmp);
// Keeps a decoded or new bitmap under a new handle.
HBITMAP storeBitmap(Bitmap&& bmp);
Region* findRegion(HRGN rgn);
bool regionContains(const Region& r, int32_t x, int32_t y);
// A new region of the given rectangles (any order, overlaps allowed).
HRGN makeRegion(const std::vector<RECT>& rects);

// BMP files: the header parser is in bmpfile.h.
// What our own true-colour BMP reader made of a file (truecolour.cpp).
enum class TrueColour { NotTrueColour, Refused, Decoded };
// Decodes a 24- or 32-bit BMP whose header is parsed into `out` (bottom-up rows padded to 4
// bytes, B, G, R (, A)). NotTrueColour leaves the file to another decoder; Refused is a
// true-colour file whose rows the file of `fileSize` bytes does not hold.
TrueColour readTrueColourBmp(std::FILE* file, int64_t fileSize, const BmpHeader& header, Bitmap& out);

}  // namespace vtrlplat
