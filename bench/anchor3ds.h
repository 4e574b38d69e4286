// The anchor-shaped 3DS file of about a million triangles (16 meshes near the 16-bit limits,
// mapping, one material group and smoothing groups per mesh, 3 materials, a keyframer with
// pivots), made from a seed: the 3DS loader's and the viewer's benchmarks draw on the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "vtrl3ds/private/chunks.h"

namespace bench {

// Part k of the anchor model with its mapping, one material group and smoothing groups.
inline void writeAnchorMesh(Bytes& b, Rng& rng, int k, const char* material) {
    const MeshGrid m = anchorGrid(k);
    const float tx = anchorOffsetX(k), ty = anchorOffsetY(k);
    const Geometry g = surface(m, rng, tx, ty);
    const uint16_t nv = uint16_t(g.pos.size() / 3), nf = uint16_t(g.tri.size() / 3);
    char name[32];
    std::snprintf(name, sizeof name, "Part%02d", k + 1);
    b.begin(EDIT_OBJECT), b.str(name), b.begin(OBJ_TRIMESH);
    b.begin(TRI_VERTEXL), b.u16(nv);
    for (float f : g.pos) b.f32(f);
    b.end(), b.begin(TRI_MAPPINGCOORDS), b.u16(nv);
    for (float f : g.uv) b.f32(f);
    b.end(), b.begin(TRI_MATRIX);
    for (float f : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, tx, ty, 0.f}) b.f32(f);
    b.end(), b.begin(TRI_FACEL1), b.u16(nf);
    for (size_t t = 0; t < g.tri.size(); t += 3)  // each cell's first triangle flags 3, its second 6
        b.u16(g.tri[t]), b.u16(g.tri[t + 1]), b.u16(g.tri[t + 2]), b.u16(t % 6 == 0 ? 3 : 6);
    b.begin(TRI_MATERIAL), b.str(material), b.u16(nf);
    for (uint16_t i = 0; i < nf; ++i) b.u16(i);
    b.end(), b.begin(TRI_SMOOTH);
    for (int j = 0; j < m.h; ++j)
        for (int i = 0; i < 2 * m.w; ++i) b.u32(j % 97 == 96 ? 0u : 1u << ((j * 4 / m.h) & 31));
    b.end(), b.end(), b.end(), b.end();
}

inline void writeAnchorMaterial(Bytes& b, const char* name, const uint8_t rgb[9], int16_t shine,
                                int16_t transp, const char* tex) {
    auto colour = [&](uint16_t id, const uint8_t* c) {
        b.begin(id), b.begin(MAT_COLOR24), b.u8(c[0]), b.u8(c[1]), b.u8(c[2]), b.end(), b.end();
    };
    auto percent = [&](uint16_t id, int16_t p) {
        b.begin(id), b.begin(INT_PERCENTAGE), b.u16(uint16_t(p)), b.end(), b.end();
    };
    b.begin(MAT_MATRIAL), b.begin(MAT_MATNAME), b.str(name), b.end();
    colour(MAT_AMBIENT, rgb), colour(MAT_DIFFUSE, rgb + 3), colour(MAT_SPECULAR, rgb + 6);
    percent(MAT_SHININESS, shine), percent(MAT_SHIN2PCT, 20), percent(MAT_TRANSPARENCY, transp);
    b.begin(MAT_SHADING), b.u16(3), b.end();
    if (tex)
        b.begin(MAT_TEXTURE), b.begin(INT_PERCENTAGE), b.u16(100), b.end(), b.begin(MAT_MAPFILE), b.str(tex),
            b.end(), b.end();
    b.end();
}

inline void writeAnchorKeyframer(Bytes& b, int meshes) {
    b.begin(KEYF3DS);
    b.begin(KEYF_HDR), b.u16(5), b.str("MAXSCENE"), b.u32(100), b.end();
    b.begin(KEYF_SEGMENT), b.u32(0), b.u32(100), b.end();
    b.begin(KEYF_CURTIME), b.u32(0), b.end();
    for (int k = 0; k < meshes; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Part%02d", k + 1);
        const float t[3] = {anchorOffsetX(k), anchorOffsetY(k), 0.f};
        b.begin(KEYF_OBJDES), b.begin(KEYF_NODE_ID), b.u16(uint16_t(k)), b.end();
        b.begin(KEYF_OBJHIERARCH), b.str(name), b.u16(0x4000), b.u16(0), b.u16(0xFFFF), b.end();
        b.begin(KEYF_OBJPIVOT), b.f32(0), b.f32(0), b.f32(0), b.end();
        auto track = [&](uint16_t id, std::initializer_list<float> key) {
            b.begin(id), b.u16(0), b.u32(0), b.u32(0), b.u32(1), b.u32(0), b.u16(0);
            for (float f : key) b.f32(f);
            b.end();
        };
        track(KEYF_POSTRACK, {t[0], t[1], t[2]}), track(KEYF_ROTTRACK, {0, 0, 0, 1}),
            track(KEYF_SCLTRACK, {1, 1, 1});
        b.end();
    }
    b.end();
}

inline std::vector<uint8_t> anchor3dsFile(uint64_t seed) {
    Rng rng{seed ^ 0x3D5ull};
    Bytes b;
    b.data.reserve(30u << 20);
    const uint8_t steel[9] = {40, 40, 44, 160, 162, 170, 230, 230, 235};
    const uint8_t red[9] = {50, 8, 8, 200, 30, 25, 255, 255, 255};
    const uint8_t glass[9] = {10, 20, 25, 60, 120, 150, 250, 250, 250};
    const char* const* names = anchorMaterials;
    b.begin(MAIN3DS), b.begin(VERS3DS), b.u32(3), b.end(), b.begin(EDIT3DS);
    b.begin(OBJ_VERINFO), b.u32(3), b.end();
    writeAnchorMaterial(b, names[0], steel, 60, 0, "STEEL.TGA");
    writeAnchorMaterial(b, names[1], red, 35, 0, nullptr);
    writeAnchorMaterial(b, names[2], glass, 90, 65, nullptr);
    b.begin(MASTER_SCALE), b.f32(1.0f), b.end();
    for (int k = 0; k < anchorParts; ++k) writeAnchorMesh(b, rng, k, names[k % 3]);
    b.end();
    writeAnchorKeyframer(b, anchorParts);
    b.end();
    return b.data;
}

}  // namespace bench
