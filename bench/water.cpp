// The water element's cost per frame at the demonstration's settings (grid 40, density 256): the
// ripple step, the vertices and normals, one wave surface pass, and the whole element as a frame
// draws it, beside the floor of a frame that only clears, on an offscreen 800 x 600 Mesa context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cstring>

#include "vitrail/platform/platform.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/water.h"

namespace {

constexpr int32_t frameWidth = 800, frameHeight = 600;

// Makes an offscreen window with a current GL context of the demonstration's format, once.
bool ensureContext() {
    static bool made = false;
    if (made) return true;
    PlatformTestUseVideoDriver("offscreen");
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VtrlBenchWindow";
    RegisterClassA(&wc);
    const HWND wnd = CreateWindowExA(0, "VtrlBenchWindow", "bench", WS_CAPTION, 0, 0, frameWidth, frameHeight,
                                     0, 0, 0, nullptr);
    const HDC dc = GetDC(wnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.dwFlags = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    const HGLRC rc = wglCreateContext(dc);
    made = rc && wglMakeCurrent(dc, rc);
    return made;
}

// The demonstration's view of its water: 45-degree perspective, the surface 30 units away and
// 5.5 below the origin, lit, textured with a small texture, blending as the demo sets it.
void enterWaterView() {
    glViewport(0, 0, frameWidth, frameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, static_cast<double>(frameWidth) / frameHeight, 0.1, 120);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -5.5f, -30);
    static GLuint texture = 0;
    if (!texture) {
        const unsigned char texels[4 * 4 * 3] = {40, 90, 160, 60, 110, 180, 40, 90, 160, 60, 110, 180};
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    TextureHW = TextureReflectHW = texture;
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void startRipple() {
    std::memset(PosHW, 0, sizeof PosHW);
    std::memset(VelHW, 0, sizeof VelHW);
    PosHW[20][20] = 24000;
    PosHW[300][300] = 24000;
}

void BM_MoveWater(benchmark::State& state) {
    const int32_t grid = static_cast<int32_t>(state.range(0));
    startRipple();
    for (auto _ : state) {
        MoveWater(grid, 256);
        benchmark::DoNotOptimize(PosHW[grid / 2][grid / 2]);
    }
    state.counters["points"] = (grid - 3) * (grid - 3);
}
BENCHMARK(BM_MoveWater)->Arg(40)->Arg(600);

void BM_InitPlane(benchmark::State& state) {
    const int32_t grid = static_cast<int32_t>(state.range(0));
    startRipple();
    MoveWater(grid, 256);
    for (auto _ : state) {
        InitPlane(grid);
        benchmark::DoNotOptimize(NormHW[grid / 2][grid / 2]);
    }
}
BENCHMARK(BM_InitPlane)->Arg(40)->Arg(600);

// One wave surface pass as the CPU sends it (the GL's drawing is not waited for).
void BM_RenderWaterPass(benchmark::State& state) {
    if (!ensureContext()) return state.SkipWithError("no GL context");
    enterWaterView();
    CreateWaweHW(2200, 0.006f, 2);
    for (auto _ : state) RenderWater(40);
    glFinish();
    state.counters["vertices"] = 2 * 40 * 41;
}
BENCHMARK(BM_RenderWaterPass);

// The water element of one demonstration frame, drawn to the end: clear, CreateHighWater(40, 256),
// CreateWaweHW(2200, 0.006, 2), finish. No buffer swap: the floor below is the same frame empty.
void BM_WaterFrame(benchmark::State& state) {
    if (!ensureContext()) return state.SkipWithError("no GL context");
    enterWaterView();
    for (auto _ : state) {
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthMask(GL_FALSE);  // the demonstration draws its water without depth writes
        CreateHighWater(40, 256);
        CreateWaweHW(2200, 0.006f, 2);
        glFinish();
    }
}
BENCHMARK(BM_WaterFrame)->Unit(benchmark::kMillisecond);

// The floor: a frame that only clears and finishes.
void BM_ClearFrame(benchmark::State& state) {
    if (!ensureContext()) return state.SkipWithError("no GL context");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
}
BENCHMARK(BM_ClearFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
