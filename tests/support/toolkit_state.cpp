// Start values of the toolkit's window and input globals (see toolkit_state.h).
#include "support/toolkit_state.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "vitrail/input.h"
#include "vitrail/window.h"

void ResetToolkitGlobals() {
    HWindow = DCWindow = RCWindow = 0;
    Width = Height = Bits = 0;
    FullScreen = Active = false;
    Pixel_Format_Flags = SetTypeCursor = SetTypeIcon = 0;
    CursorFile = IconFile = nullptr;
    ShowMenuBar = ShowStatusBar = false;
    CreateMenuBar = CreateMouseMenu = nullptr;
    GetInputCommand = nullptr;
    HStatus = AWnd = 0;
    std::memset(FileName, 0, sizeof FileName);
    std::fill(std::begin(Edges), std::end(Edges), 0);
    std::fill(std::begin(StatusItem), std::end(StatusItem), 0);
    MaxStatusItem = 0;
    Start = 0;
    FogOnOff = false;
    ObjNull = 0;
    std::fill(std::begin(SetKey), std::end(SetKey), 0);
    LeftMouseDown = RightMouseDown = LeftMouseDown2 = RightMouseDown2 = MouseFree = false;
    XCoord = YCoord = ZCoord = SetMX = SetMY = SetOMX = SetOMY = 0;
    XRot = YRot = XRot2 = YRot2 = Depth = Depth2 = 0;
    MSpeed = 0;
    MPos = POINT{0, 0};
    My = TGLVector{0, 0, 0};
}
