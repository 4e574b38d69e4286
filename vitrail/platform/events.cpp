// The thread's message queue: SDL events become window messages (keys with virtual-key codes,
// mouse positions packed into lParam, the wheel as WM_MOUSEWHEEL, the close box as WM_CLOSE); peek, get,
// translate, dispatch, send, post, quit and the default procedure. Consecutive mouse moves merge into the
// latest. Mouse messages go to the window holding the capture or to the child window under the
// pointer. Also mouse capture, cursor position, the foreground window and the tick count.
#include <algorithm>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"

using namespace vtrlplat;

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

// x in the low and y in the high 16 bits, each kept as a signed 16-bit value.
LPARAM packPoint(int32_t x, int32_t y) {
    return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                               static_cast<uint16_t>(x));
}

WPARAM mouseFlags(Uint32 buttons) {
    WPARAM f = 0;
    if (buttons & SDL_BUTTON_LMASK) f |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) f |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) f |= MK_MBUTTON;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) f |= MK_SHIFT;
    if (mod & KMOD_CTRL) f |= MK_CONTROL;
    return f;
}

void post(HWND wnd, UINT message, WPARAM w, LPARAM l) {
    state().queue.push_back(MSG{wnd, message, w, l, SDL_GetTicks(), {0, 0}});
}

// Queues a mouse message at (x, y) of top-level window `top`; its window is chosen when it is read.
// Moves are never queued one after another: a move right behind another move of the same window
// replaces it, so the queue holds the latest position, as the window system it stands in for
// reports it. Button and key messages keep their place between moves.
void postMouse(HWND top, UINT message, WPARAM keys, int32_t x, int32_t y) {
    auto& q = state().queue;
    const QueuedMessage m{MSG{top, message, keys, packPoint(x, y), SDL_GetTicks(), {x, y}}, true};
    if (message == WM_MOUSEMOVE && !q.empty() && q.back().message == WM_MOUSEMOVE && q.back().routeOnRead &&
        q.back().hwnd == top)
        q.back() = m;
    else
        q.push_back(m);
}

// Sends a pointer message to a child of its top-level window holding the capture, else (unless
// the top-level window holds it) to the child under the point, else to the top-level window,
// with the position in the chosen window's client coordinates.
void route(QueuedMessage& m) {
    const HWND top = m.hwnd, capture = state().capture;
    const Window* held = findWindow(capture);
    HWND target = top;
    if (held && held->child && topLevelOf(capture) == top)
        target = capture;
    else if (capture != top) {
        const HWND under = childAt(top, m.pt);
        if (under) target = under;
    }
    const POINT origin = originInTopLevel(target);
    m.hwnd = target;
    m.lParam = packPoint(m.pt.x - origin.x, m.pt.y - origin.y);
    m.routeOnRead = false;
}

void translateEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const HWND wnd = windowFromSdlId(e.key.windowID);
            const int32_t vk = virtualKey(e.key.keysym.sym);
            if (!wnd || !vk) return;
            // lParam: repeat count 1, scan code, previous state (bit 30) and transition (bit 31).
            uint32_t l = 1u | ((static_cast<uint32_t>(e.key.keysym.scancode) & 0xFF) << 16);
            if (e.type == SDL_KEYUP)
                l |= 0xC0000000u;
            else if (e.key.repeat)
                l |= 0x40000000u;
            post(wnd, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, static_cast<LPARAM>(l));
            return;
        }
        case SDL_MOUSEMOTION: {
            const HWND wnd = windowFromSdlId(e.motion.windowID);
            if (wnd) postMouse(wnd, WM_MOUSEMOVE, mouseFlags(e.motion.state), e.motion.x, e.motion.y);
            return;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const HWND wnd = windowFromSdlId(e.button.windowID);
            if (!wnd) return;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            UINT msg = 0;
            if (e.button.button == SDL_BUTTON_LEFT)
                msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            else if (e.button.button == SDL_BUTTON_RIGHT)
                msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else if (e.button.button == SDL_BUTTON_MIDDLE)
                msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            if (msg)
                postMouse(wnd, msg, mouseFlags(SDL_GetMouseState(nullptr, nullptr)), e.button.x, e.button.y);
            return;
        }
        case SDL_MOUSEWHEEL: {
            // WM_MOUSEWHEEL: the key flags in the low and the turn in the high word (120 a notch,
            // away from the user positive), the pointer's screen position in lParam.
            const HWND wnd = windowFromSdlId(e.wheel.windowID);
            const int32_t notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            if (!wnd || notches == 0) return;
            int32_t x = 0, y = 0;
            const WPARAM keys = mouseFlags(SDL_GetGlobalMouseState(&x, &y));
            const int32_t delta = std::clamp(notches * 120, -32768, 32767);
            post(wnd, WM_MOUSEWHEEL,
                 static_cast<WPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16) |
                                     static_cast<uint16_t>(keys)),
                 packPoint(x, y));
            return;
        }
        case SDL_WINDOWEVENT: {
            const HWND wnd = windowFromSdlId(e.window.windowID);
            if (!wnd) return;
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                post(wnd, WM_CLOSE, 0, 0);
            else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                Window* w = findWindow(wnd);
                if (w && !w->needsPaint) {
                    w->needsPaint = true;
                    post(wnd, WM_PAINT, 0, 0);
                }
            }
            return;
        }
        default:
            return;
    }
}

bool matches(const MSG& m, HWND wnd, UINT lo, UINT hi) {
    if (wnd && m.hwnd != wnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

}  // namespace

namespace vtrlplat {

void pumpEvents() {
    if (!state().videoStarted) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) translateEvent(e);
}

}  // namespace vtrlplat

bool PlatformTestKeyInput(HWND wnd, const char* keyName, bool down, bool repeat) {
    const Window* w = findWindow(wnd);
    const SDL_Keycode key = SDL_GetKeyFromName(keyName);
    if (!w || !w->sdl || key == SDLK_UNKNOWN) return false;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(w->sdl);
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    translateEvent(e);
    return true;
}

void PlatformTestMouseInput(HWND wnd, UINT message, WPARAM keys, int32_t x, int32_t y) {
    if (findWindow(wnd)) postMouse(wnd, message, keys, x, y);
}

BOOL PeekMessageA(MSG* msg, HWND wnd, UINT lo, UINT hi, UINT remove) {
    if (state().peekHook) state().peekHook();
    pumpEvents();
    auto& q = state().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (it->routeOnRead) route(*it);
        if (!matches(*it, wnd, lo, hi)) continue;
        if (msg) *msg = *it;
        if (remove & PM_REMOVE) q.erase(it);
        return 1;
    }
    return 0;
}

BOOL GetMessageA(MSG* msg, HWND wnd, UINT lo, UINT hi) {
    MSG m{};
    while (!PeekMessageA(&m, wnd, lo, hi, PM_REMOVE)) {
        // Nothing pending: wait for the next SDL event (or give up when there is no video).
        if (!state().videoStarted) {
            m = MSG{0, WM_NULL, 0, 0, 0, {0, 0}};
            break;
        }
        SDL_WaitEventTimeout(nullptr, 10);
    }
    if (msg) *msg = m;
    return m.message == WM_QUIT ? 0 : 1;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return 0;
    const int32_t vk = msg->wParam;
    int32_t ch = 0;
    const bool shift = state().videoStarted && (SDL_GetModState() & KMOD_SHIFT);
    if (vk >= 'A' && vk <= 'Z')
        ch = shift ? vk : vk + ('a' - 'A');
    else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE ||
             vk == VK_BACK || vk == VK_TAB)
        ch = vk;
    if (!ch) return 0;
    post(msg->hwnd, WM_CHAR, ch, msg->lParam);
    return 1;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    Window* w = findWindow(msg->hwnd);
    if (!w) return 0;
    auto cls = state().classes.find(w->className);
    if (cls == state().classes.end() || !cls->second.proc) return 0;
    return cls->second.proc(msg->hwnd, static_cast<int32_t>(msg->message), msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    auto cls = state().classes.find(w->className);
    if (cls == state().classes.end() || !cls->second.proc) return 0;
    return cls->second.proc(wnd, static_cast<int32_t>(msg), wParam, lParam);
}

LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, void* lParam) {
    Window* w = findWindow(wnd);
    if (!w) return 0;
    if (msg == SB_SETPARTS) {
        if (wParam < 0 || wParam > 256 || (wParam > 0 && !lParam)) return 0;
        const auto* edges = static_cast<const int32_t*>(lParam);
        w->parts.assign(edges, edges + wParam);
        return 1;
    }
    if (msg == SB_GETPARTS) {
        auto* out = static_cast<int32_t*>(lParam);
        const auto n = static_cast<WPARAM>(w->parts.size());
        for (WPARAM i = 0; out && i < std::min(n, wParam); ++i) out[i] = w->parts[static_cast<size_t>(i)];
        return n;
    }
    return 0;
}

BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (wnd && !findWindow(wnd)) return 0;
    state().queue.push_back(MSG{wnd, msg, wParam, lParam, GetTickCount(), {0, 0}});
    return 1;
}

void PostQuitMessage(int32_t exitCode) {
    state().queue.push_back(MSG{0, WM_QUIT, exitCode, 0, GetTickCount(), {0, 0}});
}

LRESULT DefWindowProcA(HWND wnd, int32_t msg, WPARAM, LPARAM) {
    if (msg == static_cast<int32_t>(WM_CLOSE)) DestroyWindow(wnd);
    return 0;
}

HWND SetCapture(HWND wnd) {
    const HWND previous = state().capture;
    Window* w = findWindow(wnd);
    if (!w) return previous;
    state().capture = wnd;
    if (state().videoStarted) SDL_CaptureMouse(SDL_TRUE);
    return previous;
}

BOOL ReleaseCapture() {
    state().capture = 0;
    if (state().videoStarted) SDL_CaptureMouse(SDL_FALSE);
    return 1;
}

HWND GetCapture() {
    return state().capture;
}

BOOL GetCursorPos(POINT* pt) {
    if (!pt) return 0;
    if (state().cursorRemembered) {
        *pt = state().cursor;
        return 1;
    }
    int x = 0, y = 0;
    if (state().videoStarted) SDL_GetGlobalMouseState(&x, &y);
    *pt = POINT{x, y};
    return state().videoStarted ? 1 : 0;
}

BOOL SetCursorPos(int32_t x, int32_t y) {
    if (state().videoStarted && SDL_WarpMouseGlobal(x, y) == 0) {
        state().cursorRemembered = false;
        return 1;
    }
    // A display without a pointer to move (or no display yet) keeps the position for GetCursorPos.
    state().cursorRemembered = true;
    state().cursor = POINT{x, y};
    return 1;
}

HWND GetForegroundWindow() {
    if (state().foregroundOverride) return state().foregroundOverride;
    if (!state().videoStarted) return 0;
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus ? windowFromSdlId(SDL_GetWindowID(focus)) : 0;
}

DWORD GetTickCount() {
    return SDL_GetTicks();
}
