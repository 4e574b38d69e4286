// TGA decoding against stb_image on 4096 x 4096 painted-scene images (uncompressed 24-bit, RLE
// 24-bit, RLE 32-bit), same files and same repetition pattern for both, with the extra peak memory
// of one load; then the whole TextureLoadTGAID on a GL context, split into decode, upload and
// mipmap chain to show where its time goes.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "vitrail/platform/platform.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/tga.h"

namespace {

constexpr int side = 4096;

struct Pixel {
    uint8_t r, g, b, a;
};

uint32_t hash2(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    return h ^ (h >> 16);
}

uint8_t clampByte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// A painted scene: flat sky rows, a ground gradient with short runs and sparse speckle, flat
// buildings with windows, a noisy grass band (raw packets) and a transparent corner disc.
Pixel scenePixel(int x, int y) {
    const double fx = double(x) / side, fy = double(y) / side;
    Pixel p{0, 0, 0, 255};
    if (fy < 0.55) {
        const double t = fy / 0.55;
        p = {uint8_t(90 + 110 * t), uint8_t(140 + 80 * t), uint8_t(235 - 20 * t), 255};
    } else {
        const int g = int(fx * 180 + fy * 140);
        p = {uint8_t(60 + g % 90), uint8_t(110 + (g / 3) % 60), uint8_t(40 + (g / 5) % 30), 255};
    }
    for (int k = 0; k < 9; ++k) {
        const double x0 = 0.05 + k * 0.1, top = 0.30 + 0.03 * ((k * 7) % 5);
        if (fx < x0 || fx >= x0 + 0.07 || fy < top || fy >= 0.60) continue;
        p = {uint8_t(70 + 20 * k), uint8_t(60 + 9 * k), uint8_t(80 + 5 * k), 255};
        const int wx = int((fx - x0) * side) % 48, wy = int((fy - top) * side) % 64;
        if (wx > 12 && wx < 34 && wy > 16 && wy < 44) p = {250, 220, 120, 255};
    }
    if (fy >= 0.55 && fy <= 0.78 && hash2(uint32_t(x), uint32_t(y), 13) % 6 == 0) p.g = uint8_t(p.g + 1);
    if (fy > 0.78 && fy < 0.93) {
        const uint32_t h = hash2(uint32_t(x), uint32_t(y), 77);
        const int n = int(h % 41) - 20;
        p = {clampByte(p.r + n), clampByte(p.g + n + int((h >> 8) % 11) - 5), clampByte(p.b + n / 2), 255};
    }
    const double d = std::hypot(fx - 0.15, fy - 0.15);
    if (d < 0.16) p.a = d < 0.10 ? 0 : uint8_t(255.0 * (d - 0.10) / 0.06);
    return p;
}

void putPixel(std::vector<uint8_t>& out, const Pixel& p, int bpp) {
    out.insert(out.end(), {p.b, p.g, p.r});
    if (bpp == 32) out.push_back(p.a);
}

bool samePixel(const Pixel& a, const Pixel& b, int bpp) {
    return a.r == b.r && a.g == b.g && a.b == b.b && (bpp == 24 || a.a == b.a);
}

// Appends one row as packets: runs of two or more equal pixels, raw packets between them.
void encodeRow(std::vector<uint8_t>& out, const Pixel* row, int bpp) {
    for (int x = 0; x < side;) {
        int n = 1;
        while (x + n < side && n < 128 && samePixel(row[x + n], row[x], bpp)) ++n;
        if (n >= 2) {
            out.push_back(uint8_t(0x80 | (n - 1)));
            putPixel(out, row[x], bpp);
            x += n;
            continue;
        }
        const int start = x;
        for (n = 0; x < side && n < 128 && !(x + 1 < side && samePixel(row[x], row[x + 1], bpp)); ++x) ++n;
        out.push_back(uint8_t(n - 1));
        for (int k = start; k < start + n; ++k) putPixel(out, row[k], bpp);
    }
}

std::string writeImage(const std::vector<Pixel>& scene, int bpp, bool rle, const char* name) {
    std::vector<uint8_t> file{
        0,           0,         uint8_t(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0, side & 0xFF, side >> 8,
        side & 0xFF, side >> 8, uint8_t(bpp),          0};
    for (int y = side - 1; y >= 0; --y) {  // bottom row first
        const Pixel* row = &scene[size_t(y) * side];
        if (rle)
            encodeRow(file, row, bpp);
        else
            for (int x = 0; x < side; ++x) putPixel(file, row[x], bpp);
    }
    const std::string path = bench::tempPath(name);
    bench::writeFile(path, file);
    return path;
}

struct Images {
    std::string raw24, rle24, rle32;
};

const Images& images() {
    static const Images made = [] {
        std::vector<Pixel> scene(size_t(side) * side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) scene[size_t(y) * side + x] = scenePixel(x, y);
        return Images{writeImage(scene, 24, false, "vtrl_bench_image24.tga"),
                      writeImage(scene, 24, true, "vtrl_bench_image24_rle.tga"),
                      writeImage(scene, 32, true, "vtrl_bench_image32_rle.tga")};
    }();
    return made;
}

void loadOurs(const std::string& path) {
    TGATexture texture{};
    if (!LoadTGA(texture, path.c_str())) std::abort();
    benchmark::DoNotOptimize(texture.ImageData[0]);
    std::free(texture.ImageData);
}

void loadStb(const std::string& path) {
    int w = 0, h = 0, n = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 0);
    if (!pixels) std::abort();
    benchmark::DoNotOptimize(pixels[0]);
    stbi_image_free(pixels);
}

void decodeBenchmark(benchmark::State& state, const std::string Images::*which,
                     void (*load)(const std::string&)) {
    const std::string& path = images().*which;
    load(path);                                                                     // warm the page cache
    const double peak = double(bench::peakAddedKiB([&] { load(path); })) / 1024.0;  // one call, in MiB
    for (auto _ : state) load(path);
    state.counters["peak_extra_MiB"] = peak;
    bench::setBytesProcessed(state, path);
}

void BM_Ours_Raw24(benchmark::State& s) {
    decodeBenchmark(s, &Images::raw24, loadOurs);
}
void BM_Stb_Raw24(benchmark::State& s) {
    decodeBenchmark(s, &Images::raw24, loadStb);
}
void BM_Ours_Rle24(benchmark::State& s) {
    decodeBenchmark(s, &Images::rle24, loadOurs);
}
void BM_Stb_Rle24(benchmark::State& s) {
    decodeBenchmark(s, &Images::rle24, loadStb);
}
void BM_Ours_Rle32(benchmark::State& s) {
    decodeBenchmark(s, &Images::rle32, loadOurs);
}
void BM_Stb_Rle32(benchmark::State& s) {
    decodeBenchmark(s, &Images::rle32, loadStb);
}

// A current GL context on the platform's offscreen driver, made once.
bool glReady() {
    static const bool ready = [] {
        PlatformTestUseVideoDriver("offscreen");
        PlatformTestAnswerMessageBoxes([](const MessageBoxRecord&) { return IDOK; });
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "VtrlBenchWindow";
        RegisterClassA(&wc);
        const HWND wnd =
            CreateWindowExA(0, "VtrlBenchWindow", "bench", WS_CAPTION, 0, 0, 64, 64, 0, 0, 0, nullptr);
        const HDC dc = GetDC(wnd);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
        const HGLRC rc = wglCreateContext(dc);
        return rc != 0 && wglMakeCurrent(dc, rc) != 0;
    }();
    return ready;
}

void textureBenchmark(benchmark::State& state, const std::string Images::*which, int32_t minFilter) {
    if (!glReady()) return state.SkipWithError("no GL context");
    SetQualityTexture2(minFilter, GL_LINEAR);
    for (auto _ : state) {
        GLName name = 0;
        TextureLoadTGAID((images().*which).c_str(), name);
        glFinish();
        glDeleteTextures(1, &name);
    }
    SetQualityTexture2(GL_LINEAR, GL_LINEAR);
}

// One part of TextureLoadTGAID on an already decoded image: the level-0 upload or the GLU chain.
void partBenchmark(benchmark::State& state, const std::string Images::*which, bool mipmaps) {
    if (!glReady()) return state.SkipWithError("no GL context");
    TGATexture image{};
    if (!LoadTGA(image, (images().*which).c_str())) return state.SkipWithError("decode failed");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (auto _ : state) {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        if (mipmaps)
            AddMipmapsTexture(int32_t(image.Bpp), int32_t(image.Width), int32_t(image.Height),
                              image.ImageData);
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(image.Bpp / 8), GLsizei(image.Width), GLsizei(image.Height),
                         0, image.Typ, GL_UNSIGNED_BYTE, image.ImageData);
        glFinish();
        glDeleteTextures(1, &name);
    }
    std::free(image.ImageData);
}

void BM_TextureLoadTGAID_Rle24_Linear(benchmark::State& s) {
    textureBenchmark(s, &Images::rle24, GL_LINEAR);
}
void BM_TextureLoadTGAID_Rle24_Mipmapped(benchmark::State& s) {
    textureBenchmark(s, &Images::rle24, GL_LINEAR_MIPMAP_LINEAR);
}
void BM_TextureLoadTGAID_Rle32_Mipmapped(benchmark::State& s) {
    textureBenchmark(s, &Images::rle32, GL_LINEAR_MIPMAP_LINEAR);
}
void BM_Part_Upload_Rle24(benchmark::State& s) {
    partBenchmark(s, &Images::rle24, false);
}
void BM_Part_Mipmaps_Rle24(benchmark::State& s) {
    partBenchmark(s, &Images::rle24, true);
}
void BM_Part_Upload_Rle32(benchmark::State& s) {
    partBenchmark(s, &Images::rle32, false);
}
void BM_Part_Mipmaps_Rle32(benchmark::State& s) {
    partBenchmark(s, &Images::rle32, true);
}

}  // namespace

// Decoding: ours and stb_image side by side, each file in turn, 5 rounds each (median reported).
#define DECODE(name) \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)
DECODE(BM_Ours_Raw24);
DECODE(BM_Stb_Raw24);
DECODE(BM_Ours_Rle24);
DECODE(BM_Stb_Rle24);
DECODE(BM_Ours_Rle32);
DECODE(BM_Stb_Rle32);
#define WHOLE(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true)
WHOLE(BM_TextureLoadTGAID_Rle24_Linear);
WHOLE(BM_TextureLoadTGAID_Rle24_Mipmapped);
WHOLE(BM_TextureLoadTGAID_Rle32_Mipmapped);
WHOLE(BM_Part_Upload_Rle24);
WHOLE(BM_Part_Mipmaps_Rle24);
WHOLE(BM_Part_Upload_Rle32);
WHOLE(BM_Part_Mipmaps_Rle32);

BENCHMARK_MAIN();
