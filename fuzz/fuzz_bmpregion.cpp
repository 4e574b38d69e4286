// Fuzz target of the image-button loaders: each input becomes an in-memory file that
// LoadBMPFromFile and BitmapToRegion open by name, so the platform's BMP decoding, colour
// tables, blits into the 32-bit section and the run scan are what gets fuzzed. A region must lie
// within the image. Inputs above 64 KiB, and pictures declaring more than 16,384 pixels (128 by
// 128: larger ones run the same code as smaller ones, only slower, and would keep the target
// waiting instead of exploring), are skipped.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "vitrail/imagebutton.h"

namespace {

constexpr size_t maxInput = 64 * 1024;
constexpr int64_t maxPixels = 1 << 14;

int64_t readLE(const uint8_t* p, int bytes) {
    int64_t v = 0;
    for (int i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}

// Width times height as the info header (or the old core header) declares them.
int64_t declaredPixels(const uint8_t* data, size_t size) {
    if (size < 26) return 0;
    if (readLE(data + 14, 4) == 12) return readLE(data + 18, 2) * readLE(data + 20, 2);
    const auto w = static_cast<int32_t>(readLE(data + 18, 4)), h = static_cast<int32_t>(readLE(data + 22, 4));
    return std::abs(int64_t{w}) * std::abs(int64_t{h});
}

// One anonymous in-memory file, rewritten for every input, and its name.
struct MemoryFile {
    int fd = memfd_create("fuzz_bmpregion", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    bool fill(const uint8_t* data, size_t size) const {
        return fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const MemoryFile file;
    if (size > maxInput || declaredPixels(data, size) > maxPixels || !file.fill(data, size)) return 0;
    HPALETTE pal = 0;
    const HBITMAP bmp = LoadBMPFromFile(file.path.c_str(), pal);
    BITMAP info{};
    if (bmp && (GetObjectA(bmp, sizeof info, &info) != sizeof info || !pal)) std::abort();
    const HRGN rgn = BitmapToRegion(file.path.c_str(), 0xFF00FF, 1);
    if (rgn) {
        if (!bmp) std::abort();  // a region only from a file that loads
        RECT box{};
        const int32_t kind = GetRgnBox(rgn, &box);
        if (kind != NULLREGION &&
            (box.left < 0 || box.top < 0 || box.right > info.bmWidth || box.bottom > info.bmHeight))
            std::abort();
        DeleteObject(rgn);
    }
    if (bmp) {
        DeleteObject(bmp);
        DeleteObject(pal);
    }
    return 0;
}
