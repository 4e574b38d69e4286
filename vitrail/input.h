// Window procedure and input state: owns the key table, the mouse flags and positions, the mouse
// camera (XRot, YRot, Depth and their second copies) and the message buffer; GLWndProc turns
// window messages into that state, SetGLMsg pumps one message per call, SetGLKey reads a key and
// SetGLMouseMove applies the camera to the current GL matrix. Nothing here reports failure.
#pragma once

#include <cstdint>

#include "vitrail/platform/platform.h"
#include "vitrail/types.h"

// SetGLMouseMove's transform kinds.
constexpr int32_t GL_M0 = 0, GL_MX = 1, GL_MY = 2, GL_MZ = 3;

extern int32_t SetKey[501];                   // held keys by virtual-key code: 0 or all bits set
extern bool LeftMouseDown, RightMouseDown;    // button held since a press inside the window
extern bool LeftMouseDown2, RightMouseDown2;  // second copies for callers that consume them
extern bool MouseFree;                        // free-look mode; cleared by any key release
extern int32_t XCoord, YCoord;                // mouse position at the previous left-drag step
extern int32_t ZCoord;                        // mouse y at the previous right-drag step
extern int32_t SetMX, SetMY;                  // position of the last left press; 0 after release
extern int32_t SetOMX, SetOMY;                // position of the last mouse move
extern float XRot, YRot;                      // view angles in degrees
extern float XRot2, YRot2;                    // second pair, changed by the same amounts
extern float Depth, Depth2;                   // view distance and its second copy
extern int32_t MSpeed;                        // speed factor of mouse-driven changes (0 until SetGLMouseMove)
extern POINT MPos;                            // cursor position read in free-look mode (screen)
extern TGLVector My;                          // translation last applied by SetGLMouseMove
extern MSG Msg_;                              // SetGLMsg's message buffer

LRESULT GLWndProc(HWND Window, int32_t AMessage, WPARAM WParam, LPARAM LParam);
void SetGLMsg();
bool SetGLKey(char Key);
void SetGLMouseMove(int32_t XYZ, int32_t Speed);
