// Image buttons: shaped three-state push buttons of the window class "IMAGEBUTTON", drawn from
// the bitmap files BmpType + "N.BMP" (normal), "H.BMP" (hover) and "P.BMP" (pressed), and the
// two routines behind them: a BMP file to a bitmap and palette, and to a window region.
#pragma once

#include <cstdint>
#include <string>

#include "vitrail/platform/platform.h"

constexpr const char* SZHOVERCLASS = "IMAGEBUTTON";     // class name
constexpr const char* NORMALBMP = "NORMALBITMAP";       // property: memory DC of the normal image
constexpr const char* HOVERBMP = "HOVERBITMAP";         // property: memory DC of the hover image
constexpr const char* PRESSBMP = "PRESSBITMAP";         // property: memory DC of the pressed image
constexpr const char* BUTTONRGN = "HOVERBUTTONREGION";  // property: region for hit tests
constexpr const char* HOVERMODE = "HOVERMODEBYTE";      // property: state, 1 normal, 2 hover, 3 pressed
constexpr int32_t ALLOC_UNIT = 100;                     // growth step, in rectangles, of BitmapToRegion

extern std::string BmpType;  // common prefix of the image file names; empty unless the host sets it

// Window procedure of "IMAGEBUTTON" windows; a completed click posts WM_COMMAND (wParam = the
// control identifier, lParam = 0) to the parent.
LRESULT HoverButtonHandler(HWND Wnd, int32_t IMsg, WPARAM WParam, LPARAM LParam);
// A BMP file as a bitmap (0 on failure, `Pal` untouched) and, on success, a palette for it in
// `Pal`: its colour table padded to 256 entries, or the halftone palette for deeper images. The
// caller owns both.
HBITMAP LoadBMPFromFile(const char* FileName, HPALETTE& Pal);
// A region covering every pixel of the BMP file whose colour lies outside TransColor (0x00BBGGRR)
// + Tolerance on each channel; empty when every pixel is transparent, 0 when the file cannot be
// used. The caller owns the region.
HRGN BitmapToRegion(const char* BmpName, COLORREF TransColor, uint8_t Tolerance);
