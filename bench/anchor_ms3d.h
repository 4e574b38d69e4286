// The MilkShape 3D ASCII text in the shape of the project's anchor file (16 meshes, about 500,000
// vertices and a million triangles, 3 materials, 2 bones with keys, every vertex bound to one of
// them), meant to be byte-identical to the anchor generator's output. Header only.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_support.h"

namespace bench {

inline void appendf(std::string& s, const char* format, auto... args) {
    char line[512];
    const int n = std::snprintf(line, sizeof line, format, args...);
    s.append(line, size_t(n));
}

inline void appendMesh(std::string& s, int k, Rng& rng) {
    const float tx = anchorOffsetX(k), ty = anchorOffsetY(k);
    const Geometry g = surface(anchorGrid(k), rng, tx, ty);
    const size_t nv = g.pos.size() / 3, nf = g.tri.size() / 3;
    appendf(s, "\"Part%02d\" 0 %d\n%zu\n", k + 1, k % 3, nv);
    for (size_t i = 0; i < nv; ++i)
        appendf(s, "0 %.6f %.6f %.6f %.6f %.6f %d\n", g.pos[3 * i], g.pos[3 * i + 1], g.pos[3 * i + 2],
                g.uv[2 * i], 1.0f - g.uv[2 * i + 1], k % 2);
    appendf(s, "%zu\n", nv);
    for (size_t i = 0; i < nv; ++i) {
        const double x = g.pos[3 * i] - tx, y = g.pos[3 * i + 1] - ty, z = g.pos[3 * i + 2];
        double l = std::sqrt(x * x + y * y + z * z);
        if (l == 0) l = 1;
        appendf(s, "%.6f %.6f %.6f\n", x / l, y / l, z / l);
    }
    appendf(s, "%zu\n", nf);
    for (size_t i = 0; i < nf; ++i) {
        const uint16_t* t = &g.tri[3 * i];
        appendf(s, "0 %u %u %u %u %u %u %u\n", t[0], t[1], t[2], t[0], t[1], t[2], g.smooth[i] ? 1u : 0u);
    }
}

inline std::string anchorMilkShapeText(uint64_t seed) {
    Rng rng{seed ^ 0x3D5ull};
    std::string s;
    s.reserve(100u << 20);
    s += "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 16\n";
    for (int k = 0; k < anchorParts; ++k) appendMesh(s, k, rng);
    s += "\nMaterials: 3\n";
    const char* const* names = anchorMaterials;
    for (int m = 0; m < 3; ++m)
        appendf(s,
                "\"%s\"\n0.200000 0.200000 0.200000 1.000000\n0.800000 0.800000 0.800000 1.000000\n"
                "1.000000 1.000000 1.000000 1.000000\n0.000000 0.000000 0.000000 "
                "1.000000\n%.6f\n%.6f\n\"%s\"\n\"\"\n",
                names[m], 40.0 + 20 * m, m == 2 ? 0.35 : 1.0, m == 0 ? ".\\steel.tga" : "");
    s += "\nBones: 2\n\"root\"\n\"\"\n0 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
         "2\n1.000000 0.000000 0.000000 0.000000\n30.000000 0.000000 0.000000 0.000000\n"
         "2\n1.000000 0.000000 0.000000 0.000000\n30.000000 0.000000 0.000000 1.570796\n"
         "\"child\"\n\"root\"\n0 0.000000 10.000000 0.000000 0.000000 0.000000 0.000000\n"
         "0\n0\n";
    s += "GroupComments: 0\nMaterialComments: 0\nBoneComments: 0\nModelComment: 0\n";
    return s;
}

}  // namespace bench
