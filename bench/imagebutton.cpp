// Image buttons: BitmapToRegion on a button-sized shape and on an 800 x 600 picture of 160 000
// runs (80 partial regions merged), and a buffer swap of an 800 x 600 offscreen window with no
// child window beside one with a 128 x 64 button laid over the frame.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "vitrail/imagebutton.h"
#include "vitrail/platform/platform.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/window.h"

namespace {

namespace fs = std::filesystem;

const fs::path& scratch() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("vtrl_bench_imagebutton_" + std::to_string(getpid()));
        fs::create_directories(d);
        std::atexit([] { fs::remove_all(scratch()); });
        return d;
    }();
    return dir;
}

void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 24-bit BMP file: magenta where `cut(x, y)` (y = 0 the top row), dark red elsewhere.
std::string writeBmp(const char* name, int32_t w, int32_t h,
                     const std::function<bool(int32_t, int32_t)>& cut) {
    const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    putLE(out, 19778, 2);
    putLE(out, 54 + stride * static_cast<uint32_t>(h), 4);
    putLE(out, 0, 4);
    putLE(out, 54, 4);
    for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(h)}) putLE(out, v, 4);
    putLE(out, 1, 2);
    putLE(out, 24, 2);
    out.resize(out.size() + 24, 0);
    for (int32_t y = h - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int32_t x = 0; x < w; ++x)
            out.insert(out.end(), cut(x, y) ? std::initializer_list<uint8_t>{255, 0, 255}
                                            : std::initializer_list<uint8_t>{30, 30, 200});
        out.resize(start + stride, 0);
    }
    const std::string path = (scratch() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    return path;
}

// An ellipse on magenta: two runs' worth of edges per row.
bool outsideEllipse(int32_t x, int32_t y) {
    const double dx = (x - 63.5) / 64, dy = (y - 31.5) / 32;
    return dx * dx + dy * dy > 1;
}

void BM_BitmapToRegion_ButtonShape(benchmark::State& state) {
    const std::string file = writeBmp("shapeN.BMP", 128, 64, outsideEllipse);
    for (auto _ : state) {
        const HRGN rgn = BitmapToRegion(file.c_str(), 0xFF00FF, 1);
        benchmark::DoNotOptimize(rgn);
        DeleteObject(rgn);
    }
}
BENCHMARK(BM_BitmapToRegion_ButtonShape)->Unit(benchmark::kMicrosecond);

void BM_BitmapToRegion_ManyRuns(benchmark::State& state) {
    const std::string file =
        writeBmp("noise.bmp", 800, 600, [](int32_t x, int32_t y) { return (x + y) % 3 == 0; });
    for (auto _ : state) {
        const HRGN rgn = BitmapToRegion(file.c_str(), 0xFF00FF, 1);
        benchmark::DoNotOptimize(rgn);
        DeleteObject(rgn);
    }
    state.counters["runs"] = 800.0 / 3 * 600;
}
BENCHMARK(BM_BitmapToRegion_ManyRuns)->Unit(benchmark::kMillisecond);

// An offscreen 800 x 600 window with a current context; with a button when asked.
struct Frame {
    HWND wnd = 0;
    HDC dc = 0;
    HGLRC rc = 0;
    explicit Frame(bool withButton) {
        PlatformTestUseVideoDriver("offscreen");
        WindowRegister();
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "VtrlBenchButtonWindow";
        RegisterClassA(&wc);
        wnd = CreateWindowExA(0, wc.lpszClassName, "bench", WS_CAPTION, 0, 0, 800, 600, 0, 0, 0, nullptr);
        dc = GetDC(wnd);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
        pfd.cColorBits = 32;
        SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
        rc = wglCreateContext(dc);
        wglMakeCurrent(dc, rc);
        if (!withButton) return;
        writeBmp("shapeH.BMP", 128, 64, outsideEllipse);
        writeBmp("shapeP.BMP", 128, 64, outsideEllipse);
        BmpType = (scratch() / "shape").string();
        CreateWindowExA(0, SZHOVERCLASS, "", WS_CHILD | WS_VISIBLE, 100, 100, 1, 1, wnd, 1, 0, nullptr);
        MSG m{};
        while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    ~Frame() { PlatformTestReset(); }
};

void swapLoop(benchmark::State& state, bool withButton) {
    writeBmp("shapeN.BMP", 128, 64, outsideEllipse);
    Frame frame(withButton);
    if (!frame.rc) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(frame.dc);
        glFinish();
    }
}

void BM_SwapBuffers_NoChildren(benchmark::State& state) {
    swapLoop(state, false);
}
BENCHMARK(BM_SwapBuffers_NoChildren)->Unit(benchmark::kMicrosecond);

void BM_SwapBuffers_OneButton(benchmark::State& state) {
    swapLoop(state, true);
}
BENCHMARK(BM_SwapBuffers_OneButton)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
