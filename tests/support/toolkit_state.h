// Puts the toolkit's window and input globals back to their start values, so each test begins
// as a fresh program would.
#pragma once

#include <cstdint>

#include "vitrail/platform/platform.h"

void ResetToolkitGlobals();

// lParam of a mouse message: x in the low, y in the high 16 bits.
constexpr LPARAM MousePos(int32_t x, int32_t y) {
    return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                               static_cast<uint16_t>(x));
}
