// The platform layer: the window-system calls the toolkit is written against, with their
// Win32 names, message codes, constants and results, built on SDL2 (or, in Windows builds, on
// the real Win32 API). This header is the whole contract; no SDL or <windows.h> type appears in
// it. Handles are the unsigned 32-bit values the toolkit keeps in its globals, mapped to the
// backend's objects by tables inside the layer. Strings arrive as Windows-1252
// bytes and are converted to UTF-8 inside the layer only.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using LONG = int32_t;
using ATOM = uint16_t;
using HANDLE = uint32_t;
using HWND = uint32_t;
using HDC = uint32_t;
using HGLRC = uint32_t;
using HINSTANCE = uint32_t;
using HICON = uint32_t;
using HCURSOR = uint32_t;
using HBRUSH = uint32_t;
using HMENU = uint32_t;
using HGDIOBJ = uint32_t;
using HBITMAP = uint32_t;
using HPALETTE = uint32_t;
using HRGN = uint32_t;
using HGLOBAL = uint32_t;
using COLORREF = uint32_t;  // 0x00BBGGRR
using WPARAM = int32_t;
using LPARAM = int32_t;
using LRESULT = int32_t;

// The window procedure's shape: window, message, wParam, lParam -> result.
using WNDPROC = LRESULT (*)(HWND, int32_t, WPARAM, LPARAM);

struct POINT {
    LONG x;
    LONG y;
};
struct RECT {
    LONG left, top, right, bottom;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int32_t cbClsExtra;
    int32_t cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int32_t cbClsExtra;
    int32_t cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    HICON hIconSm;
};

// The 40-byte pixel-format descriptor.
struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits, cRedShift, cGreenBits, cGreenShift, cBlueBits, cBlueShift;
    BYTE cAlphaBits, cAlphaShift;
    BYTE cAccumBits, cAccumRedBits, cAccumGreenBits, cAccumBlueBits, cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask, dwVisibleMask, dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

// A decoded bitmap as GetObjectA describes it: rows bottom-up, each padded to 4 bytes,
// pixels B, G, R (24 bits) or B, G, R, A (32 bits).
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

// The 40-byte header of a device-independent bitmap; a positive height stores rows bottom-up.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct PALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
};

// A logical palette: palNumEntries entries follow the version in one block.
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

// Region data: a 32-byte header followed by nCount rectangles of 16 bytes.
struct RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32);

struct RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
};

struct XFORM {
    float eM11, eM12, eM21, eM22, eDx, eDy;
};

// ---- Constants ----------------------------------------------------------------------------

// Message codes.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_PAINT = 0x000F,
               WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_CONTEXTMENU = 0x007B, WM_KEYDOWN = 0x0100,
               WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_RBUTTONDOWN = 0x0204,
               WM_RBUTTONUP = 0x0205, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MOUSEWHEEL = 0x020A,
               WM_USER = 0x0400;
constexpr UINT SB_SETPARTS = 0x0404, SB_GETPARTS = 0x0406;
constexpr WPARAM SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170;
// Mouse-message wParam flags.
constexpr WPARAM MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10;

// Virtual-key codes (digits and letters are their upper-case characters).
constexpr int32_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                  VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                  VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                  VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
                  VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
                  VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_OEM_1 = 0xBA,
                  VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
                  VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD,
                  VK_OEM_7 = 0xDE;

// Message boxes.
constexpr UINT MB_OK = 0x0000, MB_YESNO = 0x0004, MB_ICONQUESTION = 0x0020;
constexpr int32_t IDOK = 1, IDYES = 6, IDNO = 7;

// Window styles and creation.
constexpr DWORD WS_POPUP = 0x80000000, WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000, WS_CAPTION = 0x00C00000,
                WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000,
                WS_MINIMIZEBOX = 0x00020000, WS_MAXIMIZEBOX = 0x00010000;
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_OWNDC = 0x0020;
constexpr int32_t CW_USEDEFAULT = static_cast<int32_t>(0x80000000u);
constexpr int32_t SW_SHOWNORMAL = 1, SW_HIDE = 0;
constexpr int32_t SM_CXSCREEN = 0, SM_CYSCREEN = 1;
constexpr int32_t COLOR_BTNFACE = 15, NULL_BRUSH = 5;
constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001;

// System cursor and icon identifiers (passed to LoadCursorA / LoadIconA with instance 0).
constexpr uintptr_t IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515,
                    IDC_UPARROW = 32516, IDC_SIZE = 32640, IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643,
                    IDC_SIZEWE = 32644, IDC_SIZENS = 32645, IDC_SIZEALL = 32646, IDC_NO = 32648,
                    IDC_HAND = 32649, IDC_APPSTARTING = 32650, IDC_HELP = 32651, IDI_APPLICATION = 32512;

// Pixel-format flags.
constexpr DWORD PFD_DOUBLEBUFFER = 0x1, PFD_STEREO = 0x2, PFD_DRAW_TO_WINDOW = 0x4, PFD_SUPPORT_OPENGL = 0x20,
                PFD_GENERIC_FORMAT = 0x40, PFD_GENERIC_ACCELERATED = 0x1000, PFD_SUPPORT_DIRECTDRAW = 0x2000;
constexpr BYTE PFD_TYPE_RGBA = 0, PFD_MAIN_PLANE = 0;

// Image loading.
constexpr UINT IMAGE_BITMAP = 0, LR_LOADFROMFILE = 0x0010, LR_LOADTRANSPARENT = 0x0020,
               LR_CREATEDIBSECTION = 0x2000;

// GDI objects, bitmaps, palettes and blits.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr UINT DIB_RGB_COLORS = 0, OBJ_PAL = 5, OBJ_BITMAP = 7;
constexpr DWORD BI_RGB = 0;
constexpr int32_t DEFAULT_PALETTE = 15;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// Regions: data type, combine modes and the complexity results (RGN_ERROR on failure).
constexpr DWORD RDH_RECTANGLES = 1;
constexpr int32_t RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr int32_t RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;

// Global memory.
constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040, GHND = 0x0042;

// ---- Message boxes --------------------------------------------------------------------------
// Shows a modal box; text and caption are Windows-1252. MB_OK answers IDOK; MB_YESNO answers
// IDYES or IDNO. Returns 0 when no box could be shown.
int32_t MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
// The layer's own addition for hosts that must never block on a box (command-line tools, test
// programs): from now on every message box, and every note of the layer's own (why video or a
// window could not start, caption "Vitrail"), goes to `handler` instead of the screen. It gets the
// text and caption in UTF-8 and the MB_ type, and returns the box's answer (IDOK, IDYES, IDNO).
// Null gives boxes on screen again. Without a handler, VITRAIL_MESSAGES=stderr in the environment
// does the same for any host: each box or note becomes one line "caption: text" on standard
// error, and a box is answered by its Escape button (IDOK, or IDNO for a Yes/No question).
using MESSAGEHANDLER = int32_t (*)(const char* textUtf8, const char* captionUtf8, UINT type);
void SetMessageHandler(MESSAGEHANDLER handler);

// ---- Window classes and windows -------------------------------------------------------------
ATOM RegisterClassA(const WNDCLASSA* wc);                                  // nonzero atom on success
ATOM RegisterClassExA(const WNDCLASSEXA* wc);                              // nonzero atom on success
BOOL GetClassInfoExA(HINSTANCE inst, const char* name, WNDCLASSEXA* out);  // nonzero if registered
HINSTANCE GetModuleHandleA(const char* name);                              // the program's instance (nonzero)
HICON LoadIconA(HINSTANCE inst, uintptr_t id);                             // system icon handle, or 0
HCURSOR LoadCursorA(HINSTANCE inst, uintptr_t id);                         // system cursor handle, or 0
HCURSOR LoadCursorFromFileA(const char* file);                             // cursor from a BMP file, or 0
HBRUSH GetSysColorBrush(int32_t index);                                    // a brush handle (never drawn)
HGDIOBJ GetStockObject(int32_t index);                                     // a stock object handle
// Creates a top-level window of a registered class. A style with WS_CAPTION gives a fixed-size
// window with caption and close box, client area width x height; without it, a borderless
// window. CW_USEDEFAULT places it at the screen's top-left corner. WM_CREATE is sent to the
// class's window procedure before the handle is returned. Returns 0 on failure.
// With WS_CHILD and a parent it makes a child window instead: no window of its own, placed at
// x, y of the parent's client area, control identifier `menu`. It takes the mouse messages over
// its area (or its window region) and a visible one gets a WM_PAINT after WM_CREATE; what its
// paint DC draws is laid over the top-level window's GL image by SwapBuffers.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* caption, DWORD style, int32_t x,
                     int32_t y, int32_t width, int32_t height, HWND parent, HMENU menu, HINSTANCE inst,
                     void* param);
BOOL ShowWindow(HWND wnd, int32_t cmdShow);
BOOL UpdateWindow(HWND wnd);  // sends WM_PAINT when the window needs it
// Destroys the window's children first (topmost first), then sends it WM_DESTROY; 0 for a dead handle.
BOOL DestroyWindow(HWND wnd);
BOOL IsWindow(HWND wnd);
BOOL SetWindowTextA(HWND wnd, const char* text);
int32_t GetWindowTextA(HWND wnd, char* out, int32_t size);  // the Windows-1252 caption
BOOL GetClientRect(HWND wnd, RECT* rect);
int32_t GetSystemMetrics(int32_t index);  // SM_CXSCREEN / SM_CYSCREEN
// A paint DC for the window, valid until EndPaint: a child's draws into its surface, a top-level
// window's draws nowhere (its pixels belong to the GL context).
HDC BeginPaint(HWND wnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps);
// A status strip is kept as a control record (its text and parts); nothing is drawn.
HWND CreateStatusWindowA(LONG style, const char* text, HWND parent, UINT id);

// ---- Child windows, properties and window regions -------------------------------------------
HWND GetParent(HWND wnd);        // the parent of a child window or of the status strip, or 0
int32_t GetDlgCtrlID(HWND wnd);  // a child's control identifier, 0 otherwise
// Screen coordinates. A top-level window's rectangle is its client area: the frame belongs to
// the window manager.
BOOL GetWindowRect(HWND wnd, RECT* rect);
// A child moves within its parent's client area; a new size gives it a cleared surface.
BOOL MoveWindow(HWND wnd, int32_t x, int32_t y, int32_t width, int32_t height, BOOL repaint);
BOOL SetPropA(HWND wnd, const char* name, HANDLE value);  // names compare without case
HANDLE GetPropA(HWND wnd, const char* name);              // 0 when not set
HANDLE RemovePropA(HWND wnd, const char* name);           // the value removed, or 0
// The window's shape, relative to its top-left corner; the window owns the region from now on
// (it is deleted with the window or the next shape). Region 0 gives back the rectangle.
int32_t SetWindowRgn(HWND wnd, HRGN rgn, BOOL redraw);
int32_t GetWindowRgn(HWND wnd, HRGN out);  // copies the shape into `out`; RGN_ERROR without one
// Queues one WM_PAINT for the window unless one is already waiting.
BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase);

// ---- Messages -------------------------------------------------------------------------------
// Pumps pending window-system events into the thread's queue, then looks at its head (hwnd 0: any window).
BOOL PeekMessageA(MSG* msg, HWND wnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL GetMessageA(MSG* msg, HWND wnd, UINT filterMin, UINT filterMax);  // 0 for WM_QUIT
BOOL TranslateMessage(const MSG* msg);                                 // queues WM_CHAR for character keys
LRESULT DispatchMessageA(const MSG* msg);
LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);  // a direct call
// For messages whose lParam is an address (SB_SETPARTS, SB_GETPARTS): the 64-bit form.
LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, void* lParam);
BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);  // to the queue's tail
void PostQuitMessage(int32_t exitCode);
// WM_CLOSE destroys the window; every other message answers 0.
LRESULT DefWindowProcA(HWND wnd, int32_t msg, WPARAM wParam, LPARAM lParam);

// ---- Mouse, focus and time ------------------------------------------------------------------
HWND SetCapture(HWND wnd);  // returns the window that had the capture
BOOL ReleaseCapture();
HWND GetCapture();
BOOL GetCursorPos(POINT* pt);  // screen coordinates
BOOL SetCursorPos(int32_t x, int32_t y);
HWND GetForegroundWindow();  // the window with the input focus, or 0
DWORD GetTickCount();        // milliseconds since the layer started

// ---- Device context, pixel format and GL context --------------------------------------------
HDC GetDC(HWND wnd);
int32_t ReleaseDC(HWND wnd, HDC dc);  // 1 when released, 0 for a dead window or context
// The closest format the platform offers to the request, as a nonzero index; 0 when the
// request asks for no OpenGL or a non-RGBA type.
int32_t ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd);
BOOL SetPixelFormat(HDC dc, int32_t format, const PIXELFORMATDESCRIPTOR* pfd);
// What a chosen format holds (colour, alpha, depth, stencil bits, double buffering); 0 if none.
int32_t DescribePixelFormat(HDC dc, int32_t format, UINT size, PIXELFORMATDESCRIPTOR* out);
HGLRC wglCreateContext(HDC dc);  // a compatibility-profile context; 0 on failure
BOOL wglMakeCurrent(HDC dc, HGLRC rc);
BOOL wglDeleteContext(HGLRC rc);
HGLRC wglGetCurrentContext();               // the context current on this thread, or 0
void* wglGetProcAddress(const char* name);  // GL entry point by name, or null
BOOL SwapBuffers(HDC dc);
// The layer's own addition for programs that draw without showing anything: from now on windows
// are made off screen (no display needed, nothing shown); GL drawing and glReadPixels work as in
// a visible window. Call before the first window is created.
void UseOffscreenWindows();

// ---- Images ---------------------------------------------------------------------------------
// Decodes a BMP file into a bottom-up, 4-byte-padded bitmap: files of 24 or 32 bits give
// B, G, R (, A) pixels of that depth; files of 8 bits or fewer keep their depth and colour table.
// 0 when the file cannot be read or decoded.
HANDLE LoadImageA(HINSTANCE inst, const char* file, UINT type, int32_t cx, int32_t cy, UINT flags);
int32_t GetObjectA(HGDIOBJ obj, int32_t size, void* out);  // fills a BITMAP; bytes written
// Deletes a bitmap, palette or region. Stock objects: 1, nothing done. 0 for an unknown handle,
// a bitmap or palette still selected into a DC, or a region a window owns.
BOOL DeleteObject(HGDIOBJ obj);

// ---- GDI: memory DCs, DIB sections, blits and palettes ----------------------------------------
// A memory DC holding a stock placeholder bitmap (nothing to copy) and the default palette.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);  // memory DCs; the objects selected into it survive
// Selects a bitmap into a memory DC and returns the previous one; 0 when the DC or bitmap is
// unknown or the bitmap is selected into another DC.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);  // OBJ_BITMAP or OBJ_PAL selected into the DC
// A zeroed 24- or 32-bit BI_RGB section; *bits points at its pixels. 0 for other formats.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// SRCCOPY only, clipped to both bitmaps. Sources: bitmaps of any depth in memory DCs; targets:
// 24- or 32-bit bitmaps in memory DCs and the paint or window DCs of child windows.
BOOL BitBlt(HDC dst, int32_t x, int32_t y, int32_t cx, int32_t cy, HDC src, int32_t x1, int32_t y1,
            DWORD rop);
// Colour-table entries of the bitmap selected into the DC; the number copied (0 for deep bitmaps).
UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* out);
HPALETTE CreatePalette(const LOGPALETTE* pal);                       // version 0x300, at least one entry
HPALETTE CreateHalftonePalette(HDC dc);                              // 256 entries: a 6x6x6 cube and 40 greys
HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground);  // the previous palette
UINT RealizePalette(HDC dc);  // entries of the selected palette; GDI_ERROR
// The entries copied; with `out` null, the number of entries in the palette.
UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* out);

// ---- Regions: rectangle lists in y-x bands ----------------------------------------------------
BOOL SetRect(RECT* rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
HRGN CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
// A region from RGNDATA of `size` bytes: dwSize 32, iType RDH_RECTANGLES and nCount rectangles
// within `size`; empty rectangles add nothing. No transform (`xform` must be null). 0 otherwise.
HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);
// dst := a OR b (RGN_OR) or a (RGN_COPY); the result's complexity, RGN_ERROR for other modes.
int32_t CombineRgn(HRGN dst, HRGN a, HRGN b, int32_t mode);
BOOL PtInRegion(HRGN rgn, int32_t x, int32_t y);
int32_t GetRgnBox(HRGN rgn, RECT* box);  // complexity; an empty region's box is all zeros
BOOL EqualRgn(HRGN a, HRGN b);
// Fills RGNDATA with the region's rectangles in band order; with `out` null, the bytes needed.
// 0 when `size` is too small.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* out);

// ---- Global memory ----------------------------------------------------------------------------
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);  // zeroed block; 0 when out of memory
void* GlobalLock(HGLOBAL mem);                  // the block's address; counts the locks
BOOL GlobalUnlock(HGLOBAL mem);                 // nonzero while locks remain
// Resizes the block (new bytes zeroed) and keeps the handle; a locked block moves only with
// GMEM_MOVEABLE. 0 on failure, the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT flags);
HGLOBAL GlobalFree(HGLOBAL mem);  // 0 on success, the handle when unknown
size_t GlobalSize(HGLOBAL mem);
