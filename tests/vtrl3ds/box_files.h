// A closed box of half-size 1 about the origin as each model format's writers store it: 24
// vertices (four per side, each with its side's texture square and outward normal), triangles
// counter-clockwise seen from outside in the file's own axes, and one white material that may
// name a texture map. The 3DS file holds the model's Y and Z exchanged, as 3DS files do.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/files3ds.h"

struct BoxCorner {
    T3dpoint p, n;
    TGLMap t;
};

// Four corners per side, counter-clockwise seen from outside.
inline std::vector<BoxCorner> boxCorners() {
    // Outward normal n and two axes u, v with u x v = n.
    const T3dpoint sides[6][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                                  {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                                  {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}};
    const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
    std::vector<BoxCorner> out;
    for (const auto& s : sides)
        for (int k = 0; k < 4; ++k) {
            const T3dpoint &n = s[0], &u = s[1], &v = s[2];
            out.push_back({{n.X + su[k] * u.X + sv[k] * v.X, n.Y + su[k] * u.Y + sv[k] * v.Y,
                            n.Z + su[k] * u.Z + sv[k] * v.Z},
                           n,
                           {(su[k] + 1) / 2, (sv[k] + 1) / 2}});
        }
    return out;
}

// Two triangles per side, counter-clockwise seen from outside.
inline std::vector<std::array<uint16_t, 3>> boxTriangles() {
    std::vector<std::array<uint16_t, 3>> out;
    for (uint16_t s = 0; s < 24; s += 4) {
        out.push_back({s, static_cast<uint16_t>(s + 1), static_cast<uint16_t>(s + 2)});
        out.push_back({s, static_cast<uint16_t>(s + 2), static_cast<uint16_t>(s + 3)});
    }
    return out;
}

inline std::string boxMilkShape(const std::string& map = "") {
    std::string t = "// MilkShape 3D ASCII\n\nFrames: 30\nFrame: 1\n\nMeshes: 1\n\"Box\" 0 0\n24\n";
    auto num = [](float f) { return std::to_string(f) + " "; };
    for (const BoxCorner& c : boxCorners())
        t += "0 " + num(c.p.X) + num(c.p.Y) + num(c.p.Z) + num(c.t.tu) + num(1 - c.t.tv) + "-1\n";
    t += "24\n";
    for (const BoxCorner& c : boxCorners()) t += num(c.n.X) + num(c.n.Y) + num(c.n.Z) + "\n";
    t += "12\n";
    for (const auto& f : boxTriangles()) {
        const std::string v = std::to_string(f[0]) + " " + std::to_string(f[1]) + " " + std::to_string(f[2]);
        t += "0 " + v + " " + v + " 1\n";
    }
    return t + "\nMaterials: 1\n\"White\"\n0 0 0 1\n1 1 1 1\n0 0 0 1\n0 0 0 1\n0\n1\n\"" + map +
           "\"\n\"\"\n\nBones: 0\n";
}

inline std::vector<uint8_t> boxBin(const std::string& map = "") {
    ChunkWriter w;  // little-endian fields, as the binary format has them
    auto name = [&](const std::string& s) {
        w.u32(static_cast<uint32_t>(s.size()));
        w.data.insert(w.data.end(), s.begin(), s.end());
    };
    w.data = {'q', 'z', 'v'};
    w.u32(1);
    name("Box");
    w.u32(0).u32(24);
    for (const BoxCorner& c : boxCorners())
        w.f32(c.p.X).f32(c.p.Y).f32(c.p.Z).f32(c.t.tu).f32(c.t.tv).u32(~0u);
    w.u32(24);
    for (const BoxCorner& c : boxCorners()) w.f32(c.n.X).f32(c.n.Y).f32(c.n.Z);
    w.u32(36);
    for (const auto& f : boxTriangles())
        for (uint16_t k : f) w.u32(k).u32(k);
    for (int f = 0; f < 12; ++f) w.u32(0);
    w.u32(1);
    name("White");
    for (float v : {0.f, 0.f, 0.f, 1.f, 1.f, 1.f, 1.f, 0.f, 0.f, 0.f}) w.f32(v);
    if (map.size() > 1)
        name(map);
    else
        w.u32(0);
    w.u32(0).f32(0);
    return w.data;
}

inline std::vector<uint8_t> box3ds(const std::string& map = "") {
    return file3ds([&](ChunkWriter& w) {
        material(w, "White", [&] {
            colour24(w, MAT_DIFFUSE, 255, 255, 255);
            if (!map.empty()) w.chunk(MAT_TEXTURE, [&] { w.chunk(MAT_MAPFILE, [&] { w.str(map); }); });
        });
        w.chunk(EDIT_OBJECT, [&] {
            w.str("Box");
            w.chunk(OBJ_TRIMESH, [&] {
                w.chunk(TRI_VERTEXL, [&] {
                    w.u16(24);
                    for (const BoxCorner& c : boxCorners()) w.f32(c.p.X).f32(c.p.Z).f32(c.p.Y);
                });
                w.chunk(TRI_MAPPINGCOORDS, [&] {
                    w.u16(24);
                    for (const BoxCorner& c : boxCorners()) w.f32(c.t.tu).f32(c.t.tv);
                });
                // Exchanging Y and Z mirrors the box: the same corners in reverse order run
                // counter-clockwise in the file's axes.
                w.chunk(TRI_FACEL1, [&] {
                    w.u16(12);
                    for (const auto& f : boxTriangles()) w.u16(f[0]).u16(f[2]).u16(f[1]).u16(7);
                    w.chunk(TRI_MATERIAL, [&] {
                        w.str("White").u16(12);
                        for (uint16_t k = 0; k < 12; ++k) w.u16(k);
                    });
                });
            });
        });
    });
}

// A black frame and the view the box pictures are drawn in: orthographic, 4 units across, seen
// along -Z from the front.
inline void startBoxView() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
