// Window creation, GL context and initial GL state: owns the window globals, the light colours,
// the status strip globals and the routines that set them. Fatal failures go through ThrowError.
#include "vitrail/window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "vitrail/input.h"

HWND HWindow = 0;
HDC DCWindow = 0;
HGLRC RCWindow = 0;
int32_t Width = 0, Height = 0;
int32_t Bits = 0;
bool FullScreen = false;
bool Active = false;
int32_t Pixel_Format_Flags = 0;
int32_t SetTypeCursor = 0;
int32_t SetTypeIcon = 0;
const char* CursorFile = nullptr;
const char* IconFile = nullptr;
bool ShowMenuBar = false;
bool ShowStatusBar = false;
VTRLProcedure CreateMenuBar = nullptr;
VTRLProcedure CreateMouseMenu = nullptr;
WindowCommandProc GetInputCommand = nullptr;
HWND HStatus = 0;
HWND AWnd = 0;
char FileName[261] = {};
int32_t Edges[20] = {};
int32_t StatusItem[20] = {};
int32_t MaxStatusItem = 0;
WNDCLASSEXA WindowClassEx = {};
DWORD Start = 0;
bool FogOnOff = false;
GLName ObjNull = 0;
const char* VTRLVersion = "1.0";
float AmbientLight[4] = {0.5f, 0.5f, 0.5f, 1.0f};
float DiffuseLight[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float SpecularLight[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float LightPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};

namespace {

// The system cursor of a cursor kind, or 0 for FILECURSOR and unknown kinds.
uintptr_t cursorId(int32_t kind) {
    static const uintptr_t ids[] = {
        0,           IDC_ARROW, IDC_IBEAM,    IDC_WAIT,        IDC_CROSS,  IDC_UPARROW,
        IDC_SIZE,    0,         IDC_SIZENWSE, IDC_SIZENESW,    IDC_SIZEWE, IDC_SIZENS,
        IDC_SIZEALL, IDC_NO,    IDC_HAND,     IDC_APPSTARTING, IDC_HELP};
    return kind >= 1 && kind <= 16 ? ids[kind] : 0;
}

HCURSOR classCursor() {
    if (SetTypeCursor == FILECURSOR) return LoadCursorFromFileA(CursorFile);
    const uintptr_t id = cursorId(SetTypeCursor);
    return id ? LoadCursorA(0, id) : 0;
}

HICON classIcon() {
    if (SetTypeIcon == GENERIC) return LoadIconA(0, IDI_APPLICATION);
    // The icon file goes through the cursor-file loader.
    if (SetTypeIcon == FILEICON) return LoadCursorFromFileA(IconFile);
    return 0;
}

}  // namespace

void OGLWindowSetting(int32_t TypeCursor, const char* CurFile, int32_t TypeIcon, const char* IcoFile) {
    if (MouseFree) {
        Start = GetTickCount();
        SetCursorPos(Width / 2, Height / 2);
    }
    FogOnOff = true;
    SetTypeCursor = TypeCursor;
    CursorFile = CurFile;
    SetTypeIcon = TypeIcon;
    IconFile = IcoFile;
    // Without a current GL context (the usual case before CreateOGLWindow) this has no effect.
    if (RCWindow) {
        ObjNull = glGenLists(1);
        glNewList(ObjNull, GL_COMPILE);
        glEndList();
    }
}

bool CreateOGLWindow(const char* AppName, int32_t AppWidth, int32_t AppHeight, int32_t AppBits,
                     bool AppFullScreen) {
    Width = AppWidth;
    Height = AppHeight;
    Bits = AppBits;
    FullScreen = AppFullScreen;
    if (!WindowRegister()) ThrowError("Errore di registro per la rispettiva applicazione!");
    HWindow = WindowCreate(AppName);
    if (ShowMenuBar && CreateMenuBar) CreateMenuBar();
    if (ShowStatusBar) HStatus = CreateStatusBar(HWindow);
    if (HWindow == 0) ThrowError("Impossibile creare la finestra per la rispettiva applicazione!");
    if (!WindowInit(HWindow)) ThrowError("la rispettiva applicazione non \xE8 stata inizilizata!");
    return true;
}

bool WindowRegister() {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = GLWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = classIcon();
    wc.hCursor = classCursor();
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = "GLWindow";
    const bool registered = RegisterClassA(&wc) != 0;

    WNDCLASSEXA existing{};
    if (!GetClassInfoExA(0, "IMAGEBUTTON", &existing)) {
        WindowClassEx = WNDCLASSEXA{};
        WindowClassEx.cbSize = 48;
        WindowClassEx.style = 0;
        WindowClassEx.lpfnWndProc = HoverButtonHandler;
        WindowClassEx.hInstance = GetModuleHandleA(nullptr);
        WindowClassEx.hIcon = LoadIconA(0, IDI_APPLICATION);
        WindowClassEx.hCursor = LoadCursorA(0, IDC_ARROW);
        WindowClassEx.hbrBackground = GetStockObject(NULL_BRUSH);
        WindowClassEx.lpszClassName = "IMAGEBUTTON";
        WindowClassEx.hIconSm = LoadIconA(0, IDI_APPLICATION);
        RegisterClassExA(&WindowClassEx);
    }
    return registered;
}

HWND WindowCreate(const char* pcApplicationName) {
    DWORD style = 0x96CA0000;  // pop-up, visible, clipping, caption, system menu, minimise box
    if (FullScreen) {
        Width = GetSystemMetrics(SM_CXSCREEN);
        Height = GetSystemMetrics(SM_CYSCREEN);
        style = 0x96880000;  // pop-up, visible, clipping, thin border, system menu: no caption
    }
    const HWND wnd = CreateWindowExA(0, "GLWindow", pcApplicationName, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                     Width, Height, 0, 0, GetModuleHandleA(nullptr), nullptr);
    if (wnd) {
        ShowWindow(wnd, SW_SHOWNORMAL);
        UpdateWindow(wnd);
    }
    return wnd;
}

bool WindowInit(HWND hParent) {
    // Bits lands in the descriptor's byte fields.
    if (Bits < 0 || Bits > 255)
        throw std::out_of_range("Bits " + std::to_string(Bits) + " is outside 0..255");
    int errorCode = 0;
    DCWindow = GetDC(hParent);
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    const auto b = static_cast<BYTE>(Bits);
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = static_cast<DWORD>(Pixel_Format_Flags) | 0x1067;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = b;
    pfd.cAlphaBits = b;
    pfd.cAccumBits = b;
    pfd.cDepthBits = b;
    pfd.cStencilBits = b;
    pfd.cAuxBuffers = b;
    pfd.iLayerType = 1;
    const int32_t format = ChoosePixelFormat(DCWindow, &pfd);
    if (format == 0) errorCode = 1;
    SetPixelFormat(DCWindow, format, &pfd);
    RCWindow = wglCreateContext(DCWindow);
    if (RCWindow == 0) errorCode = 2;
    wglMakeCurrent(DCWindow, RCWindow);
    return errorCode == 0;
}

void DeleteOGLWindow() {
    wglMakeCurrent(DCWindow, 0);
    wglDeleteContext(RCWindow);
    ReleaseDC(HWindow, DCWindow);
    DestroyWindow(HWindow);
}

void ThrowError(const char* pcErrorMessage) {
    MessageBoxA(0, pcErrorMessage, "Error", MB_OK);
    std::exit(0);
}

HWND CreateStatusBar(HWND Parent) {
    std::memset(FileName, 0, sizeof FileName);
    std::strcpy(FileName, "Percorso file");
    AWnd = CreateStatusWindowA(static_cast<LONG>(WS_CHILD | WS_VISIBLE), FileName, Parent, 30482);
    if (AWnd != 0) {
        // The parts table holds 20 entries; a larger count is cut to what exists.
        const int32_t parts = MaxStatusItem < 0 ? 0 : (MaxStatusItem > 20 ? 20 : MaxStatusItem);
        for (int32_t i = 1; i <= parts; ++i) Edges[i - 1] = StatusItem[i - 1];
        SendMessageA(AWnd, SB_SETPARTS, parts, static_cast<void*>(Edges));
    }
    return AWnd;
}

void OpenGL_Init(double Depth, double A, double R, double G, double B) {
    glClearColor(static_cast<GLclampf>(R), static_cast<GLclampf>(G), static_cast<GLclampf>(B),
                 static_cast<GLclampf>(A));
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(Width) / static_cast<double>(Height), 0.1, Depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearDepth(Depth);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glColor4f(1, 1, 1, 0.5f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
}

void SetGLRefractive() {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

void SetGLLight(uint32_t NLight, float L0, float L1, float L2, float L3) {
    glEnable(GL_LIGHTING);
    glLightfv(NLight, GL_AMBIENT, AmbientLight);
    glLightfv(NLight, GL_DIFFUSE, DiffuseLight);
    glLightfv(NLight, GL_SPECULAR, SpecularLight);
    glEnable(NLight);
    LightPosition[0] = L0;
    LightPosition[1] = L1;
    LightPosition[2] = L2;
    LightPosition[3] = L3;
    glLightfv(NLight, GL_POSITION, LightPosition);
}
