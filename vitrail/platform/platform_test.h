// Test seam of the platform layer: tests answer message boxes and read what was shown, choose
// the SDL video driver (for example "offscreen", a GL context with no X server), and reset the
// layer between cases. The program itself never calls these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vitrail/platform/platform.h"

struct MessageBoxRecord {
    HWND owner;
    std::string text;      // as passed, Windows-1252
    std::string caption;   // as passed, Windows-1252
    std::string textUtf8;  // what the user would read
    std::string captionUtf8;
    UINT type;
};

// From now on message boxes are not shown: each is recorded and answered by `answer`.
// An empty function restores real boxes.
void PlatformTestAnswerMessageBoxes(std::function<int32_t(const MessageBoxRecord&)> answer);
// Every box asked for since the last clear, in order (recorded also when shown for real).
const std::vector<MessageBoxRecord>& PlatformTestShownMessageBoxes();
void PlatformTestClearMessageBoxes();
// Chooses the SDL video driver before the layer starts SDL's video ("offscreen", "x11", ...).
void PlatformTestUseVideoDriver(const char* name);
// Destroys every window, context and bitmap, forgets the window classes, empties the queue.
void PlatformTestReset();
// Calls `hook` at the start of every PeekMessageA (once per frame in the frame loop), so a test
// can post messages to a window that exists only once the program has made it. Empty: none.
void PlatformTestOnPeek(std::function<void()> hook);
// Makes GetForegroundWindow answer `wnd` (0 restores the platform's answer): drivers without a
// window manager never give a window the focus.
void PlatformTestSetForegroundWindow(HWND wnd);
// Number of messages waiting in the queue (events not yet pumped are not counted).
size_t PlatformTestQueuedMessages();
// From now on wglGetProcAddress answers null for `name`, as a driver lacking that entry point
// would; null shows every name again.
void PlatformTestHideProcAddress(const char* name);
// Queues a mouse message as a pointer event at (x, y) of top-level window `wnd`'s client area
// would. When it is read it goes to the window holding the capture, else to the topmost child
// under the point, else to `wnd`, with the position in that window's client coordinates.
void PlatformTestMouseInput(HWND wnd, UINT message, WPARAM keys, int32_t x, int32_t y);
// Queues what a key press (or release) in top-level window `wnd` becomes, the key named as SDL
// names keys ("A", "1", "Escape", "Left", "F5", "Keypad 3"); false when the name is unknown.
bool PlatformTestKeyInput(HWND wnd, const char* keyName, bool down, bool repeat = false);
