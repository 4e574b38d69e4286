// The thread's message queue: the backend's reports become window messages (keys with
// virtual-key codes, mouse positions packed into lParam, the wheel as WM_MOUSEWHEEL, the close box
// as WM_CLOSE); peek, get, translate,
// dispatch, send, post, quit and the default procedure. Consecutive mouse moves merge into the
// latest. Mouse messages go to the window holding the capture or to the child window under the
// pointer. Also mouse capture, cursor position, the foreground window and the tick count.
#include <algorithm>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"

using namespace vtrlplat;

namespace {

// x in the low and y in the high 16 bits, each kept as a signed 16-bit value.
LPARAM packPoint(int32_t x, int32_t y) {
    return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                               static_cast<uint16_t>(x));
}

void post(HWND wnd, UINT message, WPARAM w, LPARAM l) {
    state().queue.push_back(MSG{wnd, message, w, l, native::ticks(), {0, 0}});
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

bool matches(const MSG& m, HWND wnd, UINT lo, UINT hi) {
    if (wnd && m.hwnd != wnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

}  // namespace

namespace vtrlplat {

void pumpEvents() {
    if (state().videoStarted) native::pumpEvents();
}

}  // namespace vtrlplat

namespace vtrlplat::native {

void postKey(HWND wnd, int32_t vk, uint32_t scanCode, bool down, bool repeat) {
    // lParam: repeat count 1, scan code, previous state (bit 30) and transition (bit 31).
    uint32_t l = 1u | ((scanCode & 0xFF) << 16);
    if (!down)
        l |= 0xC0000000u;
    else if (repeat)
        l |= 0x40000000u;
    post(wnd, down ? WM_KEYDOWN : WM_KEYUP, vk, static_cast<LPARAM>(l));
}

// A mouse message at (x, y) of top-level window `top`; its window is chosen when it is read.
// Moves are never queued one after another: a move right behind another move of the same window
// replaces it, so the queue holds the latest position, as the window system it stands in for
// reports it. Button and key messages keep their place between moves.
void postMouse(HWND top, UINT message, WPARAM keys, int32_t x, int32_t y) {
    auto& q = state().queue;
    const QueuedMessage m{MSG{top, message, keys, packPoint(x, y), ticks(), {x, y}}, true};
    if (message == WM_MOUSEMOVE && !q.empty() && q.back().message == WM_MOUSEMOVE && q.back().routeOnRead &&
        q.back().hwnd == top)
        q.back() = m;
    else
        q.push_back(m);
}

// The key flags in the low and the turn in the high word, the pointer's screen position in lParam.
void postWheel(HWND wnd, int32_t delta, int32_t keys, int32_t x, int32_t y) {
    const int32_t turn = std::clamp(delta, -32768, 32767);
    post(wnd, WM_MOUSEWHEEL,
         static_cast<WPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(turn)) << 16) |
                             static_cast<uint16_t>(keys)),
         packPoint(x, y));
}

void postClose(HWND wnd) {
    post(wnd, WM_CLOSE, 0, 0);
}

void exposed(HWND wnd) {
    Window* w = findWindow(wnd);
    if (w && !w->needsPaint) {
        w->needsPaint = true;
        post(wnd, WM_PAINT, 0, 0);
    }
}

}  // namespace vtrlplat::native

bool PlatformTestKeyInput(HWND wnd, const char* keyName, bool down, bool repeat) {
    const Window* w = findWindow(wnd);
    return w && w->native && native::testKey(w->native, keyName, down, repeat);
}

void PlatformTestMouseInput(HWND wnd, UINT message, WPARAM keys, int32_t x, int32_t y) {
    if (findWindow(wnd)) native::postMouse(wnd, message, keys, x, y);
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
        // Nothing pending: wait for the next native event (or give up when there is no video).
        if (!state().videoStarted) {
            m = MSG{0, WM_NULL, 0, 0, 0, {0, 0}};
            break;
        }
        native::waitEvents(10);
    }
    if (msg) *msg = m;
    return m.message == WM_QUIT ? 0 : 1;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return 0;
    const int32_t vk = msg->wParam;
    int32_t ch = 0;
    const bool shift = state().videoStarted && native::shiftDown();
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
    if (state().videoStarted) native::captureMouse(true);
    return previous;
}

BOOL ReleaseCapture() {
    state().capture = 0;
    if (state().videoStarted) native::captureMouse(false);
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
    *pt = POINT{0, 0};
    return state().videoStarted && native::pointer(pt->x, pt->y) ? 1 : 0;
}

BOOL SetCursorPos(int32_t x, int32_t y) {
    if (state().videoStarted && native::movePointer(x, y)) {
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
    return native::windowOf(native::focusWindow());
}

DWORD GetTickCount() {
    return native::ticks();
}
