// Filling a picture pixel by pixel on all cores (see image.h). Threads take rows in turn from a
// shared counter; each pixel is written by exactly one thread.
#include "tools/datagen/image.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace datagen {

void FillImage(Image& img, const std::function<Rgb(int32_t x, int32_t row)>& colourAt) {
    std::atomic<int32_t> nextRow{0};
    const auto work = [&] {
        for (int32_t row = nextRow++; row < img.height; row = nextRow++)
            for (int32_t x = 0; x < img.width; ++x) img.Set(x, row, colourAt(x, row));
    };
    const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1U, 16U);
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < count; ++i) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
}

}  // namespace datagen
