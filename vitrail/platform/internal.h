// Shared state of the platform layer's source files: the handle tables that map the toolkit's
// 32-bit handles to SDL objects, the window classes and the thread's message queue.
// Only files in vitrail/platform/ include this header (and SDL).
#pragma once

#include <SDL.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// GL attributes a window was created with (SDL fixes the visual when the window is made).
struct GlRequest {
    int red = 8, green = 8, blue = 8, alpha = 8, depth = 24, stencil = 8, doubleBuffer = 1;
    bool operator==(const GlRequest&) const = default;
};

struct Window {
    SDL_Window* sdl = nullptr;
    std::string className;
    std::string caption;  // Windows-1252
    DWORD style = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool alive = true;     // false once DestroyWindow ran; the SDL window may linger hidden
    bool visible = false;
    bool needsPaint = true;
    HWND parent = 0;       // for controls such as the status strip
    std::vector<int32_t> parts;  // status strip parts
    GlRequest gl;
    int pixelFormat = 0;
};

struct DeviceContext {
    HWND window = 0;
    bool released = false;
};

struct GlContext {
    SDL_GLContext sdl = nullptr;
    HWND window = 0;
};

struct State {
    bool videoStarted = false;
    std::string videoDriver;
    std::map<std::string, WindowClass> classes;
    std::map<HWND, Window> windows;
    std::map<HDC, DeviceContext> dcs;
    std::map<HGLRC, GlContext> contexts;
    std::map<HCURSOR, SDL_Cursor*> cursors;
    std::map<HICON, SDL_Surface*> icons;  // file icons; system icons map to null
    std::vector<GlRequest> formats;       // index 1.. = formats handed out by ChoosePixelFormat
    std::deque<MSG> queue;
    HWND capture = 0;
    HGLRC current = 0;
    uint32_t nextHandle = 0x100;
    std::function<void()> peekHook;
    HWND foregroundOverride = 0;     // test seam for GetForegroundWindow
    bool cursorRemembered = false;   // drivers that cannot move the pointer keep it here
    POINT cursor = {0, 0};  // test seam: runs at the start of PeekMessageA
};

State& state();
// Starts SDL's video subsystem once; false when no display can be opened.
bool ensureVideo();
// The record of a live window, or null.
Window* findWindow(HWND wnd);
// The handle of the window behind an SDL window id, or 0.
HWND windowFromSdlId(Uint32 id);
uint32_t newHandle();
// Moves pending SDL events into the queue as window messages.
void pumpEvents();
// Destroys the SDL side of every object and empties the tables.
void destroyAll();

}  // namespace vtrlplat
