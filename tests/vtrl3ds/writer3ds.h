// A test-side 3DS writer: builds chunk streams byte by byte (little-endian), with each chunk's
// length filled in when it is closed, and the small pieces the loader tests put together.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/stream.h"

class Writer3ds {
  public:
    std::vector<uint8_t> data;

    Writer3ds& u8(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Writer3ds& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
    Writer3ds& u32(uint32_t v) { return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16)); }
    Writer3ds& f32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return u32(v);
    }
    Writer3ds& str(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        return u8(0);
    }

    // Opens a chunk; its length is written by the matching end().
    Writer3ds& begin(uint16_t id) {
        u16(id);
        open.push_back(data.size());
        return u32(0);
    }
    Writer3ds& end() {
        const size_t at = open.back();
        open.pop_back();
        const uint32_t len = static_cast<uint32_t>(data.size() - at + 2);
        for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(len >> (8 * i));
        return *this;
    }
    // A chunk whose body `body` writes.
    template <class F>
    Writer3ds& chunk(uint16_t id, F body) {
        begin(id);
        body();
        return end();
    }
    // A chunk header with a length of our choosing and no body.
    Writer3ds& rawHeader(uint16_t id, uint32_t length) { return u16(id).u32(length); }

  private:
    std::vector<size_t> open;
};

// Colour-kind chunk (ambient, diffuse, specular) holding one 24-bit colour chunk.
inline void colour24(Writer3ds& w, uint16_t kind, uint8_t r, uint8_t g, uint8_t b) {
    w.chunk(kind, [&] { w.chunk(MAT_COLOR24, [&] { w.u8(r).u8(g).u8(b); }); });
}

// Colour-kind chunk holding one float colour chunk.
inline void colourFloat(Writer3ds& w, uint16_t kind, float r, float g, float b) {
    w.chunk(kind, [&] { w.chunk(MAT_COLOR, [&] { w.f32(r).f32(g).f32(b); }); });
}

// A chunk holding one 16-bit percentage sub-chunk.
inline void percent(Writer3ds& w, uint16_t id, int16_t pct) {
    w.chunk(id, [&] { w.chunk(INT_PERCENTAGE, [&] { w.u16(static_cast<uint16_t>(pct)); }); });
}

// A material entry with a name and a diffuse colour; `extra` writes further sub-chunks.
template <class F>
void material(Writer3ds& w, const std::string& name, F extra) {
    w.chunk(MAT_MATRIAL, [&] {
        w.chunk(MAT_MATNAME, [&] { w.str(name); });
        extra();
    });
}
inline void material(Writer3ds& w, const std::string& name) {
    material(w, name, [] {});
}

using Face = std::array<uint16_t, 3>;
using Group = std::pair<std::string, std::vector<uint16_t>>;

// A named object holding a triangle mesh: vertices as the file stores them (before the Y/Z
// exchange), faces, and material groups inside the face list.
inline void triMesh(Writer3ds& w, const std::string& name, const std::vector<T3dpoint>& vertices,
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
    Writer3ds w;
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
    Writer3ds w;
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
