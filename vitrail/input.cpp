// The window procedure and the input state it keeps (see input.h).
#include "vitrail/input.h"

#include <GL/gl.h>

#include "vitrail/window.h"

int32_t SetKey[501] = {};
bool LeftMouseDown = false, RightMouseDown = false;
bool LeftMouseDown2 = false, RightMouseDown2 = false;
bool MouseFree = false;
int32_t XCoord = 0, YCoord = 0, ZCoord = 0;
int32_t SetMX = 0, SetMY = 0, SetOMX = 0, SetOMY = 0;
float XRot = 0, YRot = 0, XRot2 = 0, YRot2 = 0;
float Depth = 0, Depth2 = 0;
int32_t MSpeed = 0;
POINT MPos = {0, 0};
TGLVector My = {0, 0, 0};
MSG Msg_ = {};

namespace {

// Mouse positions: x in the low, y in the high 16 bits, each signed.
int32_t lowX(LPARAM l) {
    return static_cast<int16_t>(static_cast<uint32_t>(l) & 0xFFFF);
}
int32_t highY(LPARAM l) {
    return static_cast<int16_t>((static_cast<uint32_t>(l) >> 16) & 0xFFFF);
}

double clamp60(double v) {
    return v > 60 ? 60 : (v < -60 ? -60 : v);
}

void mouseMove(int32_t x, int32_t y) {
    SetOMX = x;
    SetOMY = y;
    if (LeftMouseDown) {
        const double dy = static_cast<double>(y - YCoord);
        const double dx = static_cast<double>(x - XCoord);
        XRot = static_cast<float>(XRot + (dy / 2.0) * MSpeed);
        YRot = static_cast<float>(YRot + (dx / 2.0) * MSpeed);
        XRot2 = static_cast<float>(XRot2 + (dy / 2.0) * MSpeed);
        YRot2 = static_cast<float>(YRot2 + (dx / 2.0) * MSpeed);
        XCoord = x;
        YCoord = y;
    }
    if (RightMouseDown && !MouseFree) {
        const double dz = static_cast<double>(y - ZCoord);
        Depth = static_cast<float>(Depth - (dz / 10.0) * MSpeed);
        Depth2 = static_cast<float>(Depth2 - (dz / 10.0) * MSpeed);
        ZCoord = y;
    }
    if (MouseFree && GetForegroundWindow() == HWindow) {
        const int32_t cx = Width / 2, cy = Height / 2;
        GetCursorPos(&MPos);
        SetCursorPos(cx, cy);
        const double ox = (MPos.x - cx) / 100.0 * MSpeed;
        const double oy = (cy - MPos.y) / 100.0 * MSpeed;
        XRot = static_cast<float>(XRot + ox);
        YRot = static_cast<float>(clamp60(YRot - oy));
        XRot2 = static_cast<float>(XRot2 + ox);
        YRot2 = static_cast<float>(clamp60(YRot2 - oy));
    }
}

// A key code from the message; codes outside the table are ignored.
bool keyInTable(WPARAM key) {
    return key >= 0 && key <= 500;
}

}  // namespace

LRESULT GLWndProc(HWND Window, int32_t AMessage, WPARAM WParam, LPARAM LParam) {
    const int32_t x = lowX(LParam), y = highY(LParam);
    switch (static_cast<UINT>(AMessage)) {
        case WM_CREATE:
            Active = true;
            return 0;
        case WM_DESTROY:
            Active = false;
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            RECT rect;
            BeginPaint(Window, &ps);
            GetClientRect(Window, &rect);
            UpdateWindow(HStatus);
            EndPaint(Window, &ps);
            return 0;
        }
        case WM_CONTEXTMENU:
            if (ShowMenuBar && CreateMouseMenu) CreateMouseMenu();
            break;
        case WM_KEYDOWN:
            if (WParam == VK_ESCAPE) {
                SendMessageA(HWindow, WM_DESTROY, 0, 0);
                return 0;
            }
            if (keyInTable(WParam)) SetKey[WParam] = -1;
            break;
        case WM_KEYUP:
            if (keyInTable(WParam)) SetKey[WParam] = 0;
            MouseFree = false;
            break;
        case WM_COMMAND:
            if (ShowMenuBar && GetInputCommand) GetInputCommand(Window, AMessage, WParam, LParam);
            return 0;
        case WM_SYSCOMMAND:
            if (WParam == SC_SCREENSAVE || WParam == SC_MONITORPOWER) return 0;
            break;
        case WM_MOUSEMOVE:
            mouseMove(x, y);
            break;
        case WM_LBUTTONDOWN:
            ReleaseCapture();
            SetCapture(HWindow);
            LeftMouseDown = LeftMouseDown2 = true;
            XCoord = SetMX = x;
            YCoord = SetMY = y;
            break;
        case WM_LBUTTONUP:
            ReleaseCapture();
            LeftMouseDown = LeftMouseDown2 = false;
            XCoord = YCoord = SetMX = SetMY = 0;
            break;
        case WM_RBUTTONDOWN:
            ReleaseCapture();
            SetCapture(HWindow);
            RightMouseDown = RightMouseDown2 = true;
            ZCoord = y;
            break;
        case WM_RBUTTONUP:
            ReleaseCapture();
            RightMouseDown = RightMouseDown2 = false;
            break;
        default:
            break;
    }
    if (WParam == 0) UpdateWindow(HStatus);
    return DefWindowProcA(Window, AMessage, WParam, LParam);
}

void SetGLMsg() {
    if (PeekMessageA(&Msg_, 0, 0, 0, PM_NOREMOVE)) {
        GetMessageA(&Msg_, 0, 0, 0);
        TranslateMessage(&Msg_);
        DispatchMessageA(&Msg_);
    }
}

bool SetGLKey(char Key) {
    return SetKey[static_cast<unsigned char>(Key)] != 0;
}

void SetGLMouseMove(int32_t XYZ, int32_t Speed) {
    MSpeed = Speed;
    switch (XYZ) {
        case GL_M0:
            My = {0, 0, -Depth};
            glTranslatef(My.X, My.Y, My.Z);
            glRotatef(XRot, 1, 0, 0);
            glRotatef(YRot, 0, 1, 0);
            break;
        case GL_MX:
            My = {0, -Depth, 0};
            glTranslatef(My.X, My.Y, My.Z);
            glRotatef(XRot, 1, 0, 0);
            glRotatef(YRot, 0, 0, 1);
            break;
        case GL_MY:
            My = {-Depth, 0, 0};
            glTranslatef(My.X, My.Y, My.Z);
            glRotatef(XRot, 0, 0, -1);
            glRotatef(YRot, 0, 1, 0);
            break;
        case GL_MZ:
            My = {0, 0, -Depth};
            glTranslatef(My.X, My.Y, My.Z);
            glRotatef(XRot, 0, 1, 0);
            glRotatef(YRot, 1, 0, 0);
            break;
        default:
            break;
    }
}
