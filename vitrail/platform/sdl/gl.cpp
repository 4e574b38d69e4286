// The SDL backend's GL contexts: made for a window without becoming current, made current,
// deleted and swapped through SDL's GL support; entry points by name.
#include <SDL.h>

#include "vitrail/platform/internal.h"

namespace vtrlplat::native {

void applyGlAttributes(const GlRequest& r);  // video.cpp

NativeContext* createContext(NativeWindow* w, const GlRequest& gl) {
    applyGlAttributes(gl);
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    auto* window = reinterpret_cast<SDL_Window*>(w);
    SDL_GLContext ctx = SDL_GL_CreateContext(window);
    if (!ctx) {
        note(std::string("GL context could not be created: ") + SDL_GetError());
        return nullptr;
    }
    // SDL makes a new context current; a new context is not current until wglMakeCurrent.
    if (previous)
        SDL_GL_MakeCurrent(previousWindow, previous);
    else
        SDL_GL_MakeCurrent(window, nullptr);
    return static_cast<NativeContext*>(ctx);
}

bool makeCurrent(NativeWindow* w, NativeContext* c) {
    return SDL_GL_MakeCurrent(reinterpret_cast<SDL_Window*>(w), c) == 0;
}

void deleteContext(NativeContext* c) {
    SDL_GL_DeleteContext(c);
}

void* procAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

void swap(NativeWindow* w) {
    SDL_GL_SwapWindow(reinterpret_cast<SDL_Window*>(w));
}

NativeWindow* currentWindow() {
    return reinterpret_cast<NativeWindow*>(SDL_GL_GetCurrentWindow());
}

void drawableSize(NativeWindow* w, int& width, int& height) {
    SDL_GL_GetDrawableSize(reinterpret_cast<SDL_Window*>(w), &width, &height);
}

}  // namespace vtrlplat::native
