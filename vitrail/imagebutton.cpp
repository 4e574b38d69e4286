// Image buttons: the window procedure of the "IMAGEBUTTON" class. Shaped three-state buttons are
// not built yet; until they are, the class answers every message with the default procedure.
#include "vitrail/window.h"

LRESULT HoverButtonHandler(HWND window, int32_t message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
