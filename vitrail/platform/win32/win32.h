// Shared by the Win32 backend's files (the only ones that include <windows.h>): the record behind
// each native window, the tables from real window handles to it, and the one window procedure.
#pragma once

// MinGW's GL/gl.h needs these only when <windows.h> is not included; here it is.
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "vitrail/platform/native.h"

namespace vtrlplat::win32 {

// What stands behind a NativeWindow: the real window and its own device context (CS_OWNDC).
struct Window {
    HWND hwnd = nullptr;
    HDC dc = nullptr;
};

// What stands behind a NativeCursor: the real cursor, and whether it is ours to destroy.
struct Cursor {
    HCURSOR handle = nullptr;
    bool owned = false;
};

inline Window* of(NativeWindow* w) {
    return reinterpret_cast<Window*>(w);
}
inline NativeWindow* native(Window* w) {
    return reinterpret_cast<NativeWindow*>(w);
}

// Every live native window by its real handle.
std::map<HWND, Window*>& windows();
Window* find(HWND hwnd);
// Text in the toolkit's code page (Windows-1252) or in UTF-8, as UTF-16.
std::wstring wide(const char* text, UINT codePage);
// The window procedure of every native window: the trampoline from the real messages, with their
// 64-bit WPARAM and LPARAM, to the layer's reports (input.cpp).
LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The cursor shown over our windows' client areas (video.cpp).
extern HCURSOR currentCursor;
// Windows are never shown and the real pointer is left alone, as on a display nobody sees (video.cpp).
extern bool offscreen;

}  // namespace vtrlplat::win32
