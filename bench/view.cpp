// The model viewer's frames in a 1024 by 768 window. On the anchor-shaped 3DS model (about a
// million triangles): the viewer's frame (from its buffer objects) beside a plain vertex-array
// draw of the same triangles with the same lights (the floor), and its start (load, texture maps,
// buffer objects, the first frame shown) beside the library's load alone and the making of the
// buffer objects alone. On a skinned MilkShape model of about 2,000 vertices: one played frame
// (pose, re-skin, draw, swap).
// Needs an X display (make bench starts Xvfb).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "anchor3ds.h"
#include "bench_support.h"
#include "viewer.h"
#include "vitrail/input.h"
#include "vitrail/window.h"

namespace {

using namespace bench;

const std::string& anchorPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_view_model.3ds");
        writeFile(p, anchor3dsFile(anchorSeed));
        return p;
    }();
    return path;
}

// A tube standing on the Y axis, 48 around by 42 high (2,016 vertices, 3,936 triangles), bound to
// a chain of four bones that bend to and fro about Z over 30 frames.
std::string skinnedText() {
    constexpr int around = 48, rings = 42, bones = 4;
    std::string s = "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 1\n\"tube\" 0 0\n";
    char line[160];
    s += std::to_string(around * rings) + "\n";
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < around; ++i) {
            const double a = 2 * 3.14159265358979 * i / around, y = 40.0 * j / (rings - 1);
            std::snprintf(line, sizeof line, "0 %.6f %.6f %.6f %.6f %.6f %d\n", 3 * std::cos(a), y,
                          3 * std::sin(a), double(i) / around, double(j) / rings,
                          std::min(j * bones / rings, 3));
            s += line;
        }
    s += std::to_string(around * rings) + "\n";
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < around; ++i) {
            const double a = 2 * 3.14159265358979 * i / around;
            std::snprintf(line, sizeof line, "%.6f 0 %.6f\n", std::cos(a), std::sin(a));
            s += line;
        }
    s += std::to_string(2 * around * (rings - 1)) + "\n";
    for (int j = 0; j + 1 < rings; ++j)
        for (int i = 0; i < around; ++i) {
            const int a = j * around + i, b = j * around + (i + 1) % around, c = a + around, d = b + around;
            std::snprintf(line, sizeof line, "0 %d %d %d %d %d %d 1\n0 %d %d %d %d %d %d 1\n", a, c, b, a, c,
                          b, b, c, d, b, c, d);
            s += line;
        }
    s += "\nMaterials: 1\n\"skin\"\n0.2 0.2 0.2 1\n0.8 0.6 0.5 1\n0 0 0 1\n0 0 0 1\n10\n1\n\"\"\n\"\"\n";
    s += "\nBones: 4\n";
    for (int k = 0; k < bones; ++k) {
        std::snprintf(line, sizeof line,
                      "\"b%d\"\n\"%s\"\n0 0 %.6f 0 0 0 0\n0\n3\n1 0 0 0\n15 0 0 %.3f\n30 0 0 0\n", k,
                      k ? ("b" + std::to_string(k - 1)).c_str() : "", k ? 10.0 : 0.0, k % 2 ? -0.6 : 0.6);
        s += line;
    }
    return s + "GroupComments: 0\nMaterialComments: 0\nBoneComments: 0\nModelComment: 0\n";
}

const std::string& skinnedPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_view_skinned.txt");
        writeFile(p, skinnedText());
        return p;
    }();
    return path;
}

void load(const std::string& path) {
    LoadViewerScene(path);
    ViewState = TViewerState{};
    ResetViewerCamera(30, 20);
    PrepareViewerScene();
}

void frameEnd() {
    SwapBuffers(DCWindow);
    glFinish();
}

// ---- The anchor model -------------------------------------------------------------------------

void BM_ViewerFrame(benchmark::State& state) {
    load(anchorPath());
    for (auto _ : state) {
        SetGLMsg();
        DrawViewerFrame();
        frameEnd();
    }
    state.counters["triangles"] = ViewScene.Triangles;
}

// The floor: the same triangles with their face normals, as one pair of plain client arrays per
// mesh (three corners a triangle, as flat shading needs), lit by the same lights, in the same frame
// (clear, projection, swap), with the back faces culled as the viewer culls a 3DS model's; no
// materials, blending or texture coordinates.
void BM_VertexArrayFloor(benchmark::State& state) {
    load(anchorPath());
    std::vector<std::vector<T3dpoint>> positions, normals;
    for (const TGL3dsMesh* m : ViewScene.Model->FMesh) {
        if (!m || m->FNumIndices <= 0 || m->FaceNormal.size() * 3 < size_t(m->FNumIndices)) continue;
        positions.emplace_back(), normals.emplace_back();
        for (int32_t c = 0; c < m->FNumIndices; ++c) {
            positions.back().push_back(m->FVertex[m->FIndices[size_t(c)]]);
            normals.back().push_back(m->FaceNormal[size_t(c / 3)]);
        }
    }
    const int32_t meshes = ViewScene.Model->FNumMeshes;
    ViewScene.Model->FNumMeshes = 0;  // the viewer's frame then draws only its set-up
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (auto _ : state) {
        SetGLMsg();
        DrawViewerFrame();
        glColor3f(0.5f, 0.5f, 0.5f);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        for (size_t i = 0; i < positions.size(); ++i) {
            glVertexPointer(3, GL_FLOAT, 0, positions[i].data());
            glNormalPointer(GL_FLOAT, 0, normals[i].data());
            glDrawArrays(GL_TRIANGLES, 0, GLsizei(positions[i].size()));
        }
        frameEnd();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    ViewScene.Model->FNumMeshes = meshes;
}

// The library's load alone (with all its post-processing).
void BM_LoadOnly(benchmark::State& state) {
    anchorPath();
    for (auto _ : state) {
        TGLAll3dsMesh model(nullptr);
        model.LoadFromFile(anchorPath());
        benchmark::DoNotOptimize(model.FMesh.data());
    }
}

// Start to first frame: `start` readies the scene, then one frame is drawn and shown.
template <typename Start>
void firstFrame(benchmark::State& state, Start start) {
    anchorPath();
    for (auto _ : state) {
        start();
        DrawViewerFrame();
        frameEnd();
        state.PauseTiming();
        ViewScene = TViewerScene{};
        state.ResumeTiming();
    }
}

// As the viewer starts: load, texture maps, buffer objects, the first frame.
void BM_StartToFirstFrame(benchmark::State& state) {
    firstFrame(state, [] { load(anchorPath()); });
}

// The start as it was before buffer objects: load, texture maps, the first frame drawn by the
// library's renderer one triangle at a time (the yardstick of the start above).
void BM_LibraryFirstFrame(benchmark::State& state) {
    firstFrame(state, [] {
        LoadViewerScene(anchorPath());
        ViewState = TViewerState{};
        ResetViewerCamera(30, 20);
        ViewScene.Model->LoadTextures(LoadViewerTexture);
    });
}

// Making the buffer objects of the static meshes, which the viewer does before its first frame.
void BM_BuildBuffers(benchmark::State& state) {
    load(anchorPath());
    for (auto _ : state) {
        ViewScene.Buffers = BuildViewerBuffers(*ViewScene.Model);  // deletes the ones it replaces
        glFinish();
    }
}

// ---- The skinned model ------------------------------------------------------------------------

// One played frame: pose the skeleton, re-skin the tube, draw it, show it.
void BM_SkinnedPlayback(benchmark::State& state) {
    load(skinnedPath());
    float frame = 1;
    for (auto _ : state) {
        SetGLMsg();
        frame = frame >= 30 ? 1 : frame + 0.5f;
        SetViewerFrame(frame);
        DrawViewerFrame();
        frameEnd();
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    int64_t vertices = 0;
    for (const TGL3dsMesh* m : ViewScene.Model->FMesh) vertices += m ? m->FNumVertex : 0;
    state.counters["vertices"] = double(vertices);
}

BENCHMARK(BM_ViewerFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_VertexArrayFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_LibraryFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_BuildBuffers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SkinnedPlayback)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    OGLWindowSetting(ARROW, "", GENERIC, "");
    CreateOGLWindow("vtrl3ds-view - benchmark", 1024, 768, 32, false);
    const double windowMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("window and GL context: %.1f ms (once, before the first frame)\n", windowMs);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DeleteOGLWindow();
    return 0;
}
