// What the benchmarks share: a seeded random-number generator, the shared little-endian chunk
// writer, the grid surfaces of the anchor-shaped million-triangle model, writing
// and reading files (the floors), and resident-memory peaks. Header only; failures abort the run.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/chunk_writer.h"
#include "vtrl3ds/model.h"

namespace bench {

// ---- Generating the files --------------------------------------------------------------------

// The seed every generated file of the anchor's shape starts from.
inline constexpr uint64_t anchorSeed = 20240601;

// splitmix64: the same sequence on every platform, so the files are the same everywhere.
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

// Little-endian bytes; begin/end wrap a chunk (16-bit id, 32-bit length counting its header).
using Bytes = ChunkWriter;

// The anchor model: 16 parts on a 4 x 4 layout 120 units apart, 3 materials used in turn.
inline constexpr int anchorParts = 16;
inline constexpr const char* anchorMaterials[3] = {"Brushed Steel", "Red Plastic", "Tinted Glass"};

struct MeshGrid {
    int w, h, shape;
};

// Part k: alternating 181 x 181 (65,522 faces, 33,124 vertices) and 172 x 171 grids, the four
// shapes in turn.
inline MeshGrid anchorGrid(int k) {
    return k % 2 == 0 ? MeshGrid{181, 181, k % 4} : MeshGrid{172, 171, k % 4};
}
inline float anchorOffsetX(int k) {
    return float((k % 4) * 120.0);
}
inline float anchorOffsetY(int k) {
    return float((k / 4) * 120.0);
}

// A point of the parametric surface (torus, sphere band, terrain or tube) with its bump.
inline void surfacePoint(const MeshGrid& m, double u, double v, double R, double r, double bump,
                         double p[3]) {
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

struct Geometry {
    std::vector<float> pos, uv;
    std::vector<uint16_t> tri;  // a b c per triangle
    std::vector<bool> smooth;   // the triangle's smoothing group is not 0
};

// A (w+1) x (h+1) grid with a duplicated seam, moved by (tx, ty), two triangles per cell.
inline Geometry surface(const MeshGrid& m, Rng& rng, float tx, float ty) {
    const double PI = 3.14159265358979323846;
    const double R = rng.range(20, 40), r = rng.range(5, 12), amp = rng.range(0.2, 1.5),
                 freq = rng.range(3, 9);
    Geometry g;
    for (int j = 0; j <= m.h; ++j)
        for (int i = 0; i <= m.w; ++i) {
            const double u = double(i) / m.w, v = double(j) / m.h;
            double p[3];
            surfacePoint(m, u, v, R, r, amp * std::sin(freq * 2 * PI * u) * std::cos(freq * 2 * PI * v), p);
            for (int c = 0; c < 3; ++c) p[c] += rng.range(-1e-3, 1e-3);
            g.pos.insert(g.pos.end(), {float(p[0] + tx), float(p[1] + ty), float(p[2])});
            g.uv.insert(g.uv.end(), {float(u * 4.0), float(v * 2.0)});
        }
    const int stride = m.w + 1;
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < m.w; ++i) {
            const auto a = uint16_t(j * stride + i), c = uint16_t((j + 1) * stride + i + 1);
            g.tri.insert(g.tri.end(), {a, uint16_t(a + 1), c, a, c, uint16_t(c - 1)});
            const bool smooth = j % 97 != 96;
            g.smooth.insert(g.smooth.end(), {smooth, smooth});
        }
    return g;
}

// ---- Files -----------------------------------------------------------------------------------

inline std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}
inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The whole file in a fresh buffer of its size.
inline std::string fileText(const std::string& path) {
    std::string text(std::filesystem::file_size(path), '\0');
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f || std::fread(text.data(), 1, text.size(), f) != text.size()) std::abort();
    std::fclose(f);
    return text;
}

// The floor of loaders that read in pieces: every byte read in 1 MiB pieces into one buffer kept
// across calls (a fresh buffer of the whole file would mostly measure its page faults).
inline size_t readInPieces(const std::string& path) {
    static std::vector<uint8_t> piece(size_t{1} << 20);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    size_t total = 0;
    for (size_t got; (got = std::fread(piece.data(), 1, piece.size(), f)) > 0;) total += got;
    std::fclose(f);
    benchmark::DoNotOptimize(piece.data());
    return total;
}

inline void setBytesProcessed(benchmark::State& state, const std::string& path) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
}

inline size_t triangles(const TGLAll3dsMesh& model) {
    size_t n = 0;
    for (const TGL3dsMesh* m : model.FMesh) n += size_t(m->FNumIndices / 3);
    return n;
}

// ---- Memory ----------------------------------------------------------------------------------

// A KiB field of /proc/self/status ("VmRSS:", "VmHWM:"), -1 when missing.
inline long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// KiB the resident peak of one call rises above the memory resident before it (the peak is
// first reset to the present size).
template <class Load>
long peakAddedKiB(Load&& load) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKiB("VmRSS:");
    load();
    return statusKiB("VmHWM:") - before;
}

// Peaks in a fresh run of this program: the parent runs `<this program> --peak-child=KIND 'PATH'`,
// the child loads once and prints its resident KiB before the load and its peak.
struct Peak {
    double wholeMiB = -1, extraMiB = -1;
};

// The KIND of a --peak-child=KIND PATH command line, or nullptr when this run is not a child.
inline const char* peakChildKind(int argc, char** argv) {
    return argc == 3 && std::strncmp(argv[1], "--peak-child=", 13) == 0 ? argv[1] + 13 : nullptr;
}

template <class Load>
int printChildPeak(Load&& load) {
    const long before = statusKiB("VmRSS:");
    benchmark::DoNotOptimize(load());
    std::printf("%ld %ld\n", before, statusKiB("VmHWM:"));
    return 0;
}

inline Peak childPeak(const std::string& kind, const std::string& path) {
    const std::string cmd =
        "/proc/" + std::to_string(getpid()) + "/exe --peak-child=" + kind + " '" + path + "'";
    Peak peak;
    if (std::FILE* p = popen(cmd.c_str(), "r")) {
        long before = 0, hwm = 0;
        if (std::fscanf(p, "%ld %ld", &before, &hwm) == 2) peak = {hwm / 1024.0, (hwm - before) / 1024.0};
        pclose(p);
    }
    return peak;
}

}  // namespace bench
