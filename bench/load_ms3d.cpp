// MilkShape 3D ASCII loading on a file made here in the shape of the project's anchor file (16
// meshes, about 500,000 vertices and a million triangles, 3 materials, 2 bones; about 79 MB, meant
// to be byte-identical to the anchor generator's output). No peer library reads this text format,
// so ours is set against two floors measured in the same run: reading the file, and splitting it
// into fields while converting every number. Beside them, the parts of our load on their own
// (the line walk, the model pass, the skeleton pass, the passes after the walk, the vertex binding,
// the normals)
// show where the time goes, and one load in a forked child gives the peak memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "anchor_ms3d.h"
#include "bench_support.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/ms3dtext.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

using namespace bench;

// ---- The file --------------------------------------------------------------------------------

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_model_ms3d.txt");
        writeFile(p, anchorMilkShapeText(anchorSeed));
        return p;
    }();
    return path;
}

void setBytes(benchmark::State& state) {
    setBytesProcessed(state, modelPath());
}

// ---- Floors and ours -------------------------------------------------------------------------

// fread of the whole file in 1 MiB pieces into one buffer kept across reads, as our loader reads.
void BM_ReadFileFloor(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(readInPieces(modelPath()));
    setBytes(state);
}

// The same into a fresh buffer of the file's size each time (page faults of a new 79 MB block).
void BM_ReadWholeFileFloor(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(fileText(modelPath()).data());
    setBytes(state);
}

// Splitting every line at blanks and converting every field that reads as a number with
// std::from_chars (integers too, as floats), in one pass over the text read beforehand.
void BM_SplitParseFloor(benchmark::State& state) {
    const std::string text = fileText(modelPath());
    auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r'; };
    for (auto _ : state) {
        double sum = 0;
        const char* p = text.data();
        const char* end = p + text.size();
        while (p < end) {
            while (p < end && blank(*p)) ++p;
            const char* field = p;
            while (p < end && !blank(*p)) ++p;
            float v = 0;
            std::from_chars(field, p, v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    setBytes(state);
}

// The whole file load: model, skeleton (a second read and walk of the file) and vertex binding.
void BM_Vtrl3ds(benchmark::State& state) {
    size_t faces = 0;
    for (auto _ : state) {
        TGLAll3dsMesh model;
        model.LoadFromFile(modelPath());
        faces = triangles(model);
    }
    state.counters["triangles"] = double(faces);
    setBytes(state);
}

// ---- Where our time goes --------------------------------------------------------------------

// Only splitting the text into lines (from memory), as both walks do.
void BM_Part_LineWalk(benchmark::State& state) {
    const std::string text = fileText(modelPath());
    for (auto _ : state) {
        TMemoryStream stream(text.data(), text.size());
        vtrl3ds_internal::MsText lines(stream, "bench", "bench");
        size_t n = 0;
        for (; lines.atLine(); lines.advance()) ++n;
        benchmark::DoNotOptimize(n);
    }
}

// The model pass from memory: meshes, materials, the passes after the walk; no file, no skeleton.
void BM_Part_ModelPass(benchmark::State& state) {
    const std::string text = fileText(modelPath());
    for (auto _ : state) {
        TGLAll3dsMesh model;
        TMemoryStream stream(text.data(), text.size());
        model.LoadMSAFromStream(stream);
        benchmark::DoNotOptimize(model.FMesh.data());
    }
}

// The skeleton pass from memory: every line tested for the headers, the two bones read.
void BM_Part_SkeletonPass(benchmark::State& state) {
    const std::string text = fileText(modelPath());
    for (auto _ : state) {
        TGLAll3dsMesh model;
        auto* skeleton = new TGLSkeleton(&model);
        TMemoryStream stream(text.data(), text.size());
        skeleton->LoadMSAFromStream(stream);
        benchmark::DoNotOptimize(skeleton->FBone.data());
    }
}

void passBenchmark(benchmark::State& state, void (TGLAll3dsMesh::*pass)()) {
    TGLAll3dsMesh model;
    model.LoadFromFile(modelPath());
    for (auto _ : state) (model.*pass)();
}

void BM_Part_CalculateSize(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalculateSize);
}
void BM_Part_CalculateRenderOrder(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::CalculateRenderOrder);
}
// Each call moves the bound vertices once more; the work is the same.
void BM_Part_InitSkin(benchmark::State& s) {
    passBenchmark(s, &TGLAll3dsMesh::InitSkin);
}

// Winding and face normals from the file's own normals, on a model the loader already passed: the
// triangles are found clockwise and only the normals are made again (the load's own pass also
// exchanges each triangle's corners).
void BM_Part_FileNormals(benchmark::State& state) {
    const std::string text = fileText(modelPath());
    TGLAll3dsMesh model;
    TMemoryStream stream(text.data(), text.size());
    model.LoadMSAFromStream(stream);
    for (auto _ : state) vtrl3ds_internal::adoptFileNormals(model);
}

// In a forked child: the heap this process freed goes back to the system and the peak is reset to
// the present size, so the peak after one load less the size before it is what the load took.
long childLoadPeakKiB() {
    malloc_trim(0);
    return peakAddedKiB([] {
        TGLAll3dsMesh model;
        model.LoadFromFile(modelPath());
    });
}

// Peak resident memory one load adds, measured in a forked child.
void BM_PeakMemory(benchmark::State& state) {
    double extraMiB = -1;
    modelPath();  // the file is made here, not in the child
    for (auto _ : state) {
        int fd[2];
        if (pipe(fd) != 0) std::abort();
        const pid_t child = fork();
        if (child == 0) {
            const long peak = childLoadPeakKiB();
            _exit(write(fd[1], &peak, sizeof peak) == sizeof peak ? 0 : 1);
        }
        long peak = -1;
        if (read(fd[0], &peak, sizeof peak) != sizeof peak) peak = -1;
        close(fd[0]);
        close(fd[1]);
        waitpid(child, nullptr, 0);
        extraMiB = double(peak) / 1024.0;
    }
    state.counters["peak_extra_MiB"] = extraMiB;
}

#define TIMED(b) BENCHMARK(b)->Unit(benchmark::kMillisecond)->UseRealTime()
TIMED(BM_ReadFileFloor)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_ReadWholeFileFloor)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_SplitParseFloor)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_Vtrl3ds)->Repetitions(7)->ReportAggregatesOnly(true);
TIMED(BM_Part_LineWalk);
TIMED(BM_Part_ModelPass);
TIMED(BM_Part_SkeletonPass);
TIMED(BM_Part_CalculateSize);
TIMED(BM_Part_CalculateRenderOrder);
TIMED(BM_Part_InitSkin);
TIMED(BM_Part_FileNormals);
TIMED(BM_PeakMemory)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
