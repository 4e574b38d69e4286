// The 3DS pieces the tests put together (materials, meshes, whole files) on the shared chunk
// writer, and loading bytes through a memory stream.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/common/chunk_writer.h"
#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/stream.h"

// Colour-kind chunk (ambient, diffuse, specular) holding one 24-bit colour chunk.
inline void colour24(ChunkWriter& w, uint16_t kind, uint8_t r, uint8_t g, uint8_t b) {
    w.chunk(kind, [&] { w.chunk(MAT_COLOR24, [&] { w.u8(r).u8(g).u8(b); }); });
}

// Colour-kind chunk holding one float colour chunk.
inline void colourFloat(ChunkWriter& w, uint16_t kind, float r, float g, float b) {
    w.chunk(kind, [&] { w.chunk(MAT_COLOR, [&] { w.f32(r).f32(g).f32(b); }); });
}

// A chunk holding one 16-bit percentage sub-chunk.
inline void percent(ChunkWriter& w, uint16_t id, int16_t pct) {
    w.chunk(id, [&] { w.chunk(INT_PERCENTAGE, [&] { w.u16(static_cast<uint16_t>(pct)); }); });
}

// A material entry with a name and a diffuse colour; `extra` writes further sub-chunks.
template <class F>
void material(ChunkWriter& w, const std::string& name, F extra) {
    w.chunk(MAT_MATRIAL, [&] {
        w.chunk(MAT_MATNAME, [&] { w.str(name); });
        extra();
    });
}
inline void material(ChunkWriter& w, const std::string& name) {
    material(w, name, [] {});
}

using Face = std::array<uint16_t, 3>;
using Group = std::pair<std::string, std::vector<uint16_t>>;

// A named object holding a triangle mesh: vertices as the file stores them (before the Y/Z
// exchange), faces, and material groups inside the face list.
inline void triMesh(ChunkWriter& w, const std::string& name, const std::vector<T3dpoint>& vertices,
                    const std::vector<Face>& faces, const std::vector<Group>& groups = {}) {
    w.chunk(EDIT_OBJECT, [&] {
        w.str(name);
        w.chunk(OBJ_TRIMESH, [&] {
            w.chunk(TRI_VERTEXL, [&] {
                w.u16(static_cast<uint16_t>(vertices.size()));
                for (const T3dpoint& v : vertices) w.f32(v.X).f32(v.Y).f32(v.Z);
            });
            w.chunk(TRI_FACEL1, [&] {
                w.u16(static_cast<uint16_t>(faces.size()));
                for (const Face& f : faces) w.u16(f[0]).u16(f[1]).u16(f[2]).u16(7);
                for (const Group& g : groups)
                    w.chunk(TRI_MATERIAL, [&] {
                        w.str(g.first).u16(static_cast<uint16_t>(g.second.size()));
                        for (uint16_t k : g.second) w.u16(k);
                    });
            });
        });
    });
}

// A whole file: the main chunk with version 3 and an editor chunk that `edit` fills.
template <class F>
std::vector<uint8_t> file3ds(F edit) {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(VERS3DS, [&] { w.u32(3); });
        w.chunk(EDIT3DS, [&] { edit(w); });
    });
    return w.data;
}

// One triangle (0,0,0), (1,0,0), (0,1,0) as stored in the file.
inline std::vector<T3dpoint> unitTriangle() {
    return {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
}

// A small file touching every handled chunk kind: two materials (one see-through, one with a
// texture and bump map), two meshes with groups, mapping, smoothing, a local frame, a light, and
// a keyframer with pivots.
inline std::vector<uint8_t> sampleFile() {
    ChunkWriter w;
    w.chunk(MAIN3DS, [&] {
        w.chunk(VERS3DS, [&] { w.u32(3); });
        w.chunk(EDIT3DS, [&] {
            material(w, "Red", [&] {
                colour24(w, MAT_AMBIENT, 10, 20, 30);
                colour24(w, MAT_DIFFUSE, 255, 0, 0);
                colour24(w, MAT_SPECULAR, 255, 255, 255);
                percent(w, MAT_TRANSPARENCY, 0);
            });
            material(w, "Glass", [&] {
                colourFloat(w, MAT_DIFFUSE, 0.2f, 0.4f, 0.6f);
                percent(w, MAT_TRANSPARENCY, 50);
                w.chunk(MAT_TWO_SIDE, [] {});
                w.chunk(MAT_TEXTURE, [&] {
                    w.chunk(INT_PERCENTAGE, [&] { w.u16(100); });
                    w.chunk(MAT_MAPFILE, [&] { w.str("GLASS.TGA"); });
                    w.chunk(MAT_USCALE, [&] { w.f32(2.0f); });
                });
                w.chunk(MAT_BUMPMAP, [&] {
                    w.chunk(INT_PERCENTAGE, [&] { w.u16(100); });
                    w.chunk(MAT_MAPFILE, [&] { w.str("BUMP.TGA"); });
                });
            });
            w.chunk(MASTER_SCALE, [&] { w.f32(1.0f); });
            triMesh(w, "Box", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 3}},
                    {{"Red", {0, 1}}});
            w.chunk(EDIT_OBJECT, [&] {
                w.str("Pane");
                w.chunk(OBJ_TRIMESH, [&] {
                    w.chunk(TRI_VERTEXL,
                            [&] { w.u16(3).f32(0).f32(0).f32(5).f32(2).f32(0).f32(5).f32(0).f32(2).f32(5); });
                    w.chunk(TRI_MAPPINGCOORDS, [&] { w.u16(3).f32(0).f32(0).f32(1).f32(0).f32(0).f32(1); });
                    w.chunk(TRI_FACEL1, [&] {
                        w.u16(1).u16(0).u16(1).u16(2).u16(0);
                        w.chunk(TRI_MATERIAL, [&] { w.str("glass").u16(1).u16(0); });
                        w.chunk(TRI_SMOOTH, [&] { w.u32(5); });
                    });
                    w.chunk(TRI_MATRIX, [&] {
                        for (int i = 0; i < 12; ++i) w.f32(static_cast<float>(i));
                    });
                });
            });
            w.chunk(EDIT_OBJECT, [&] {
                w.str("Lamp");
                w.chunk(OBJ_LIGHT, [&] { w.f32(1).f32(2).f32(3); });
            });
        });
        w.chunk(KEYF3DS, [&] {
            for (int k = 0; k < 2; ++k)
                w.chunk(KEYF_OBJDES, [&] {
                    w.chunk(KEYF_OBJHIERARCH, [&] { w.str("x").u16(0).u16(0).u16(0xFFFF); });
                    w.chunk(KEYF_OBJPIVOT, [&] { w.f32(0).f32(0).f32(static_cast<float>(k)); });
                });
        });
    });
    return w.data;
}

// Loads bytes into the model through a memory stream.
inline void loadBytes(TGLAll3dsMesh& model, const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes.data(), bytes.size());
    model.Load3DSFromStream(stream);
}
