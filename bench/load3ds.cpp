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

#include "bench_support.h"
#include "vtrl3ds/model.h"

namespace {

using namespace bench;

// ---- The file --------------------------------------------------------------------------------

// Part k of the anchor model with its mapping, one material group and smoothing groups.
void writeMesh(Bytes& b, Rng& rng, int k, const char* material) {
    const MeshGrid m = anchorGrid(k);
    const float tx = anchorOffsetX(k), ty = anchorOffsetY(k);
    const Geometry g = surface(m, rng, tx, ty);
    const uint16_t nv = uint16_t(g.pos.size() / 3), nf = uint16_t(g.tri.size() / 3);
    char name[32];
    std::snprintf(name, sizeof name, "Part%02d", k + 1);
    b.begin(0x4000), b.cstr(name), b.begin(0x4100);
    b.begin(0x4110), b.u16(nv);
    for (float f : g.pos) b.f32(f);
    b.end(), b.begin(0x4140), b.u16(nv);
    for (float f : g.uv) b.f32(f);
    b.end(), b.begin(0x4160);
    for (float f : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, tx, ty, 0.f}) b.f32(f);
    b.end(), b.begin(0x4120), b.u16(nf);
    for (size_t t = 0; t < g.tri.size(); t += 3)  // each cell's first triangle flags 3, its second 6
        b.u16(g.tri[t]), b.u16(g.tri[t + 1]), b.u16(g.tri[t + 2]), b.u16(t % 6 == 0 ? 3 : 6);
    b.begin(0x4130), b.cstr(material), b.u16(nf);
    for (uint16_t i = 0; i < nf; ++i) b.u16(i);
    b.end(), b.begin(0x4150);
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < 2 * m.w; ++i) b.u32(j % 97 == 96 ? 0u : 1u << ((j * 4 / m.h) & 31));
    b.end(), b.end(), b.end(), b.end();
}

void writeMaterial(Bytes& b, const char* name, const uint8_t rgb[9], int16_t shine, int16_t transp,
                   const char* tex) {
    auto colour = [&](uint16_t id, const uint8_t* c) {
        b.begin(id), b.begin(0x0011), b.u8(c[0]), b.u8(c[1]), b.u8(c[2]), b.end(), b.end();
    };
    auto percent = [&](uint16_t id, int16_t p) {
        b.begin(id), b.begin(0x0030), b.u16(uint16_t(p)), b.end(), b.end();
    };
    b.begin(0xAFFF), b.begin(0xA000), b.cstr(name), b.end();
    colour(0xA010, rgb), colour(0xA020, rgb + 3), colour(0xA030, rgb + 6);
    percent(0xA040, shine), percent(0xA041, 20), percent(0xA050, transp);
    b.begin(0xA100), b.u16(3), b.end();
    if (tex)
        b.begin(0xA200), b.begin(0x0030), b.u16(100), b.end(), b.begin(0xA300), b.cstr(tex), b.end(), b.end();
    b.end();
}

void writeKeyframer(Bytes& b, int meshes) {
    b.begin(0xB000);
    b.begin(0xB00A), b.u16(5), b.cstr("MAXSCENE"), b.u32(100), b.end();
    b.begin(0xB008), b.u32(0), b.u32(100), b.end();
    b.begin(0xB009), b.u32(0), b.end();
    for (int k = 0; k < meshes; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Part%02d", k + 1);
        const float t[3] = {anchorOffsetX(k), anchorOffsetY(k), 0.f};
        b.begin(0xB002), b.begin(0xB030), b.u16(uint16_t(k)), b.end();
        b.begin(0xB010), b.cstr(name), b.u16(0x4000), b.u16(0), b.u16(0xFFFF), b.end();
        b.begin(0xB013), b.f32(0), b.f32(0), b.f32(0), b.end();
        auto track = [&](uint16_t id, std::initializer_list<float> key) {
            b.begin(id), b.u16(0), b.u32(0), b.u32(0), b.u32(1), b.u32(0), b.u16(0);
            for (float f : key) b.f32(f);
            b.end();
        };
        track(0xB020, {t[0], t[1], t[2]}), track(0xB021, {0, 0, 0, 1}), track(0xB022, {1, 1, 1});
        b.end();
    }
    b.end();
}

std::vector<uint8_t> makeModel(uint64_t seed) {
    Rng rng{seed ^ 0x3D5ull};
    Bytes b;
    b.d.reserve(30u << 20);
    const uint8_t steel[9] = {40, 40, 44, 160, 162, 170, 230, 230, 235};
    const uint8_t red[9] = {50, 8, 8, 200, 30, 25, 255, 255, 255};
    const uint8_t glass[9] = {10, 20, 25, 60, 120, 150, 250, 250, 250};
    const char* const* names = anchorMaterials;
    b.begin(0x4D4D), b.begin(0x0002), b.u32(3), b.end(), b.begin(0x3D3D);
    b.begin(0x3D3E), b.u32(3), b.end();
    writeMaterial(b, names[0], steel, 60, 0, "STEEL.TGA");
    writeMaterial(b, names[1], red, 35, 0, nullptr);
    writeMaterial(b, names[2], glass, 90, 65, nullptr);
    b.begin(0x0100), b.f32(1.0f), b.end();
    for (int k = 0; k < anchorParts; ++k) writeMesh(b, rng, k, names[k % 3]);
    b.end();
    writeKeyframer(b, anchorParts);
    b.end();
    return b.d;
}

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = tempPath("vtrl_bench_model.3ds");
        writeFile(p, makeModel(anchorSeed));
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
        bench::writeFile(argv[1] + 14, makeModel(bench::anchorSeed));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
