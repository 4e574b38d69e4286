// The end-to-end tests' hands inside Wine: answers a message box by posting its button's command,
// and sends keys to a window as messages, so that nothing depends on which window has the focus.
//   drive box CAPTION yes|no|ok  waits up to 20 s for the box, prints its text, presses the button
//   drive keys CAPTION KEY...    posts each key (a digit, a letter or "Escape") as a press and release
// Exit code 0 when done, 2 when the window never came.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::wstring wide(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

// The top-level window of class `cls` (null: any) captioned `caption`, waiting up to 20 s.
HWND waitFor(const wchar_t* cls, const std::wstring& caption) {
    for (int i = 0; i < 200; ++i) {
        if (HWND w = FindWindowW(cls, caption.c_str())) return w;
        Sleep(100);
    }
    return nullptr;
}

int answerBox(const char* caption, const char* button) {
    HWND box = waitFor(L"#32770", wide(caption));
    if (!box) return 2;
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's message
    std::printf("%s\n", text);
    std::fflush(stdout);
    const int id = std::strcmp(button, "yes") == 0 ? IDYES : std::strcmp(button, "no") == 0 ? IDNO : IDOK;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    return 0;
}

UINT keyCode(const char* name) {
    if (std::strcmp(name, "Escape") == 0) return VK_ESCAPE;
    return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
}

int sendKeys(const char* caption, int count, char** keys) {
    HWND w = waitFor(nullptr, wide(caption));
    if (!w) return 2;
    for (int i = 0; i < count; ++i) {
        const UINT vk = keyCode(keys[i]);
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(w, WM_KEYDOWN, vk, 1 | scan);
        PostMessageW(w, WM_KEYUP, vk, 1 | scan | 0xC0000000);
        Sleep(300);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "box") == 0) return answerBox(argv[2], argv[3]);
    if (argc >= 4 && std::strcmp(argv[1], "keys") == 0) return sendKeys(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: drive box CAPTION yes|no|ok | drive keys CAPTION KEY...\n");
    return 1;
}
