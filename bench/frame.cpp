// Frame rate of the demo: the real frame (clear, one message, OpenGL_Draw, swap) for each
// element at 800 by 600, beside the same frame replayed from a display list recorded once
// (the retained-mode reference) and a loop that only clears and swaps (the floor).
// Needs an X display (make bench starts Xvfb when there is none); the data files are read from
// the folder given by --data=DIR (default: the current folder).
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/showroom.h"
#include "vitrail/input.h"
#include "vitrail/window.h"

namespace {

const char* const kElements[] = {"cube", "sphere", "torus", "teapot", "model", "water"};

void frameEnd() {
    SwapBuffers(DCWindow);
    glFinish();
}

void BM_Frame(benchmark::State& state) {
    SelObj = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        SetGLMsg();
        OpenGL_Draw();
        frameEnd();
    }
    state.SetLabel(kElements[state.range(0)]);
}

void BM_Retained(benchmark::State& state) {
    SelObj = static_cast<int32_t>(state.range(0));
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    OpenGL_Draw();
    glEndList();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        SetGLMsg();
        glCallList(list);
        frameEnd();
    }
    glDeleteLists(list, 1);
    state.SetLabel(kElements[state.range(0)]);
}

void BM_ClearSwapFloor(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetGLMsg();
        frameEnd();
    }
}

// Each element: drawn, then replayed, side by side.
BENCHMARK(BM_Frame)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Retained)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ClearSwapFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--data=", 7) == 0 && chdir(argv[i] + 7) != 0) return 1;
    OGLWindowSetting(ARROW, "", GENERIC, "");
    CreateOGLWindow("Texture CubeMap - benchmark", 800, 600, 32, false);
    OpenGL_Init(120.0, 0, 0, 0, 0);
    SetGLRefractive();
    SetGLLight(GL_LIGHT0, 0, 0, 0, 0.1f);
    OpenGL_CreateList();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DeleteOGLWindow();
    return 0;
}
