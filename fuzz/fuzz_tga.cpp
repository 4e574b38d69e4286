// Fuzz target of the TGA loader: each input becomes an in-memory file that LoadTGA opens by
// name, so the real file path (size probe, block reads, run-length walk) is what gets fuzzed.
// Message boxes are answered by the platform's test seam; inputs above 64 KiB are skipped. A size
// beyond 32 bits is the one failure that throws (std::overflow_error) instead of showing a message.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "vitrail/platform/platform_test.h"
#include "vitrail/tga.h"

namespace {

constexpr size_t maxInput = 64 * 1024;

// One anonymous in-memory file, rewritten for every input, and its name.
struct MemoryFile {
    int fd = memfd_create("fuzz_tga", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    bool fill(const uint8_t* data, size_t size) const {
        return fd >= 0 && ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool seamReady = [] {
        PlatformTestAnswerMessageBoxes([](const MessageBoxRecord&) { return IDOK; });
        return true;
    }();
    static const MemoryFile file;
    if (!seamReady || size > maxInput || !file.fill(data, size)) return 0;
    PlatformTestClearMessageBoxes();
    TGATexture texture{};
    bool loaded = false;
    try {
        loaded = LoadTGA(texture, file.path.c_str());
    } catch (const std::overflow_error&) {
        // A size beyond 32 bits: no message, no image, the file closed.
        if (!PlatformTestShownMessageBoxes().empty() || texture.ImageData || FTGA) std::abort();
        return 0;
    }
    if (loaded) {
        const size_t bytes = size_t{texture.Width} * texture.Height * (texture.Bpp / 8);
        // Touch both ends of the image so the sanitizer sees a buffer of the promised size.
        volatile uint8_t sink = static_cast<uint8_t>(texture.ImageData[0] ^ texture.ImageData[bytes - 1]);
        (void)sink;
        std::free(texture.ImageData);
        if (!PlatformTestShownMessageBoxes().empty()) std::abort();  // success shows nothing
    } else if (PlatformTestShownMessageBoxes().size() != 1) {
        std::abort();  // every failure shows exactly one message
    }
    return 0;
}
