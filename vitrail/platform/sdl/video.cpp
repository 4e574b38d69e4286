// The SDL backend's video: starting SDL's video subsystem (refusing a driver that shows nothing
// unless it was asked for), top-level windows with their GL attributes, system and file cursors,
// icons, the screen size, the tick count and message boxes.
#include <SDL.h>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/text.h"

namespace vtrlplat::native {

namespace {

SDL_Window* sdl(NativeWindow* w) {
    return reinterpret_cast<SDL_Window*>(w);
}

SDL_SystemCursor systemCursorFor(uintptr_t id) {
    switch (id) {
        case IDC_IBEAM:
            return SDL_SYSTEM_CURSOR_IBEAM;
        case IDC_WAIT:
            return SDL_SYSTEM_CURSOR_WAIT;
        case IDC_CROSS:
            return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case IDC_SIZE:
        case IDC_SIZEALL:
            return SDL_SYSTEM_CURSOR_SIZEALL;
        case IDC_SIZENWSE:
            return SDL_SYSTEM_CURSOR_SIZENWSE;
        case IDC_SIZENESW:
            return SDL_SYSTEM_CURSOR_SIZENESW;
        case IDC_SIZEWE:
            return SDL_SYSTEM_CURSOR_SIZEWE;
        case IDC_SIZENS:
            return SDL_SYSTEM_CURSOR_SIZENS;
        case IDC_NO:
            return SDL_SYSTEM_CURSOR_NO;
        case IDC_HAND:
            return SDL_SYSTEM_CURSOR_HAND;
        case IDC_APPSTARTING:
            return SDL_SYSTEM_CURSOR_WAITARROW;
        default:  // the arrow, the up arrow and help
            return SDL_SYSTEM_CURSOR_ARROW;
    }
}

}  // namespace

// Sets SDL's GL attributes (and the compatibility profile) for the next window or context.
void applyGlAttributes(const GlRequest& r) {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, r.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, r.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, r.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, r.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, r.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, r.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, r.doubleBuffer);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

bool start() {
    static bool refused = false;  // no display: said once, not tried again
    if (refused) return false;
    // Ctrl+C and SIGTERM keep their default meaning (end the process): the toolkit has no quit
    // message of its own that SDL's quit event could become.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool driverAsked = asked && *asked;
    // Without a display named and no driver asked for, SDL's probing would only add the display
    // libraries' own complaints to the one line that matters.
    if (!driverAsked && !SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY")) {
        note("no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        refused = true;
        return false;
    }
    // An X display alone is all SDL is offered: when it cannot be reached, SDL's falling back to
    // the other drivers would only add their complaints.
    const char* x11 = SDL_getenv("DISPLAY");
    const bool x11Only = !driverAsked && x11 && !SDL_getenv("WAYLAND_DISPLAY");
    if (x11Only) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        note(x11Only ? std::string("no display to open a window on (DISPLAY=") + x11 + " cannot be opened)"
                     : std::string("video could not start: ") + SDL_GetError());
        if (x11Only) SDL_SetHint(SDL_HINT_VIDEODRIVER, "");
        return false;
    }
    // With no display SDL falls back to a driver that shows nothing; a window nobody can see is
    // refused unless that driver was asked for (by a test, or SDL_VIDEODRIVER).
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool invisible =
        driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
    if (invisible && !driverAsked) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        note(std::string("no display to open a window on (SDL chose the '") + driver + "' driver)");
        refused = true;
        return false;
    }
    // Mouse positions outside the window must keep arriving while a button is held.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
    return true;
}

void stop() {
    SDL_Quit();
}

void useDriver(const char* name) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, name);
}

uint32_t ticks() {
    return SDL_GetTicks();
}

bool screenSize(int& width, int& height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    width = mode.w;
    height = mode.h;
    return true;
}

NativeWindow* createWindow(const char* caption, bool framed, int x, int y, int width, int height,
                           const GlRequest& gl) {
    applyGlAttributes(gl);
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (framed ? 0 : SDL_WINDOW_BORDERLESS);
    SDL_Window* w =
        SDL_CreateWindow(vitrail_platform::Cp1252ToUtf8(caption).c_str(), x, y, width, height, flags);
    if (!w) note(std::string("window could not be created: ") + SDL_GetError());
    return reinterpret_cast<NativeWindow*>(w);
}

void destroyWindow(NativeWindow* w) {
    SDL_DestroyWindow(sdl(w));
}

void showWindow(NativeWindow* w, bool show) {
    if (!show) {
        SDL_HideWindow(sdl(w));
        return;
    }
    SDL_ShowWindow(sdl(w));
    SDL_RaiseWindow(sdl(w));
}

void setCaption(NativeWindow* w, const char* caption) {
    SDL_SetWindowTitle(sdl(w), vitrail_platform::Cp1252ToUtf8(caption).c_str());
}

void clientSize(NativeWindow* w, int& width, int& height) {
    SDL_GetWindowSize(sdl(w), &width, &height);
}

void position(NativeWindow* w, int& x, int& y) {
    SDL_GetWindowPosition(sdl(w), &x, &y);
}

void place(NativeWindow* w, int x, int y, int width, int height) {
    SDL_SetWindowPosition(sdl(w), x, y);
    SDL_SetWindowSize(sdl(w), width, height);
}

NativeWindow* focusWindow() {
    return reinterpret_cast<NativeWindow*>(SDL_GetKeyboardFocus());
}

NativeCursor* systemCursor(uintptr_t id) {
    // A driver without pointer support (offscreen) makes no SDL cursor.
    return reinterpret_cast<NativeCursor*>(SDL_CreateSystemCursor(systemCursorFor(id)));
}

NativeCursor* fileCursor(const char* file, NativeIcon** icon) {
    SDL_Surface* image = SDL_LoadBMP(file);
    if (!image) return nullptr;
    // The surface doubles as the picture for an icon loaded through the cursor loader.
    *icon = reinterpret_cast<NativeIcon*>(image);
    return reinterpret_cast<NativeCursor*>(SDL_CreateColorCursor(image, 0, 0));
}

void useCursor(NativeCursor* c) {
    SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(c));
}

void setIcon(NativeWindow* w, NativeIcon* icon) {
    SDL_SetWindowIcon(sdl(w), reinterpret_cast<SDL_Surface*>(icon));
}

void freeCursor(NativeCursor* c) {
    SDL_FreeCursor(reinterpret_cast<SDL_Cursor*>(c));
}

void freeIcon(NativeIcon* icon) {
    SDL_FreeSurface(reinterpret_cast<SDL_Surface*>(icon));
}

void logLine(const std::string& text) {
    SDL_Log("%s", text.c_str());
}

int32_t messageBox(NativeWindow* owner, const std::string& text, const std::string& caption, bool yesNo) {
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        count = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
                      "OK"};
        count = 1;
    }
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;  // SDL has no question icon; this is the nearest
    data.window = sdl(owner);
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = count;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // Without a display the user still reads what the box said.
        SDL_Log("message box could not be shown (%s): [%s] %s", SDL_GetError(), caption.c_str(),
                text.c_str());
        return 0;
    }
    // Closing the box without a button counts as its escape answer.
    if (pressed < 0) return yesNo ? IDNO : IDOK;
    return pressed;
}

}  // namespace vtrlplat::native
