// The toolkit's window layer: the window, device-context and GL-context globals, the window
// classes, CreateOGLWindow and its three steps, the fatal-error box, teardown, the optional
// status strip, and the initial GL state (OpenGL_Init, SetGLRefractive, SetGLLight).
// Fatal set-up failures end the program through ThrowError (message box, exit code 0).
#pragma once

#include <cstdint>

#include "vitrail/platform/platform.h"
#include "vitrail/types.h"

// Cursor kinds (SetTypeCursor).
constexpr int32_t ARROW = 1, IBEAM = 2, WAIT = 3, CROSS = 4, UPARROW = 5, SIZE = 6, FILECURSOR = 7,
                  SIZENWSE = 8, SIZENESW = 9, SIZEWE = 10, SIZENS = 11, SIZEALL = 12, NOCURSOR = 13,
                  HAND = 14, APPSTARTING = 15, HELP = 16;
// Icon kinds (SetTypeIcon).
constexpr int32_t GENERIC = 1, FILEICON = 2;
// A window style for tool windows, and a pixel-format flag set a caller may use.
constexpr int32_t WS_TOOLS = 1389303808;
constexpr int32_t VTRL_ACCELERATION = 8231;

using WindowCommandProc = int32_t (*)(HWND window, int32_t message, int32_t wParam, int32_t lParam);

extern HWND HWindow;                       // the top-level window
extern HDC DCWindow;                       // its device context, kept until DeleteOGLWindow
extern HGLRC RCWindow;                     // the GL rendering context
extern int32_t Width, Height;              // window size (screen size in full-screen mode), also the viewport
extern int32_t Bits;                       // requested bit count, 0..255
extern bool FullScreen;                    // full-screen mode chosen for CreateOGLWindow
extern bool Active;                        // frame-loop running flag: true from WM_CREATE to WM_DESTROY
extern int32_t Pixel_Format_Flags;         // extra pixel-format flags OR-ed into the fixed ones
extern int32_t SetTypeCursor;              // cursor kind recorded by OGLWindowSetting
extern int32_t SetTypeIcon;                // icon kind recorded by OGLWindowSetting
extern const char* CursorFile;             // file of the FILECURSOR kind
extern const char* IconFile;               // file of the FILEICON kind
extern bool ShowMenuBar;                   // calls the menu hooks when true
extern bool ShowStatusBar;                 // creates the status strip when true
extern VTRLProcedure CreateMenuBar;        // host hook that builds a menu bar
extern VTRLProcedure CreateMouseMenu;      // host hook that shows a context menu
extern WindowCommandProc GetInputCommand;  // host command handler for WM_COMMAND
extern HWND HStatus;                       // the status strip, as kept by CreateOGLWindow
extern HWND AWnd;                          // the status strip, as created by CreateStatusBar
extern char FileName[261];                 // text shown in the status strip
extern int32_t Edges[20];                  // right edges of the status parts (part i at index i-1)
extern int32_t StatusItem[20];             // the caller's values copied into Edges
extern int32_t MaxStatusItem;              // number of status parts, 0..20
extern WNDCLASSEXA WindowClassEx;          // class record used to register "IMAGEBUTTON"
extern DWORD Start;                        // tick count taken by OGLWindowSetting in free-mouse mode
extern bool FogOnOff;                      // set by OGLWindowSetting
extern GLName ObjNull;                     // an empty display list made by OGLWindowSetting
extern const char* VTRLVersion;            // "1.0"
extern float AmbientLight[4];              // ambient colour given to a light by SetGLLight
extern float DiffuseLight[4];              // diffuse colour given by SetGLLight
extern float SpecularLight[4];             // specular colour given by SetGLLight
extern float LightPosition[4];             // last light position passed to the GL

// Window procedure of "IMAGEBUTTON" windows; the image-button module supplies it.
LRESULT HoverButtonHandler(HWND window, int32_t message, WPARAM wParam, LPARAM lParam);

void OGLWindowSetting(int32_t TypeCursor, const char* CurFile, int32_t TypeIcon, const char* IcoFile);
bool CreateOGLWindow(const char* AppName, int32_t AppWidth, int32_t AppHeight, int32_t AppBits,
                     bool AppFullScreen);
void DeleteOGLWindow();
[[noreturn]] void ThrowError(const char* pcErrorMessage);
HWND CreateStatusBar(HWND Parent);
bool WindowRegister();
HWND WindowCreate(const char* pcApplicationName);
bool WindowInit(HWND hParent);

void OpenGL_Init(double Depth, double A, double R, double G, double B);
void SetGLRefractive();
void SetGLLight(uint32_t NLight, float L0, float L1, float L2, float L3);
