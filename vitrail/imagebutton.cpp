// Image buttons: the "IMAGEBUTTON" window procedure, whose per-button data lives only in five
// window properties (three memory DCs with the images, the hit-test region, the state), and the
// routines LoadBMPFromFile and BitmapToRegion. Failures show as results only: a 0 bitmap or
// region, a button without an image in some state or without a shape.
#include "vitrail/imagebutton.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

std::string BmpType;

namespace {

constexpr int32_t normalState = 1, hoverState = 2, pressedState = 3;
constexpr COLORREF magenta = 0x00FF00FF;
constexpr uint8_t shapeTolerance = 1;
constexpr DWORD runsPerPartialRegion = 2000;
constexpr UINT paletteSize = 256;

std::string imageName(char letter) {
    return BmpType + letter + ".BMP";
}

// ---- LoadBMPFromFile ----------------------------------------------------------------------

// A 256-entry palette of the bitmap's colour table; entries the table lacks are black.
HPALETTE colourTablePalette(HBITMAP bmp) {
    const HDC dc = CreateCompatibleDC(0);
    if (!dc) return 0;
    const HGDIOBJ previous = SelectObject(dc, bmp);
    RGBQUAD table[paletteSize] = {};
    const UINT count = GetDIBColorTable(dc, 0, paletteSize, table);
    // The logical palette is one block: version and entry count, then the entries.
    std::vector<uint32_t> block(1 + paletteSize, 0);
    const WORD header[2] = {0x300, static_cast<WORD>(paletteSize)};
    std::memcpy(block.data(), header, sizeof header);
    for (UINT i = 0; i < count; ++i) {
        const PALETTEENTRY entry{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
        std::memcpy(&block[1 + i], &entry, sizeof entry);
    }
    const HPALETTE pal = CreatePalette(reinterpret_cast<const LOGPALETTE*>(block.data()));
    SelectObject(dc, previous);
    DeleteDC(dc);
    return pal;
}

HPALETTE halftonePalette() {
    const HDC screen = GetDC(0);
    const HPALETTE pal = CreateHalftonePalette(screen);
    ReleaseDC(0, screen);
    return pal;
}

// ---- BitmapToRegion -------------------------------------------------------------------------

// The colours counted as transparent: each channel within [low, high].
struct ColourWindow {
    uint8_t low[3], high[3];  // red, green, blue
    bool holds(const uint8_t* bgr) const {
        return bgr[2] >= low[0] && bgr[2] <= high[0] && bgr[1] >= low[1] && bgr[1] <= high[1] &&
               bgr[0] >= low[2] && bgr[0] <= high[2];
    }
};

ColourWindow colourWindow(COLORREF colour, uint8_t tolerance) {
    ColourWindow w{};
    for (int c = 0; c < 3; ++c) {
        w.low[c] = static_cast<uint8_t>(colour >> (8 * c));
        w.high[c] = static_cast<uint8_t>(std::min(255, w.low[c] + tolerance));
    }
    return w;
}

// A 32-bit bottom-up section selected into its own memory DC.
struct Section {
    HDC dc = 0;
    HBITMAP bmp = 0;
    HGDIOBJ previous = 0;
};

bool makeSection(Section& s, int32_t width, int32_t height) {
    s.dc = CreateCompatibleDC(0);
    if (!s.dc) return false;
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    s.bmp = CreateDIBSection(s.dc, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (!s.bmp) {
        DeleteDC(s.dc);
        return false;
    }
    s.previous = SelectObject(s.dc, s.bmp);
    return true;
}

void releaseSection(const Section& s) {
    SelectObject(s.dc, s.previous);
    DeleteObject(s.bmp);
    DeleteDC(s.dc);
}

// Copies the image into the section through a second memory DC holding image and palette.
bool copyImage(const Section& s, HBITMAP image, HPALETTE pal, const BITMAP& size) {
    const HDC dc = CreateCompatibleDC(s.dc);
    if (!dc) return false;
    const HGDIOBJ previous = SelectObject(dc, image);
    SelectPalette(dc, pal, 1);
    RealizePalette(dc);
    const BOOL copied = BitBlt(s.dc, 0, 0, size.bmWidth, size.bmHeight, dc, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return copied != 0;
}

// The RGNDATA block the runs are gathered in (a movable global block growing by ALLOC_UNIT
// rectangles) and the region merged from it every runsPerPartialRegion runs.
class RunCollector {
  public:
    RunCollector() {
        mem = GlobalAlloc(GMEM_MOVEABLE, bytesFor(capacity));
        if (mem) lock();
        if (header) resetHeader();
    }
    ~RunCollector() {
        if (mem) {
            GlobalUnlock(mem);
            GlobalFree(mem);
        }
        if (result) DeleteObject(result);
    }
    RunCollector(const RunCollector&) = delete;
    RunCollector& operator=(const RunCollector&) = delete;

    bool ready() const { return header != nullptr; }

    // Appends the run [x0, x1) of row y; false when the block cannot grow or a merge fails.
    bool add(int32_t x0, int32_t x1, int32_t y) {
        if (header->nCount == capacity && !grow()) return false;
        rects[header->nCount] = RECT{x0, y, x1, y + 1};
        RECT& bound = header->rcBound;
        bound = RECT{std::min(bound.left, x0), std::min(bound.top, y), std::max(bound.right, x1),
                     std::max(bound.bottom, y + 1)};
        return ++header->nCount < runsPerPartialRegion || flush();
    }

    // Merges the gathered runs into the result and empties the block.
    bool flush() {
        const HRGN part =
            ExtCreateRegion(nullptr, bytesFor(capacity), reinterpret_cast<const RGNDATA*>(header));
        if (!part) return false;
        if (!result) {
            result = part;
        } else {
            CombineRgn(result, result, part, RGN_OR);
            DeleteObject(part);
        }
        resetHeader();
        return true;
    }

    HRGN take() { return std::exchange(result, 0); }

  private:
    static DWORD bytesFor(DWORD rectangles) { return sizeof(RGNDATAHEADER) + rectangles * sizeof(RECT); }

    void lock() {
        auto* bytes = static_cast<char*>(GlobalLock(mem));
        header = reinterpret_cast<RGNDATAHEADER*>(bytes);
        rects = bytes ? reinterpret_cast<RECT*>(bytes + sizeof(RGNDATAHEADER)) : nullptr;
    }

    bool grow() {
        GlobalUnlock(mem);
        const HGLOBAL bigger = GlobalReAlloc(mem, bytesFor(capacity + ALLOC_UNIT), GMEM_MOVEABLE);
        lock();
        if (!bigger || !header) return false;
        capacity += ALLOC_UNIT;
        return true;
    }

    void resetHeader() {
        *header =
            RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 0, 0, RECT{0x7FFFFFFF, 0x7FFFFFFF, 0, 0}};
    }

    HGLOBAL mem = 0;
    DWORD capacity = ALLOC_UNIT;
    RGNDATAHEADER* header = nullptr;
    RECT* rects = nullptr;
    HRGN result = 0;
};

// Gathers the runs of non-transparent pixels, top row first (the last row in memory).
bool scanRuns(const BITMAP& bits, const ColourWindow& clear, RunCollector& runs) {
    size_t rowBytes = static_cast<size_t>(bits.bmWidthBytes);
    if (rowBytes % 4) rowBytes += 4 - rowBytes % 4;
    const auto* base = static_cast<const uint8_t*>(bits.bmBits);
    for (int32_t y = 0; y < bits.bmHeight; ++y) {
        const uint8_t* row = base + static_cast<size_t>(bits.bmHeight - 1 - y) * rowBytes;
        for (int32_t x = 0; x < bits.bmWidth; ++x) {
            const int32_t x0 = x;
            while (x < bits.bmWidth && !clear.holds(row + 4 * x)) ++x;
            // The transparent pixel that ends the run is passed over by the loop.
            if (x > x0 && !runs.add(x0, x, y)) return false;
        }
    }
    return true;
}

HRGN regionOfSection(const Section& s, const ColourWindow& clear) {
    BITMAP bits{};
    if (GetObjectA(s.bmp, sizeof bits, &bits) != sizeof bits || !bits.bmBits) return 0;
    RunCollector runs;
    if (!runs.ready() || !scanRuns(bits, clear, runs) || !runs.flush()) return 0;
    return runs.take();
}

// ---- The button -----------------------------------------------------------------------------

int32_t buttonState(HWND wnd) {
    return static_cast<int32_t>(GetPropA(wnd, HOVERMODE));
}

void setState(HWND wnd, int32_t state) {
    SetPropA(wnd, HOVERMODE, static_cast<HANDLE>(state));
    InvalidateRect(wnd, nullptr, 0);
}

// Keeps the button's place less the parent's frame (3 pixels of border, 19 of caption) and gives
// it the normal image's size; without an image the button keeps its size.
void placeButton(HWND wnd, const BITMAP* image) {
    RECT r{}, p{};
    GetWindowRect(wnd, &r);
    GetWindowRect(GetParent(wnd), &p);
    const int32_t width = image ? image->bmWidth : r.right - r.left;
    const int32_t height = image ? image->bmHeight : r.bottom - r.top;
    MoveWindow(wnd, r.left - p.left - 3, r.top - p.top - 19, width, height, 0);
}

// Stores a memory DC holding the image and its palette (realised) in property `name`.
void storeImage(HWND wnd, const char* name, HBITMAP image, HPALETTE pal) {
    const HDC dc = CreateCompatibleDC(0);
    if (!dc) {
        DeleteObject(image);
        DeleteObject(pal);
        return;
    }
    if (image) SelectObject(dc, image);
    if (pal) {
        SelectPalette(dc, pal, 0);
        RealizePalette(dc);
    }
    SetPropA(wnd, name, dc);
}

void loadImage(HWND wnd, const char* name, char letter) {
    HPALETTE pal = 0;
    const HBITMAP image = LoadBMPFromFile(imageName(letter).c_str(), pal);
    storeImage(wnd, name, image, pal);
}

// The shape: the window region, and an identical region for the button's own hit tests.
void giveShape(HWND wnd) {
    const HRGN shape = BitmapToRegion(imageName('N').c_str(), magenta, shapeTolerance);
    if (!shape) return;
    if (!SetWindowRgn(wnd, shape, 0)) {
        DeleteObject(shape);
        return;
    }
    if (const HRGN hitTest = BitmapToRegion(imageName('N').c_str(), magenta, shapeTolerance))
        SetPropA(wnd, BUTTONRGN, hitTest);
}

void onCreate(HWND wnd) {
    HPALETTE pal = 0;
    const HBITMAP normal = LoadBMPFromFile(imageName('N').c_str(), pal);
    BITMAP size{};
    const bool sized = normal && GetObjectA(normal, sizeof size, &size) == sizeof size;
    placeButton(wnd, sized ? &size : nullptr);
    storeImage(wnd, NORMALBMP, normal, pal);
    loadImage(wnd, HOVERBMP, 'H');
    loadImage(wnd, PRESSBMP, 'P');
    SetPropA(wnd, HOVERMODE, normalState);
    giveShape(wnd);
}

// Releases the memory DC in property `name` with the image and palette selected into it.
void releaseImage(HWND wnd, const char* name) {
    if (const HDC dc = GetPropA(wnd, name)) {
        const HGDIOBJ image = GetCurrentObject(dc, OBJ_BITMAP);
        const HGDIOBJ pal = GetCurrentObject(dc, OBJ_PAL);
        DeleteDC(dc);
        DeleteObject(image);  // the DC's stock placeholders are left as they are
        DeleteObject(pal);
    }
    RemovePropA(wnd, name);
}

void onDestroy(HWND wnd) {
    RemovePropA(wnd, HOVERMODE);
    if (const HRGN hitTest = GetPropA(wnd, BUTTONRGN)) DeleteObject(hitTest);
    RemovePropA(wnd, BUTTONRGN);
    for (const char* name : {PRESSBMP, HOVERBMP, NORMALBMP}) releaseImage(wnd, name);
}

void onPaint(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    const int32_t state = buttonState(wnd);
    const char* name = state == normalState    ? NORMALBMP
                       : state == hoverState   ? HOVERBMP
                       : state == pressedState ? PRESSBMP
                                               : nullptr;
    const HDC image = name ? GetPropA(wnd, name) : 0;
    // The paint is taken even with nothing to draw, so the window counts as painted.
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(wnd, &ps);
    if (image) BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, image, 0, 0, SRCCOPY);
    EndPaint(wnd, &ps);
}

void onMouseMove(HWND wnd, WPARAM keys, LPARAM pos) {
    const HRGN hitTest = GetPropA(wnd, BUTTONRGN);
    const int32_t state = buttonState(wnd);
    if (!hitTest || !state) return;
    const auto x = static_cast<int32_t>(static_cast<uint32_t>(pos) & 0xFFFF);
    const auto y = static_cast<int32_t>(static_cast<uint32_t>(pos) >> 16);
    if (!PtInRegion(hitTest, x, y)) {
        ReleaseCapture();
        setState(wnd, normalState);
        return;
    }
    if (state != normalState) return;
    SetCapture(wnd);
    setState(wnd, (keys & (MK_LBUTTON | MK_RBUTTON)) ? pressedState : hoverState);
}

void onLeftUp(HWND wnd) {
    if (buttonState(wnd) == pressedState) {
        const auto id = static_cast<uint16_t>(GetDlgCtrlID(wnd));  // notification code 0 above it
        PostMessageA(GetParent(wnd), WM_COMMAND, id, 0);
    }
    ReleaseCapture();
    setState(wnd, normalState);
}

}  // namespace

HBITMAP LoadBMPFromFile(const char* FileName, HPALETTE& Pal) {
    if (!FileName) return 0;
    const auto bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), FileName, IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp) return 0;
    BITMAP info{};
    GetObjectA(bmp, sizeof info, &info);
    Pal = info.bmPlanes * info.bmBitsPixel <= 8 ? colourTablePalette(bmp) : halftonePalette();
    return bmp;
}

HRGN BitmapToRegion(const char* BmpName, COLORREF TransColor, uint8_t Tolerance) {
    HPALETTE pal = 0;
    const HBITMAP image = LoadBMPFromFile(BmpName, pal);
    if (!image) return 0;
    BITMAP size{};
    GetObjectA(image, sizeof size, &size);
    HRGN result = 0;
    Section section;
    if (makeSection(section, size.bmWidth, size.bmHeight)) {
        if (copyImage(section, image, pal, size))
            result = regionOfSection(section, colourWindow(TransColor, Tolerance));
        releaseSection(section);
    }
    DeleteObject(pal);
    DeleteObject(image);
    return result;
}

LRESULT HoverButtonHandler(HWND Wnd, int32_t IMsg, WPARAM WParam, LPARAM LParam) {
    switch (static_cast<UINT>(IMsg)) {
        case WM_CREATE:
            onCreate(Wnd);
            return 0;
        case WM_DESTROY:
            onDestroy(Wnd);
            return 0;
        case WM_PAINT:
            onPaint(Wnd);
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(Wnd, WParam, LParam);
            return 0;
        case WM_LBUTTONDOWN:
            SetCapture(Wnd);
            setState(Wnd, pressedState);
            return 0;
        case WM_LBUTTONUP:
            onLeftUp(Wnd);
            return 0;
        default:
            return DefWindowProcA(Wnd, IMsg, WParam, LParam);
    }
}
