// Skeletal playback on the anchor-shaped MilkShape model (about 500,000 vertices and a million
// triangles, every vertex bound to one of its 2 bones): posing the skeleton at a frame and
// re-skinning every vertex position and normal, set against the floor of copying the model's
// vertex positions once. Single thread. No peer poses this format, so the floor is the yardstick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "anchor_ms3d.h"
#include "bench_support.h"
#include "vtrl3ds/model.h"

namespace {

using namespace bench;

TGLAll3dsMesh& model() {
    static TGLAll3dsMesh* loaded = [] {
        const std::string path = tempPath("vtrl_bench_skin_ms3d.txt");
        writeFile(path, anchorMilkShapeText(anchorSeed));
        auto* m = new TGLAll3dsMesh;
        m->LoadFromFile(path);
        return m;
    }();
    return *loaded;
}

size_t vertices() {
    size_t n = 0;
    for (const TGL3dsMesh* m : model().FMesh) n += m->FVertex.size();
    return n;
}

void setCounters(benchmark::State& state) {
    state.counters["vertices"] = double(vertices());
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(vertices()));
}

// The floor: every mesh's vertex positions copied into arrays made beforehand.
void BM_CopyVerticesFloor(benchmark::State& state) {
    std::vector<std::vector<T3dpoint>> copies;
    for (const TGL3dsMesh* m : model().FMesh) copies.emplace_back(m->FVertex.size());
    for (auto _ : state) {
        for (size_t i = 0; i < copies.size(); ++i)
            std::copy(model().FMesh[i]->FVertex.begin(), model().FMesh[i]->FVertex.end(), copies[i].begin());
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

// Ours: the skeleton posed at a fractional frame (interpolated keys), every bound vertex's
// position and normal moved by its bone into FSkinVertex and FSkinNormal.
void BM_PoseAndSkin(benchmark::State& state) {
    int step = 0;
    for (auto _ : state) {
        model().AdvanceAnimation(1.0f + float(step++ % 290) / 10.0f);
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

#define TIMED(b) BENCHMARK(b)->Unit(benchmark::kMillisecond)->UseRealTime()
TIMED(BM_CopyVerticesFloor)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_PoseAndSkin)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
