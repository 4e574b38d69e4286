// The window system under the platform layer: what a backend supplies (SDL: sdl/*.cpp; Win32:
// win32/*.cpp), one line each. The shared files keep every record, table and rule of the contract;
// a backend only makes, shows and drops native windows, GL contexts, cursors and boxes, and turns
// its events into the calls at the end. Neither platform.h, SDL nor <windows.h> appears here, so
// files on either side of the contract include it; our handles are plain 32-bit numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtrlplat {

struct NativeWindow;
struct NativeContext;
struct NativeCursor;
struct NativeIcon;

// GL attributes a window is made with (SDL and Win32 both fix them when the window is made).
struct GlRequest {
    int red = 8, green = 8, blue = 8, alpha = 8, depth = 24, stencil = 8, doubleBuffer = 1;
    bool operator==(const GlRequest&) const = default;
};

// A picture a backend decoded, top row first, `pitch` bytes a row: one colour-table index a
// pixel (bytesPerPixel 1, table in `colours` as B, G, R, 0 bytes in little-endian words), or
// B, G, R (3) or B, G, R, A (4) bytes.
struct DecodedBmp {
    int32_t width = 0, height = 0, bytesPerPixel = 0, pitch = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> colours;
};

// A note of the layer's own (why video or a window could not start): to the host's message
// handler or VITRAIL_MESSAGES route when there is one, else to the backend's log (messagebox.cpp).
void note(const std::string& text);

}  // namespace vtrlplat

namespace vtrlplat::native {

// ---- Video ------------------------------------------------------------------------------------
bool start();                      // once per process; false (and says why) when there is no display
void stop();                       // at process exit, after every window is gone
void useDriver(const char* name);  // "offscreen": windows are never shown; "" the default
uint32_t ticks();                  // milliseconds since the layer started
bool screenSize(int& width, int& height);

// ---- Windows ----------------------------------------------------------------------------------
// A hidden top-level window whose client area is width x height at (x, y), framed (caption and
// close box) when `framed`, with GL pixel format `gl`; null on failure.
NativeWindow* createWindow(const char* captionCp1252, bool framed, int x, int y, int width, int height,
                           const GlRequest& gl);
void destroyWindow(NativeWindow* w);
void showWindow(NativeWindow* w, bool show);  // showing also raises it
void setCaption(NativeWindow* w, const char* captionCp1252);
void clientSize(NativeWindow* w, int& width, int& height);
void position(NativeWindow* w, int& x, int& y);  // of the client area, on the screen
void place(NativeWindow* w, int x, int y, int width, int height);
NativeWindow* focusWindow();  // the window with the keyboard focus, or null

// ---- Cursors and icons ------------------------------------------------------------------------
NativeCursor* systemCursor(uintptr_t id);  // null where the driver shows no pointer
// A cursor from a BMP file, and the same picture as an icon in `icon`; null when unreadable.
NativeCursor* fileCursor(const char* file, NativeIcon** icon);
void useCursor(NativeCursor* c);
void setIcon(NativeWindow* w, NativeIcon* icon);
void freeCursor(NativeCursor* c);
void freeIcon(NativeIcon* icon);

// ---- Events and the pointer -------------------------------------------------------------------
void pumpEvents();                      // turns pending native events into the calls at the end
void logLine(const std::string& text);  // a note no handler took, where the backend logs
void waitEvents(int millis);            // sleeps until an event comes or the time is up
bool shiftDown();
bool controlDown();
void captureMouse(bool on);
bool pointer(int32_t& x, int32_t& y);    // the pointer's screen position
bool movePointer(int32_t x, int32_t y);  // false when the driver cannot move it
// Feeds a key, named as the test seam names keys, into the path a real press takes.
bool testKey(NativeWindow* w, const char* keyName, bool down, bool repeat);

// ---- GL contexts ------------------------------------------------------------------------------
NativeContext* createContext(NativeWindow* w, const GlRequest& gl);  // not made current; null on failure
bool makeCurrent(NativeWindow* w, NativeContext* c);                 // c null: none current
void deleteContext(NativeContext* c);
void* procAddress(const char* name);
void swap(NativeWindow* w);
NativeWindow* currentWindow();  // the window the current context draws into, or null
void drawableSize(NativeWindow* w, int& width, int& height);

// ---- Boxes and images -------------------------------------------------------------------------
// A modal box in UTF-8 with OK (1) or Yes (6) and No (7); closed without a button it answers its
// escape button; 0 when none could be shown.
int32_t messageBox(NativeWindow* owner, const std::string& textUtf8, const std::string& captionUtf8,
                   bool yesNo);
// Decodes a BMP that is not true colour (colour tables, 16 bits, run lengths, core headers);
// the file holds the size it declares.
bool decodeBmp(const char* file, DecodedBmp& out);

// ---- What a backend reports (events.cpp, window.cpp) ------------------------------------------
uint32_t windowOf(NativeWindow* w);  // our handle of a live top-level window, or 0
// Virtual-key code `vk`; lParam gets repeat count 1, the scan code, previous state and transition.
void postKey(uint32_t wnd, int32_t vk, uint32_t scanCode, bool down, bool repeat);
// A pointer message (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...) at client position (x, y) of `top`.
void postMouse(uint32_t top, uint32_t message, int32_t keys, int32_t x, int32_t y);
// WM_MOUSEWHEEL: `delta` in 120ths of a notch (away from the user positive), the pointer's screen position.
void postWheel(uint32_t wnd, int32_t delta, int32_t keys, int32_t x, int32_t y);
void postClose(uint32_t wnd);
void exposed(uint32_t wnd);  // the window's picture was lost: one WM_PAINT

}  // namespace vtrlplat::native
