// A current GL context for unit tests: a hidden window on SDL's offscreen video driver (a Mesa
// context with no X server), made through the platform layer. One per test; destroyed with it.
#pragma once

#include <cstdint>
#include <vector>

#include "vitrail/platform/platform.h"

class GLTestContext {
  public:
    explicit GLTestContext(int32_t width = 800, int32_t height = 600);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    bool ok() const { return rc != 0; }
    HWND wnd = 0;
    HDC dc = 0;
    HGLRC rc = 0;
    int32_t width, height;
};

// Selects the offscreen driver and answers every message box with `answer` (recording them).
void UseHeadlessPlatform(int32_t answer = IDOK);

// Reads back the colour buffer as RGBA rows, top row first.
std::vector<uint8_t> ReadPixelsTopDown(int32_t width, int32_t height);
// Writes RGBA rows (top row first) as a PNG-free binary PPM file; ImageMagick converts it.
bool WritePPM(const char* path, const std::vector<uint8_t>& rgba, int32_t width, int32_t height);
