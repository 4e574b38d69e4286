// The Win32 backend's GL contexts: WGL contexts on a window's own DC, made without becoming
// current; entry points from wglGetProcAddress, or opengl32.dll for those of GL 1.1.
#include "vitrail/platform/win32/win32.h"

namespace vtrlplat::native {

namespace {
win32::Window* current = nullptr;  // the window the current context draws into
}  // namespace

NativeContext* createContext(NativeWindow* w, const GlRequest&) {
    HGLRC rc = wglCreateContext(win32::of(w)->dc);
    if (!rc) note("GL context could not be created (error " + std::to_string(GetLastError()) + ")");
    return reinterpret_cast<NativeContext*>(rc);
}

bool makeCurrent(NativeWindow* w, NativeContext* c) {
    if (!c) {
        current = nullptr;
        return wglMakeCurrent(nullptr, nullptr) != 0;
    }
    if (!wglMakeCurrent(win32::of(w)->dc, reinterpret_cast<HGLRC>(c))) return false;
    current = win32::of(w);
    return true;
}

void deleteContext(NativeContext* c) {
    if (wglGetCurrentContext() == reinterpret_cast<HGLRC>(c)) current = nullptr;
    wglDeleteContext(reinterpret_cast<HGLRC>(c));
}

void* procAddress(const char* name) {
    PROC p = wglGetProcAddress(name);
    const auto bits = reinterpret_cast<intptr_t>(p);
    if (bits == 0 || bits == 1 || bits == 2 || bits == 3 || bits == -1)
        p = GetProcAddress(GetModuleHandleW(L"opengl32.dll"), name);
    return reinterpret_cast<void*>(p);
}

void swap(NativeWindow* w) {
    SwapBuffers(win32::of(w)->dc);
}

NativeWindow* currentWindow() {
    return wglGetCurrentContext() ? win32::native(current) : nullptr;
}

void drawableSize(NativeWindow* w, int& width, int& height) {
    clientSize(w, width, height);
}

}  // namespace vtrlplat::native
