// 3DS loading against lib3ds (the like-for-like peer) and assimp (flags 0) on one file of about
// a million triangles, made here in the shape of the project's anchor file (16 meshes near the
// 16-bit limits, mapping, one material group and smoothing groups per mesh, 3 materials, a
// keyframer with pivots). Ours includes all post-processing. Beside them: reading the file alone
// (the floor), each post-processing pass on its own (where the time goes), and the peak resident
// memory of one load, each loader in a fresh child process of this program.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "anchor3ds.h"
#include "bench_support.h"
#include "vtrl3ds/model.h"

namespace {

using namespace bench;

// ---- The file --------------------------------------------------------------------------------

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_model.3ds");
        writeFile(p, anchor3dsFile(anchorSeed));
        return p;
    }();
    return path;
}

// ---- The loaders ----------------------------------------------------------------------------

// The floor: the whole file into a fresh buffer of its size, as lib3ds and assimp read it.
size_t readFile(const std::string& path) {
    const std::string bytes = fileText(path);
    benchmark::DoNotOptimize(bytes.data());
    return bytes.size();
}

size_t loadOurs(const std::string& path) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(path);
    return triangles(model);
}

size_t loadLib3ds(const std::string& path) {
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    if (!file) std::abort();
    size_t faces = 0;
    for (Lib3dsMesh* m = file->meshes; m; m = m->next) faces += m->faces;
    lib3ds_file_free(file);
    return faces;
}

size_t loadAssimp(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene) std::abort();
    size_t faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    return faces;
}

using Loader = size_t (*)(const std::string&);

Loader loaderNamed(const std::string& name) {
    if (name == "ours") return loadOurs;
    if (name == "lib3ds") return loadLib3ds;
    if (name == "assimp") return loadAssimp;
    if (name == "read") return readFile;
    return nullptr;
}

// In a child: one load with the named loader; prints the resident size before it and the peak.
int peakChild(const std::string& name, const std::string& path) {
    const Loader load = loaderNamed(name);
    if (!load) return 2;
    return printChildPeak([&] { return load(path); });
}

void loadBenchmark(benchmark::State& state, const char* name) {
    const std::string& path = modelPath();
    const Loader load = loaderNamed(name);
    size_t faces = load(path);  // warm-up: page cache and allocator
    for (auto _ : state) faces = load(path);
    const Peak peak = childPeak(name, path);  // this program again, loading once
    state.counters["triangles"] = double(faces);
    state.counters["peak_MiB"] = peak.wholeMiB;
    state.counters["peak_extra_MiB"] = peak.extraMiB;
    setBytesProcessed(state, path);
}

void BM_ReadFileFloor(benchmark::State& s) {
    loadBenchmark(s, "read");
}
void BM_Vtrl3ds(benchmark::State& s) {
    loadBenchmark(s, "ours");
}
void BM_Lib3ds(benchmark::State& s) {
    loadBenchmark(s, "lib3ds");
}
void BM_Assimp(benchmark::State& s) {
    loadBenchmark(s, "assimp");
}

// ---- Where our time goes: each post-processing pass alone on a loaded model ----------------------

void passBenchmark(benchmark::State& state, void (TGLAll3dsMesh::*pass)()) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(modelPath());
    model.FMasterScale = 1.0f;  // repeated scaling leaves the positions as they are
    for (auto _ : state) (model.*pass)();
}

void BM_Pass_MoveToPivot(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::MoveToPivot);
}
void BM_Pass_CalculateScale(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalculateScale);
}
void BM_Pass_CalcVNormals(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalcVNormals);
}
void BM_Pass_CalculateSize(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalculateSize);
}
void BM_Pass_CalculateRenderOrder(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalculateRenderOrder);
}

BENCHMARK(BM_ReadFileFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Vtrl3ds)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Lib3ds)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Assimp)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Pass_MoveToPivot)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass_CalculateScale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass_CalcVNormals)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass_CalculateSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass_CalculateRenderOrder)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (const char* kind = bench::peakChildKind(argc, argv)) return peakChild(kind, argv[2]);
    // --write-model=PATH writes the benchmark's file and exits (for a cross-check with other tools).
    if (argc == 2 && std::strncmp(argv[1], "--write-model=", 14) == 0) {
        bench::writeFile(argv[1] + 14, bench::anchor3dsFile(bench::anchorSeed));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
