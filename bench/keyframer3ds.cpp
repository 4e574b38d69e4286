// The 3DS keyframer on the anchor-shaped file: reading it beside the load (against the load
// alone), and posing every mesh by its node for one frame (against copying the same vertices).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "anchor3ds.h"
#include "bench_support.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"

namespace {

using namespace bench;

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_keyframer.3ds");
        writeFile(p, anchor3dsFile(anchorSeed));
        return p;
    }();
    return path;
}

void BM_Load(benchmark::State& state) {
    for (auto _ : state) {
        TGLAll3dsMesh model;
        model.Load3DSFromFile(modelPath());
        benchmark::DoNotOptimize(model.FNumMeshes);
    }
}

void BM_LoadAndReadKeyframer(benchmark::State& state) {
    for (auto _ : state) {
        TGLAll3dsMesh model;
        model.Load3DSFromFile(modelPath());
        const TKeyframer kf = ReadKeyframer(modelPath());
        benchmark::DoNotOptimize(kf.Nodes.data());
    }
}

void BM_ReadKeyframer(benchmark::State& state) {
    for (auto _ : state) {
        const TKeyframer kf = ReadKeyframer(modelPath());
        benchmark::DoNotOptimize(kf.Nodes.data());
    }
}

// One output array per mesh, sized once, as a host posing every frame keeps them.
struct Posing {
    TGLAll3dsMesh model;
    TKeyframer keyframer;
    std::vector<std::vector<T3dpoint>> out;
    Posing() {
        model.Load3DSFromFile(modelPath());
        keyframer = ReadKeyframer(modelPath());
        out.resize(model.FMesh.size());
        for (size_t i = 0; i < out.size(); ++i) out[i].resize(model.FMesh[i]->FVertex.size());
    }
};

void BM_CopyVertices(benchmark::State& state) {
    Posing p;
    size_t vertices = 0;
    for (auto _ : state) {
        vertices = 0;
        for (size_t i = 0; i < p.out.size(); ++i) {
            std::copy(p.model.FMesh[i]->FVertex.begin(), p.model.FMesh[i]->FVertex.end(), p.out[i].begin());
            vertices += p.out[i].size();
        }
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = double(vertices);
}

void BM_PoseMeshes(benchmark::State& state) {
    Posing p;
    size_t placed = 0;
    for (auto _ : state) {
        const std::vector<TKfPlacement> placements = PlaceMeshes(p.keyframer, p.model, 50.5f);
        for (const TKfPlacement& pl : placements)
            PoseVertices(*p.model.FMesh[size_t(pl.Mesh)], pl.Matrix, p.out[size_t(pl.Mesh)]);
        placed = placements.size();
        benchmark::ClobberMemory();
    }
    state.counters["placements"] = double(placed);
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadAndReadKeyframer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadKeyframer)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CopyVertices)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PoseMeshes)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
