// The Win32 backend's input: the window procedure that turns real messages into the layer's key,
// pointer, close and paint reports (only keys the layer knows pass), the message pump, modifier
// and pointer state, mouse capture and the test seam's named keys.
#include <cctype>
#include <cstring>

#include "vitrail/platform/win32/win32.h"

namespace vtrlplat::win32 {

namespace {

// The keys the toolkit's key table knows: letters, digits, F1 to F12, the keypad and the named
// keys below. Others never reach the queue.
bool knownKey(WPARAM vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || (vk >= VK_F1 && vk <= VK_F12)) return true;
    if ((vk >= VK_NUMPAD0 && vk <= VK_DIVIDE && vk != VK_SEPARATOR) || (vk >= VK_PRIOR && vk <= VK_DOWN))
        return true;
    if ((vk >= VK_OEM_1 && vk <= VK_OEM_3) || (vk >= VK_OEM_4 && vk <= VK_OEM_7)) return true;
    switch (vk) {
        case VK_BACK:
        case VK_TAB:
        case VK_RETURN:
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_PAUSE:
        case VK_CAPITAL:
        case VK_ESCAPE:
        case VK_SPACE:
        case VK_INSERT:
        case VK_DELETE:
        case VK_NUMLOCK:
        case VK_SCROLL:
            return true;
        default:
            return false;
    }
}

void key(HWND hwnd, UINT message, WPARAM vk, LPARAM l) {
    const uint32_t ours = native::windowOf(native(find(hwnd)));
    if (!ours || !knownKey(vk)) return;
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    native::postKey(ours, static_cast<int32_t>(vk), static_cast<uint32_t>(l >> 16) & 0xFF, down,
                    down && (l & 0x40000000) != 0);
}

bool pointerMessage(UINT m) {
    return m == WM_MOUSEMOVE || (m >= WM_LBUTTONDOWN && m <= WM_MBUTTONUP);
}

}  // namespace

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const uint32_t ours = native::windowOf(native(find(hwnd)));
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            key(hwnd, message, wParam, lParam);
            return 0;
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            key(hwnd, message, wParam, lParam);
            break;  // Alt+F4 still closes the window
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;  // no menu to enter
            break;
        case WM_MOUSEWHEEL:
            if (ours)
                native::postWheel(ours, GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam),
                                  static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
            return 0;
        case WM_CLOSE:
            if (ours) native::postClose(ours);
            return 0;
        case WM_PAINT:
            ValidateRect(hwnd, nullptr);
            if (ours) native::exposed(ours);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // GL draws every pixel
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                SetCursor(currentCursor);
                return TRUE;
            }
            break;
        default:
            if (pointerMessage(message) && ours) {
                const auto x = static_cast<int16_t>(LOWORD(lParam)), y = static_cast<int16_t>(HIWORD(lParam));
                native::postMouse(ours, message, static_cast<int32_t>(wParam & 0xFFFF), x, y);
                return 0;
            }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace vtrlplat::win32

namespace vtrlplat::native {

namespace {

// Virtual-key codes of the test seam's key names (as SDL names keys) beyond single characters.
struct NamedKey {
    const char* name;
    int vk;
};
constexpr NamedKey kNamedKeys[] = {{"Escape", VK_ESCAPE},
                                   {"Return", VK_RETURN},
                                   {"Space", VK_SPACE},
                                   {"Backspace", VK_BACK},
                                   {"Tab", VK_TAB},
                                   {"Left", VK_LEFT},
                                   {"Right", VK_RIGHT},
                                   {"Up", VK_UP},
                                   {"Down", VK_DOWN},
                                   {"PageUp", VK_PRIOR},
                                   {"PageDown", VK_NEXT},
                                   {"Home", VK_HOME},
                                   {"End", VK_END},
                                   {"Insert", VK_INSERT},
                                   {"Delete", VK_DELETE},
                                   {"Pause", VK_PAUSE},
                                   {"CapsLock", VK_CAPITAL},
                                   {"Numlock", VK_NUMLOCK},
                                   {"ScrollLock", VK_SCROLL},
                                   {"Left Shift", VK_SHIFT},
                                   {"Right Shift", VK_SHIFT},
                                   {"Left Ctrl", VK_CONTROL},
                                   {"Right Ctrl", VK_CONTROL},
                                   {"Left Alt", VK_MENU},
                                   {"Right Alt", VK_MENU},
                                   {"Keypad *", VK_MULTIPLY},
                                   {"Keypad +", VK_ADD},
                                   {"Keypad -", VK_SUBTRACT},
                                   {"Keypad .", VK_DECIMAL},
                                   {"Keypad /", VK_DIVIDE},
                                   {"Keypad Enter", VK_RETURN},
                                   {";", VK_OEM_1},
                                   {"=", VK_OEM_PLUS},
                                   {",", VK_OEM_COMMA},
                                   {"-", VK_OEM_MINUS},
                                   {".", VK_OEM_PERIOD},
                                   {"/", VK_OEM_2},
                                   {"`", VK_OEM_3},
                                   {"[", VK_OEM_4},
                                   {"\\", VK_OEM_5},
                                   {"]", VK_OEM_6},
                                   {"'", VK_OEM_7}};

int virtualKeyNamed(const char* name) {
    const size_t n = std::strlen(name);
    if (n == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    if (n >= 2 && n <= 3 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        const int f = std::atoi(name + 1);
        if (f >= 1 && f <= 12) return VK_F1 + f - 1;
    }
    if (n == 8 && std::strncmp(name, "Keypad ", 7) == 0 && std::isdigit(static_cast<unsigned char>(name[7])))
        return VK_NUMPAD0 + (name[7] - '0');
    for (const NamedKey& k : kNamedKeys)
        if (_stricmp(k.name, name) == 0) return k.vk;
    return 0;
}

}  // namespace

void logLine(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void pumpEvents() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

void waitEvents(int millis) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(millis), QS_ALLINPUT);
}

bool shiftDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

bool controlDown() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

void captureMouse(bool on) {
    if (!on)
        ReleaseCapture();
    else if (HWND active = GetActiveWindow())
        SetCapture(active);
}

bool pointer(int32_t& x, int32_t& y) {
    POINT p{0, 0};
    if (!GetCursorPos(&p)) return false;
    x = p.x;
    y = p.y;
    return true;
}

bool movePointer(int32_t x, int32_t y) {
    return !win32::offscreen && SetCursorPos(x, y) != 0;
}

bool testKey(NativeWindow* w, const char* keyName, bool down, bool repeat) {
    const int vk = keyName ? virtualKeyNamed(keyName) : 0;
    if (!w || !vk) return false;
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    LPARAM l = 1 | (scan << 16);
    if (!down)
        l |= 0xC0000000;
    else if (repeat)
        l |= 0x40000000;
    win32::windowProc(win32::of(w)->hwnd, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vk), l);
    return true;
}

}  // namespace vtrlplat::native
