// glTF export of the anchor-shaped 3DS file (about a million triangles): our load and .glb write
// against `assimp export -fglb2` (the peer converter, run as people run it), and the floor: our
// load plus writing a file of the same number of bytes. Each run writes a fresh file: the one
// before is removed outside the timing (replacing a file costs a file system such as ext4 a flush
// of the new one, tens of milliseconds that no conversion to a new file pays).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "anchor3ds.h"
#include "bench_support.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/normals.h"

namespace {

using namespace bench;

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_gltf.3ds");
        writeFile(p, anchor3dsFile(anchorSeed));
        return p;
    }();
    return path;
}

const std::string outPath = tempPath("vtrl_bench_gltf.glb");

// Removes `path` with the timing paused, so that the run writes a fresh file.
void removeUntimed(benchmark::State& state, const std::string& path) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
}

// The export as the converter runs it, its warning (the model's texture map is not there) unprinted.
TGltfOptions quiet() {
    TGltfOptions options;
    options.Warn = [](const std::string&) {};
    return options;
}

void BM_Convert_Ours(benchmark::State& state) {
    for (auto _ : state) {
        removeUntimed(state, outPath);
        TGLAll3dsMesh model;
        model.Load3DSFromFile(modelPath());
        WriteGltf(model, outPath, quiet());
    }
    state.counters["bytes"] = double(std::filesystem::file_size(outPath));
}

// Where the time goes: the scene description alone, and its .glb bytes alone.
void BM_Part_BuildScene(benchmark::State& state) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(modelPath());
    for (auto _ : state) benchmark::DoNotOptimize(BuildGltfScene(model, quiet()).Meshes.size());
}

void BM_Part_Normals(benchmark::State& state) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(modelPath());
    for (auto _ : state)
        for (const auto& mesh : model.FMesh) benchmark::DoNotOptimize(SmoothingGroupNormals(*mesh).data());
}

void BM_Part_SceneToGlb(benchmark::State& state) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(modelPath());
    const TGltfScene scene = BuildGltfScene(model, quiet());
    for (auto _ : state) benchmark::DoNotOptimize(GltfSceneToGlb(scene).size());
}

// The floor: the same load, then as many bytes as our .glb holds written in one piece.
void BM_Floor_LoadAndWriteSameBytes(benchmark::State& state) {
    TGLAll3dsMesh first;
    first.Load3DSFromFile(modelPath());
    const std::string bytes(GltfSceneToGlb(BuildGltfScene(first, quiet())).size(), 'x');
    for (auto _ : state) {
        removeUntimed(state, outPath + ".floor");
        TGLAll3dsMesh model;
        model.Load3DSFromFile(modelPath());
        writeFile(outPath + ".floor", bytes);
    }
}

// CPU seconds (user and system) of the finished child processes so far.
double childCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_CHILDREN, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           1e-6 * double(use.ru_utime.tv_usec + use.ru_stime.tv_usec);
}

// The peer runs as a process of its own: besides the clock, its CPU time is the counter
// child_cpu_ms, comparable with our thread's CPU time when the machine is shared.
void BM_Convert_AssimpExport(benchmark::State& state) {
    const std::string out = tempPath("vtrl_bench_gltf_assimp.glb");
    const std::string command = "assimp export " + modelPath() + " " + out + " -fglb2 >/dev/null 2>&1";
    const double before = childCpuSeconds();
    for (auto _ : state) {
        removeUntimed(state, out);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("assimp export failed (is assimp-utils installed?)");
            break;
        }
    }
    state.counters["child_cpu_ms"] =
        1e3 * (childCpuSeconds() - before) / double(std::max<int64_t>(state.iterations(), 1));
}

// Every benchmark here runs its work once per repetition, by the clock, in milliseconds.
void once(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

// The export makes its meshes on every core: its CPU time is the whole process's.
BENCHMARK(BM_Convert_Ours)->Apply(once)->MeasureProcessCPUTime();
BENCHMARK(BM_Floor_LoadAndWriteSameBytes)->Apply(once);
BENCHMARK(BM_Part_BuildScene)->Apply(once)->MeasureProcessCPUTime();
BENCHMARK(BM_Part_Normals)->Apply(once);
BENCHMARK(BM_Part_SceneToGlb)->Apply(once);
BENCHMARK(BM_Convert_AssimpExport)->Apply(once)->Repetitions(3);

}  // namespace

// The allocator keeps what is freed and serves large blocks from its heap, so that every row's
// repetitions start from the same heap whatever the rows before them freed: glibc's default
// threshold moves with the largest block freed so far, and the floor's load alone took 3 ms more
// or less by what ran before it.
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
