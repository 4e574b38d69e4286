// Binary model loading on about a million triangles (16 grid meshes near the 16-bit vertex limit,
// mapping, normals, one material per mesh, 3 materials). No other program reads the format, so
// the same geometry is also loaded from a 3DS file through our 3DS loader: the binary file is
// written here from the model that loader produced. Beside them: reading each file alone (the
// floor) and the peak resident memory of one load, each in a fresh child process of this program.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/model.h"

namespace {

using namespace bench;

constexpr int meshCount = 16, gridW = 180, gridH = 173;  // 31,494 vertices and 62,280 faces each

// ---- The files -------------------------------------------------------------------------------

// One wavy grid mesh of the 3DS file, with mapping and one material group over all faces.
void gridMesh(Bytes& b, int k, const std::string& material) {
    const int stride = gridW + 1, vertices = stride * (gridH + 1), faces = 2 * gridW * gridH;
    b.begin(EDIT_OBJECT), b.str("Grid" + std::to_string(k)), b.begin(OBJ_TRIMESH);
    b.begin(TRI_VERTEXL), b.u16(uint16_t(vertices));
    for (int j = 0; j <= gridH; ++j)
        for (int i = 0; i <= gridW; ++i)
            b.f32(float(i + 200 * (k % 4))), b.f32(float(j + 200 * (k / 4))),
                b.f32(float(3 * std::sin(0.1 * i + k) * std::cos(0.13 * j)));
    b.end(), b.begin(TRI_MAPPINGCOORDS), b.u16(uint16_t(vertices));
    for (int j = 0; j <= gridH; ++j)
        for (int i = 0; i <= gridW; ++i) b.f32(float(i) / gridW), b.f32(float(j) / gridH);
    b.end(), b.begin(TRI_FACEL1), b.u16(uint16_t(faces));
    for (int j = 0; j < gridH; ++j)
        for (int i = 0; i < gridW; ++i) {
            const uint16_t a = uint16_t(j * stride + i), c = uint16_t(a + stride + 1);
            b.u16(a), b.u16(uint16_t(a + 1)), b.u16(c), b.u16(3);
            b.u16(a), b.u16(c), b.u16(uint16_t(c - 1)), b.u16(6);
        }
    b.begin(TRI_MATERIAL), b.str(material), b.u16(uint16_t(faces));
    for (int f = 0; f < faces; ++f) b.u16(uint16_t(f));
    b.end(), b.end(), b.end(), b.end();
}

std::vector<uint8_t> make3ds() {
    const char* names[3] = {"Steel", "Plastic", "Glass"};
    Bytes b;
    b.begin(MAIN3DS), b.begin(VERS3DS), b.u32(3), b.end(), b.begin(EDIT3DS);
    for (int m = 0; m < 3; ++m) {
        b.begin(MAT_MATRIAL), b.begin(MAT_MATNAME), b.str(names[m]), b.end();
        b.begin(MAT_DIFFUSE), b.begin(MAT_COLOR24), b.u8(200), b.u8(uint8_t(60 * m)), b.u8(40), b.end(),
            b.end();
        b.begin(MAT_TRANSPARENCY), b.begin(INT_PERCENTAGE), b.u16(m == 2 ? 60 : 0), b.end(), b.end();
        b.end();
    }
    for (int k = 0; k < meshCount; ++k) gridMesh(b, k, names[k % 3]);
    b.end(), b.end();
    return b.data;
}

// The model as the binary format stores it.
std::vector<uint8_t> binOf(const TGLAll3dsMesh& model) {
    Bytes b;
    auto name = [&](const std::string& s) { b.u32(uint32_t(s.size())), b.text(s); };
    b.text("qzv"), b.u32(uint32_t(model.FNumMeshes));
    for (const TGL3dsMesh* m : model.FMesh) {
        name(m->FName), b.u32(m->FMatID.empty() ? 0 : m->FMatID[0]), b.u32(uint32_t(m->FNumVertex));
        for (size_t v = 0; v < m->FVertex.size(); ++v)
            b.f32(m->FVertex[v].X), b.f32(m->FVertex[v].Y), b.f32(m->FVertex[v].Z), b.f32(m->FMapping[v].tu),
                b.f32(m->FMapping[v].tv), b.u32(uint32_t(m->FBoneID[v]));
        b.u32(uint32_t(m->FVNormal.size()));
        for (const T3dpoint& n : m->FVNormal) b.f32(n.X), b.f32(n.Y), b.f32(n.Z);
        b.u32(uint32_t(m->FNumIndices));
        for (size_t k = 0; k < m->FIndices.size(); ++k) b.u32(m->FIndices[k]), b.u32(m->FNormalIndices[k]);
        for (uint16_t id : m->FMatID) b.u32(id);
    }
    b.u32(uint32_t(model.FNumMaterials));
    for (const TGL3dsMaterial* m : model.FMaterial) {
        name(m->FName);
        for (float f : {m->FAmbR, m->FAmbG, m->FAmbB, m->FDifR, m->FDifG, m->FDifB, m->FTransparency,
                        m->FSpcR, m->FSpcG, m->FSpcB, 0.0f, 0.0f, 0.0f})
            b.f32(f);  // colours, opacity, then no texture, no bump map (lengths 0) and strength 0
    }
    return b.data;
}

struct Files {
    std::string bin, tds;
};

const Files& files() {
    static const Files f = [] {
        Files out{tempPath("vtrl_bench_grid.bin"), tempPath("vtrl_bench_grid.3ds")};
        writeFile(out.tds, make3ds());
        TGLAll3dsMesh model;
        model.Load3DSFromFile(out.tds);
        writeFile(out.bin, binOf(model));
        return out;
    }();
    return f;
}

// ---- The loaders -----------------------------------------------------------------------------

size_t loadBin(const std::string& path) {
    TGLAll3dsMesh model;
    model.LoadBinFromFile(path);
    return triangles(model);
}

size_t load3ds(const std::string& path) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(path);
    return triangles(model);
}

// The floor: every byte of the file read in 1 MiB pieces into one buffer, as the binary loader
// reads its lists.
size_t readFile(const std::string& path) {
    return readInPieces(path);
}

void loadBenchmark(benchmark::State& state, size_t (*load)(const std::string&), const std::string& path,
                   const char* kind) {
    size_t n = load(path);  // warm-up: page cache and allocator
    for (auto _ : state) n = load(path);
    if (kind) {
        state.counters["triangles"] = double(n);
        state.counters["peak_extra_MiB"] = childPeak(kind, path).extraMiB;  // this program again
    }
    setBytesProcessed(state, path);
}

void BM_LoadBin(benchmark::State& s) {
    loadBenchmark(s, loadBin, files().bin, "bin");
}
void BM_Load3DS_SameGeometry(benchmark::State& s) {
    loadBenchmark(s, load3ds, files().tds, "3ds");
}
void BM_ReadFloor_Bin(benchmark::State& s) {
    loadBenchmark(s, readFile, files().bin, nullptr);
}
void BM_ReadFloor_3DS(benchmark::State& s) {
    loadBenchmark(s, readFile, files().tds, nullptr);
}

BENCHMARK(BM_LoadBin)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Load3DS_SameGeometry)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadFloor_Bin)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFloor_3DS)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // --peak-child=KIND PATH: one load, then the resident KiB before it and the peak.
    if (const char* kind = bench::peakChildKind(argc, argv))
        return bench::printChildPeak(
            [&] { return std::strcmp(kind, "bin") == 0 ? loadBin(argv[2]) : load3ds(argv[2]); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
