// The SDL backend's input: SDL events become the layer's key, pointer, close and paint reports;
// modifier and pointer state, mouse capture and the test seam's named keys.
#include <SDL.h>

#include "vitrail/platform/internal.h"

namespace vtrlplat::native {

namespace {

// Win32 virtual-key code of an SDL key, or 0 when the key has none.
int32_t virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_CAPSLOCK:
            return VK_CAPITAL;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_END:
            return VK_END;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_KP_0:
            return VK_NUMPAD0;
        case SDLK_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDLK_KP_PLUS:
            return VK_ADD;
        case SDLK_KP_MINUS:
            return VK_SUBTRACT;
        case SDLK_KP_PERIOD:
            return VK_DECIMAL;
        case SDLK_KP_DIVIDE:
            return VK_DIVIDE;
        case SDLK_NUMLOCKCLEAR:
            return VK_NUMLOCK;
        case SDLK_SCROLLLOCK:
            return VK_SCROLL;
        case SDLK_SEMICOLON:
            return VK_OEM_1;
        case SDLK_EQUALS:
            return VK_OEM_PLUS;
        case SDLK_COMMA:
            return VK_OEM_COMMA;
        case SDLK_MINUS:
            return VK_OEM_MINUS;
        case SDLK_PERIOD:
            return VK_OEM_PERIOD;
        case SDLK_SLASH:
            return VK_OEM_2;
        case SDLK_BACKQUOTE:
            return VK_OEM_3;
        case SDLK_LEFTBRACKET:
            return VK_OEM_4;
        case SDLK_BACKSLASH:
            return VK_OEM_5;
        case SDLK_RIGHTBRACKET:
            return VK_OEM_6;
        case SDLK_QUOTE:
            return VK_OEM_7;
        default:
            return 0;
    }
}

WPARAM mouseFlags(Uint32 buttons) {
    WPARAM f = 0;
    if (buttons & SDL_BUTTON_LMASK) f |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) f |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) f |= MK_MBUTTON;
    if (shiftDown()) f |= MK_SHIFT;
    if (controlDown()) f |= MK_CONTROL;
    return f;
}

HWND windowOfId(Uint32 id) {
    return windowOf(reinterpret_cast<NativeWindow*>(SDL_GetWindowFromID(id)));
}

UINT buttonMessage(Uint8 button, bool down) {
    if (button == SDL_BUTTON_LEFT) return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (button == SDL_BUTTON_RIGHT) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (button == SDL_BUTTON_MIDDLE) return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    return 0;
}

void translateEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const HWND wnd = windowOfId(e.key.windowID);
            const int32_t vk = virtualKey(e.key.keysym.sym);
            if (wnd && vk)
                postKey(wnd, vk, static_cast<uint32_t>(e.key.keysym.scancode), e.type == SDL_KEYDOWN,
                        e.key.repeat != 0);
            return;
        }
        case SDL_MOUSEMOTION: {
            const HWND wnd = windowOfId(e.motion.windowID);
            if (wnd) postMouse(wnd, WM_MOUSEMOVE, mouseFlags(e.motion.state), e.motion.x, e.motion.y);
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const HWND wnd = windowOfId(e.button.windowID);
            const UINT msg = buttonMessage(e.button.button, e.type == SDL_MOUSEBUTTONDOWN);
            if (wnd && msg)
                postMouse(wnd, msg, mouseFlags(SDL_GetMouseState(nullptr, nullptr)), e.button.x, e.button.y);
            return;
        }
        case SDL_MOUSEWHEEL: {
            const HWND wnd = windowOfId(e.wheel.windowID);
            const int32_t notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            if (!wnd || notches == 0) return;
            int32_t x = 0, y = 0;
            const WPARAM keys = mouseFlags(SDL_GetGlobalMouseState(&x, &y));
            postWheel(wnd, notches * 120, keys, x, y);
            return;
        }
        case SDL_WINDOWEVENT: {
            const HWND wnd = windowOfId(e.window.windowID);
            if (!wnd) return;
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                postClose(wnd);
            else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
                exposed(wnd);
            return;
        }
        default:
            return;
    }
}

}  // namespace

void pumpEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translateEvent(e);
}

void waitEvents(int millis) {
    SDL_WaitEventTimeout(nullptr, millis);
}

bool shiftDown() {
    return (SDL_GetModState() & KMOD_SHIFT) != 0;
}

bool controlDown() {
    return (SDL_GetModState() & KMOD_CTRL) != 0;
}

void captureMouse(bool on) {
    SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

bool pointer(int32_t& x, int32_t& y) {
    int sx = 0, sy = 0;
    SDL_GetGlobalMouseState(&sx, &sy);
    x = sx;
    y = sy;
    return true;
}

bool movePointer(int32_t x, int32_t y) {
    return SDL_WarpMouseGlobal(x, y) == 0;
}

bool testKey(NativeWindow* w, const char* keyName, bool down, bool repeat) {
    const SDL_Keycode key = SDL_GetKeyFromName(keyName);
    if (!w || key == SDLK_UNKNOWN) return false;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(w));
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    translateEvent(e);
    return true;
}

}  // namespace vtrlplat::native
