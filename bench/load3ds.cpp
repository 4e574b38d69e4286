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

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "vtrl3ds/model.h"

namespace {

// ---- The file --------------------------------------------------------------------------------

struct Rng {
    uint64_t s;
    uint64_t next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double range(double a, double b) {
        return a + (b - a) * double(next() >> 11) * (1.0 / 9007199254740992.0);
    }
};

struct Buf {
    std::vector<uint8_t> d;
    std::vector<size_t> open;
    void u8(uint8_t v) { d.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)), u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { u16(uint16_t(v)), u16(uint16_t(v >> 16)); }
    void f32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        u32(v);
    }
    void str(const char* s) {
        while (*s) u8(uint8_t(*s++));
        u8(0);
    }
    void begin(uint16_t id) {
        u16(id);
        open.push_back(d.size());
        u32(0);
    }
    void end() {
        const size_t at = open.back();
        open.pop_back();
        const uint32_t len = uint32_t(d.size() - at + 2);
        for (int i = 0; i < 4; ++i) d[at + size_t(i)] = uint8_t(len >> (8 * i));
    }
};

struct MeshSpec {
    int w, h, shape;
};

// A parametric surface on a (w+1) x (h+1) grid: torus, sphere band, terrain or tube.
void surfacePoint(const MeshSpec& m, double u, double v, double R, double r, double bump, double p[3]) {
    const double PI = 3.14159265358979323846, a = 2 * PI * u;
    switch (m.shape) {
        case 0:
            p[0] = (R + (r + bump) * std::cos(2 * PI * v)) * std::cos(a);
            p[1] = (R + (r + bump) * std::cos(2 * PI * v)) * std::sin(a);
            p[2] = (r + bump) * std::sin(2 * PI * v);
            break;
        case 1:
            p[0] = (R + bump) * std::sin(PI * (0.01 + 0.98 * v)) * std::cos(a);
            p[1] = (R + bump) * std::sin(PI * (0.01 + 0.98 * v)) * std::sin(a);
            p[2] = (R + bump) * std::cos(PI * (0.01 + 0.98 * v));
            break;
        case 2:
            p[0] = (u - 0.5) * 4 * R;
            p[1] = (v - 0.5) * 4 * R;
            p[2] = 3 * bump + 2 * std::sin(5 * u + 3 * v);
            break;
        default:
            p[0] = (r + bump) * std::cos(a);
            p[1] = (r + bump) * std::sin(a);
            p[2] = (v - 0.5) * 3 * R;
            break;
    }
}

void writeMesh(Buf& b, const MeshSpec& m, Rng& rng, int k, const char* material) {
    const double PI = 3.14159265358979323846;
    const double R = rng.range(20, 40), r = rng.range(5, 12), amp = rng.range(0.2, 1.5),
                 freq = rng.range(3, 9);
    const float tx = float((k % 4) * 120.0), ty = float((k / 4) * 120.0);
    std::vector<float> pos, uv;
    for (int j = 0; j <= m.h; ++j)
        for (int i = 0; i <= m.w; ++i) {
            const double u = double(i) / m.w, v = double(j) / m.h;
            double p[3];
            surfacePoint(m, u, v, R, r, amp * std::sin(freq * 2 * PI * u) * std::cos(freq * 2 * PI * v), p);
            for (int c = 0; c < 3; ++c) p[c] += rng.range(-1e-3, 1e-3);
            pos.insert(pos.end(), {float(p[0] + tx), float(p[1] + ty), float(p[2])});
            uv.insert(uv.end(), {float(u * 4.0), float(v * 2.0)});
        }
    const uint16_t nv = uint16_t(pos.size() / 3), nf = uint16_t(2 * m.w * m.h);
    char name[32];
    std::snprintf(name, sizeof name, "Part%02d", k + 1);
    b.begin(0x4000), b.str(name), b.begin(0x4100);
    b.begin(0x4110), b.u16(nv);
    for (float f : pos) b.f32(f);
    b.end(), b.begin(0x4140), b.u16(nv);
    for (float f : uv) b.f32(f);
    b.end(), b.begin(0x4160);
    for (float f : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, tx, ty, 0.f}) b.f32(f);
    b.end(), b.begin(0x4120), b.u16(nf);
    const int stride = m.w + 1;
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < m.w; ++i) {
            const uint16_t a = uint16_t(j * stride + i), c = uint16_t((j + 1) * stride + i + 1);
            b.u16(a), b.u16(uint16_t(a + 1)), b.u16(c), b.u16(3);
            b.u16(a), b.u16(c), b.u16(uint16_t(c - 1)), b.u16(6);
        }
    b.begin(0x4130), b.str(material), b.u16(nf);
    for (uint16_t i = 0; i < nf; ++i) b.u16(i);
    b.end(), b.begin(0x4150);
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < 2 * m.w; ++i) b.u32(j % 97 == 96 ? 0u : 1u << ((j * 4 / m.h) & 31));
    b.end(), b.end(), b.end(), b.end();
}

void writeMaterial(Buf& b, const char* name, const uint8_t rgb[9], int16_t shine, int16_t transp,
                   const char* tex) {
    auto colour = [&](uint16_t id, const uint8_t* c) {
        b.begin(id), b.begin(0x0011), b.u8(c[0]), b.u8(c[1]), b.u8(c[2]), b.end(), b.end();
    };
    auto percent = [&](uint16_t id, int16_t p) {
        b.begin(id), b.begin(0x0030), b.u16(uint16_t(p)), b.end(), b.end();
    };
    b.begin(0xAFFF), b.begin(0xA000), b.str(name), b.end();
    colour(0xA010, rgb), colour(0xA020, rgb + 3), colour(0xA030, rgb + 6);
    percent(0xA040, shine), percent(0xA041, 20), percent(0xA050, transp);
    b.begin(0xA100), b.u16(3), b.end();
    if (tex)
        b.begin(0xA200), b.begin(0x0030), b.u16(100), b.end(), b.begin(0xA300), b.str(tex), b.end(), b.end();
    b.end();
}

void writeKeyframer(Buf& b, int meshes) {
    b.begin(0xB000);
    b.begin(0xB00A), b.u16(5), b.str("MAXSCENE"), b.u32(100), b.end();
    b.begin(0xB008), b.u32(0), b.u32(100), b.end();
    b.begin(0xB009), b.u32(0), b.end();
    for (int k = 0; k < meshes; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Part%02d", k + 1);
        const float t[3] = {float((k % 4) * 120.0), float((k / 4) * 120.0), 0.f};
        b.begin(0xB002), b.begin(0xB030), b.u16(uint16_t(k)), b.end();
        b.begin(0xB010), b.str(name), b.u16(0x4000), b.u16(0), b.u16(0xFFFF), b.end();
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

// 16 meshes alternating 181 x 181 (65,522 faces, 33,124 vertices) and 172 x 171 grids.
std::vector<uint8_t> makeModel(uint64_t seed) {
    Rng rng{seed ^ 0x3D5ull};
    Buf b;
    b.d.reserve(30u << 20);
    const uint8_t steel[9] = {40, 40, 44, 160, 162, 170, 230, 230, 235};
    const uint8_t red[9] = {50, 8, 8, 200, 30, 25, 255, 255, 255};
    const uint8_t glass[9] = {10, 20, 25, 60, 120, 150, 250, 250, 250};
    const char* names[3] = {"Brushed Steel", "Red Plastic", "Tinted Glass"};
    b.begin(0x4D4D), b.begin(0x0002), b.u32(3), b.end(), b.begin(0x3D3D);
    b.begin(0x3D3E), b.u32(3), b.end();
    writeMaterial(b, names[0], steel, 60, 0, "STEEL.TGA");
    writeMaterial(b, names[1], red, 35, 0, nullptr);
    writeMaterial(b, names[2], glass, 90, 65, nullptr);
    b.begin(0x0100), b.f32(1.0f), b.end();
    for (int k = 0; k < 16; ++k)
        writeMesh(b, k % 2 == 0 ? MeshSpec{181, 181, k % 4} : MeshSpec{172, 171, k % 4}, rng, k,
                  names[k % 3]);
    b.end();
    writeKeyframer(b, 16);
    b.end();
    return b.d;
}

const std::string& modelPath() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "vtrl_bench_model.3ds").string();
        const std::vector<uint8_t> bytes = makeModel(20240601);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p;
    }();
    return path;
}

// ---- The loaders ----------------------------------------------------------------------------

size_t readFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    benchmark::DoNotOptimize(bytes.data());
    return got;
}

size_t loadOurs(const std::string& path) {
    TGLAll3dsMesh model;
    model.Load3DSFromFile(path);
    size_t faces = 0;
    for (int32_t i = 0; i < model.FNumMeshes; ++i) faces += size_t(model.FMesh[size_t(i)]->FNumIndices / 3);
    return faces;
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

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// In a child: one load with the named loader; prints the resident size before it and the peak.
int peakChild(const std::string& name, const std::string& path) {
    const Loader load = loaderNamed(name);
    if (!load) return 2;
    const long before = statusKiB("VmRSS:");
    benchmark::DoNotOptimize(load(path));
    std::printf("%ld %ld\n", before, statusKiB("VmHWM:"));
    return 0;
}

struct Peak {
    double wholeMiB = -1, extraMiB = -1;
};

// Runs this program again as a child that loads once with `name`; its peak is its own.
Peak measurePeak(const std::string& name) {
    const std::string cmd =
        "/proc/" + std::to_string(getpid()) + "/exe --peak-child=" + name + " '" + modelPath() + "'";
    Peak peak;
    if (std::FILE* p = popen(cmd.c_str(), "r")) {
        long before = 0, hwm = 0;
        if (std::fscanf(p, "%ld %ld", &before, &hwm) == 2) peak = {hwm / 1024.0, (hwm - before) / 1024.0};
        pclose(p);
    }
    return peak;
}

void loadBenchmark(benchmark::State& state, const char* name) {
    const std::string& path = modelPath();
    const Loader load = loaderNamed(name);
    size_t faces = load(path);  // warm-up: page cache and allocator
    for (auto _ : state) faces = load(path);
    const Peak peak = measurePeak(name);
    state.counters["triangles"] = double(faces);
    state.counters["peak_MiB"] = peak.wholeMiB;
    state.counters["peak_extra_MiB"] = peak.extraMiB;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
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
    if (argc == 3 && std::strncmp(argv[1], "--peak-child=", 13) == 0) return peakChild(argv[1] + 13, argv[2]);
    // --write-model=PATH writes the benchmark's file and exits (for a cross-check with other tools).
    if (argc == 2 && std::strncmp(argv[1], "--write-model=", 14) == 0) {
        const std::vector<uint8_t> bytes = makeModel(20240601);
        std::ofstream(argv[1] + 14, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
