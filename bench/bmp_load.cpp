// True-colour BMP decoding through the platform's LoadImageA against stb_image, on the demo's
// cube-face size (512 by 512): a 24-bit BI_RGB file and a 32-bit file with bit fields (alpha
// mask, 124-byte header), same files for both; the floor is reading the file in pieces.
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "vitrail/platform/platform.h"

namespace {

constexpr uint32_t side = 512;

// A bottom-up picture of smooth gradients and a hashed speckle, with a 40- or 124-byte header.
std::string makeFile(const char* name, uint32_t bpp) {
    const uint32_t header = bpp == 24 ? 40 : 124, stride = (side * bpp / 8 + 3) & ~3u;
    bench::Bytes b;
    b.text("BM");
    b.u32(14 + header + stride * side), b.u32(0), b.u32(14 + header);
    b.u32(header), b.u32(side), b.u32(side), b.u16(1), b.u16(uint16_t(bpp));
    b.u32(bpp == 24 ? 0 : 3), b.u32(stride * side), b.u32(2835), b.u32(2835), b.u32(0), b.u32(0);
    if (bpp == 32) {
        for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) b.u32(mask);
        b.text("BGRs");
        b.data.resize(14 + header, 0);
    }
    bench::Rng rng{bench::anchorSeed};
    for (uint32_t y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < side; ++x) {
            b.u8(uint8_t(x / 2)), b.u8(uint8_t(y / 2)), b.u8(uint8_t(rng.next() >> 58));
            if (bpp == 32) b.u8(uint8_t(255 - x / 4));
        }
        while (b.data.size() % 4 != 2) b.u8(0);  // rows padded to 4 bytes after the 14-byte file header
    }
    const std::string path = bench::tempPath(name);
    bench::writeFile(path, b.data);
    return path;
}

const std::string& file(int bpp) {
    static const std::string rgb = makeFile("bench_bmp_24.bmp", 24),
                             fields = makeFile("bench_bmp_32.bmp", 32);
    return bpp == 24 ? rgb : fields;
}

void BM_LoadImageA(benchmark::State& state) {
    const std::string& path = file(int(state.range(0)));
    for (auto _ : state) {
        const HANDLE bmp =
            LoadImageA(0, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        if (!bmp) std::abort();
        DeleteObject(bmp);
    }
    bench::setBytesProcessed(state, path);
}

void BM_StbLoad(benchmark::State& state) {
    const std::string& path = file(int(state.range(0)));
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 0);
        if (!pixels) std::abort();
        stbi_image_free(pixels);
    }
    bench::setBytesProcessed(state, path);
}

void BM_ReadFloor(benchmark::State& state) {
    const std::string& path = file(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(bench::readInPieces(path));
    bench::setBytesProcessed(state, path);
}

}  // namespace

BENCHMARK(BM_LoadImageA)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StbLoad)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadFloor)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
