// Differential fuzz target of the 3DS loader against lib3ds: an input both accept must give the
// same mesh, vertex, face and material counts. Only inputs shaped as the format's writers shape
// them reach the comparison (see SharedShape): outside that shape the two differ by design (our
// flat chunk walk), lib3ds would read outside its own arrays, or (keyframer parents that loop)
// recurse without end.
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/stream.h"

// lib3ds leaks what it was building when it refuses a file; those leaks are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:lib3ds-1.so\n";
}

namespace {

constexpr size_t maxInput = size_t{1} << 20;

struct Counts {
    size_t meshes = 0, vertices = 0, faces = 0, materials = 0;
    bool operator==(const Counts&) const = default;
};

// The input as one span; every read is checked against the span's end.
struct Span {
    const uint8_t* p;
    size_t n;
    bool take(size_t k, const uint8_t** out = nullptr) {
        if (k > n) return false;
        if (out) *out = p;
        p += k;
        n -= k;
        return true;
    }
    bool word(uint32_t& v) {
        const uint8_t* b;
        if (!take(2, &b)) return false;
        v = b[0] | (b[1] << 8);
        return true;
    }
};

// The chunk tree both readers understand alike: the whole input is one main chunk, every chunk
// lies inside its parent, sits in the parent the format gives it, holds exactly its record,
// strings fit lib3ds's 64-byte buffers, and face and material-group numbers address what exists.
class SharedShape {
  public:
    static bool holds(const uint8_t* data, size_t size) {
        Span s{data, size};
        uint16_t id;
        Span body;
        SharedShape shape;
        return header(s, id, body) && s.n == 0 && id == MAIN3DS && shape.children(body, id) &&
               shape.treeIsSound();
    }

  private:
    uint32_t FPoints = 0, FFaces = 0;
    uint32_t FFaceMaxIndex = 0;
    // Keyframer nodes: id (its place among the nodes unless a node-id chunk says) and parent id.
    struct Node {
        uint32_t id, parent;
    };
    std::vector<Node> FNodes;

    // lib3ds links a node to its parent by id and recurses without end when parent ids loop; a
    // repeated id leaves which node is meant to its search order. Both stay outside the shape.
    bool treeIsSound() const {
        std::map<uint32_t, size_t> byId;
        for (size_t i = 0; i < FNodes.size(); ++i)
            if (!byId.emplace(FNodes[i].id, i).second) return false;
        for (const Node& n : FNodes) {
            uint32_t parent = n.parent;
            for (size_t steps = 0; parent != 0xFFFF; ++steps) {
                const auto it = byId.find(parent);
                if (it == byId.end()) break;
                if (steps > FNodes.size()) return false;
                parent = FNodes[it->second].parent;
            }
        }
        return true;
    }

    static bool header(Span& s, uint16_t& id, Span& body) {
        const uint8_t* h;
        if (!s.take(6, &h)) return false;
        id = static_cast<uint16_t>(h[0] | (h[1] << 8));
        const uint32_t length = h[2] | (h[3] << 8) | (h[4] << 16) | (static_cast<uint32_t>(h[5]) << 24);
        if (length < 6 || length - 6 > s.n) return false;
        body = {s.p, length - 6};
        return s.take(length - 6);
    }

    static bool string(Span& s) {
        for (size_t k = 0; k < 64; ++k) {
            const uint8_t* c;
            if (!s.take(1, &c)) return false;
            if (*c == 0) return true;
        }
        return false;
    }

    static bool allowed(uint16_t parent, uint16_t id) {
        static const struct {
            uint16_t parent;
            uint16_t children[8];
        } tree[] = {
            {MAIN3DS, {VERS3DS, EDIT3DS, KEYF3DS}},
            {EDIT3DS, {MASTER_SCALE, MAT_MATRIAL, EDIT_OBJECT}},
            {MAT_MATRIAL,
             {MAT_AMBIENT, MAT_DIFFUSE, MAT_SPECULAR, MAT_TRANSPARENCY, MAT_TWO_SIDE, MAT_TEXTURE,
              MAT_BUMPMAP}},
            {MAT_AMBIENT, {MAT_COLOR24, MAT_COLOR}},
            {MAT_DIFFUSE, {MAT_COLOR24, MAT_COLOR}},
            {MAT_SPECULAR, {MAT_COLOR24, MAT_COLOR}},
            {MAT_TRANSPARENCY, {INT_PERCENTAGE}},
            {MAT_TEXTURE,
             {INT_PERCENTAGE, MAT_MAPFILE, MAT_VSCALE, MAT_USCALE, MAT_UOFF, MAT_VOFF, MAT_TEXROT}},
            {MAT_BUMPMAP,
             {INT_PERCENTAGE, MAT_MAPFILE, MAT_VSCALE, MAT_USCALE, MAT_UOFF, MAT_VOFF, MAT_TEXROT}},
            {EDIT_OBJECT, {OBJ_TRIMESH, OBJ_LIGHT, OBJ_CAMERA}},
            {OBJ_TRIMESH, {TRI_VERTEXL, TRI_FACEL1, TRI_MAPPINGCOORDS, TRI_MATRIX}},
            {TRI_FACEL1, {TRI_MATERIAL, TRI_SMOOTH}},
            {KEYF3DS, {KEYF_OBJDES}},
            {KEYF_OBJDES, {KEYF_OBJHIERARCH, KEYF_OBJPIVOT, KEYF_NODE_ID}},
        };
        for (const auto& t : tree)
            if (t.parent == parent)
                for (uint16_t c : t.children)
                    if (c == id && c != 0) return true;
        return false;
    }

    // Fixed-size records; -1 for chunks that are not fixed leaves.
    static int32_t fixedSize(uint16_t id) {
        switch (id) {
            case VERS3DS:
            case MASTER_SCALE:
            case MAT_VSCALE:
            case MAT_USCALE:
            case MAT_UOFF:
            case MAT_VOFF:
            case MAT_TEXROT:
                return 4;
            case MAT_COLOR24:
                return 3;
            case MAT_COLOR:
            case OBJ_LIGHT:
            case KEYF_OBJPIVOT:
                return 12;
            case INT_PERCENTAGE:
            case KEYF_NODE_ID:
                return 2;
            case MAT_TWO_SIDE:
                return 0;
            case TRI_MATRIX:
                return 48;
            case OBJ_CAMERA:
                return 32;
            default:
                return -1;
        }
    }

    bool children(Span s, uint16_t parent) {
        bool named = false, geometry = false;
        while (s.n) {
            uint16_t id;
            Span body;
            if (!header(s, id, body)) return false;
            // A material holds its one name first; a named object one geometry chunk.
            if (parent == MAT_MATRIAL && (id == MAT_MATNAME) == named) return false;
            if (parent == MAT_MATRIAL && id == MAT_MATNAME) {
                named = true;
                if (!string(body) || body.n) return false;
                continue;
            }
            if (parent == EDIT_OBJECT && geometry) return false;
            geometry = parent == EDIT_OBJECT;
            if (!allowed(parent, id) || !chunk(id, body)) return false;
        }
        return parent != MAT_MATRIAL || named;
    }

    bool chunk(uint16_t id, Span body) {
        if (id == KEYF_NODE_ID && body.n == 2 && !FNodes.empty())
            FNodes.back().id = body.p[0] | (body.p[1] << 8);
        const int32_t fixed = fixedSize(id);
        if (fixed >= 0) return body.n == static_cast<size_t>(fixed);
        uint32_t n = 0;
        switch (id) {
            case MAT_MAPFILE:
                return string(body) && body.n == 0;
            case KEYF_OBJHIERARCH:
                if (!string(body) || body.n != 6 || FNodes.empty()) return false;
                FNodes.back().parent = body.p[4] | (body.p[5] << 8);
                return true;
            case KEYF_OBJDES:
                FNodes.push_back({static_cast<uint32_t>(FNodes.size()), 0xFFFF});
                return children(body, id);
            case EDIT_OBJECT:
                return string(body) && body.n && children(body, id);
            case MAT_TRANSPARENCY:
                return children(body, id) && body.n == 8;
            case MAT_BUMPMAP:
                return body.n >= 8 && (body.p[0] | body.p[1] << 8) == INT_PERCENTAGE && children(body, id);
            case TRI_VERTEXL:
                return body.word(FPoints) && body.n == size_t{FPoints} * 12;
            case TRI_MAPPINGCOORDS:
                return body.word(n) && body.n == size_t{n} * 8;
            case OBJ_TRIMESH:
                return mesh(body);
            case TRI_FACEL1:
                return faceList(body);
            case TRI_MATERIAL:
                return materialGroup(body);
            case TRI_SMOOTH:
                return body.n == size_t{FFaces} * 4;
            default:
                return children(body, id);
        }
    }

    // Every face index must name a point of the mesh's final point list (lib3ds computes face
    // normals from them without a check).
    bool mesh(Span body) {
        FPoints = FFaces = FFaceMaxIndex = 0;
        return children(body, OBJ_TRIMESH) && (FFaces == 0 || FFaceMaxIndex < FPoints);
    }

    bool faceList(Span body) {
        if (!body.word(FFaces) || body.n < size_t{FFaces} * 8) return false;
        FFaceMaxIndex = 0;
        for (uint32_t f = 0; f < FFaces; ++f) {
            for (int k = 0; k < 3; ++k) {
                uint32_t v = 0;
                body.word(v);
                if (v > FFaceMaxIndex) FFaceMaxIndex = v;
            }
            body.take(2);
        }
        return children(body, TRI_FACEL1);
    }

    // lib3ds writes each listed face's material without a check: the numbers must be faces.
    bool materialGroup(Span body) {
        uint32_t n = 0;
        if (!string(body) || !body.word(n) || body.n != size_t{n} * 2) return false;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t face = 0;
            body.word(face);
            if (face >= FFaces) return false;
        }
        return true;
    }
};

// ---- Ours ------------------------------------------------------------------------------------

bool loadOurs(const uint8_t* data, size_t size, Counts& counts) {
    TGLAll3dsMesh model;
    TMemoryStream stream(data, size);
    try {
        model.Load3DSFromStream(stream);
    } catch (const EModelError&) {
        return false;
    }
    counts.meshes = static_cast<size_t>(model.FNumMeshes);
    counts.materials = static_cast<size_t>(model.FNumMaterials);
    for (const TGL3dsMesh* m : model.FMesh) {
        counts.vertices += static_cast<size_t>(m->FNumVertex);
        counts.faces += static_cast<size_t>(m->FNumIndices / 3);
    }
    return true;
}

// ---- lib3ds, reading from memory -------------------------------------------------------------

struct MemoryFile {
    const uint8_t* data;
    long size, pos = 0;
    bool failed = false;
};

Lib3dsBool memError(void* self) {
    return static_cast<MemoryFile*>(self)->failed ? LIB3DS_TRUE : LIB3DS_FALSE;
}

long memSeek(void* self, long offset, Lib3dsIoSeek origin) {
    auto* f = static_cast<MemoryFile*>(self);
    const long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? f->pos : f->size;
    if (base + offset < 0 || base + offset > f->size) {
        f->failed = true;
        return -1;
    }
    f->pos = base + offset;
    return 0;
}

long memTell(void* self) {
    return static_cast<MemoryFile*>(self)->pos;
}

size_t memRead(void* self, void* buffer, size_t size) {
    auto* f = static_cast<MemoryFile*>(self);
    const size_t left = static_cast<size_t>(f->size - f->pos);
    const size_t n = size < left ? size : left;
    if (n < size) f->failed = true;
    std::memcpy(buffer, f->data + f->pos, n);
    f->pos += static_cast<long>(n);
    return n;
}

size_t memWrite(void*, const void*, size_t) {
    return 0;
}

template <typename T>
size_t listLength(const T* first) {
    size_t n = 0;
    for (; first; first = first->next) ++n;
    return n;
}

bool loadLib3ds(const uint8_t* data, size_t size, Counts& counts) {
    MemoryFile mem{data, static_cast<long>(size)};
    Lib3dsIo* io = lib3ds_io_new(&mem, memError, memSeek, memTell, memRead, memWrite);
    Lib3dsFile* file = lib3ds_file_new();
    const bool ok = lib3ds_file_read(file, io) && !mem.failed;
    if (ok) {
        // lib3ds keeps lights and cameras apart; we keep them as meshes without geometry.
        counts.meshes = listLength(file->meshes) + listLength(file->lights) + listLength(file->cameras);
        counts.materials = listLength(file->materials);
        for (const Lib3dsMesh* m = file->meshes; m; m = m->next) {
            counts.vertices += m->points;
            counts.faces += m->faces;
        }
    }
    lib3ds_file_free(file);
    lib3ds_io_free(io);
    return ok;
}

void report(const char* who, const Counts& c) {
    std::fprintf(stderr, "%-7s meshes %zu, vertices %zu, faces %zu, materials %zu\n", who, c.meshes,
                 c.vertices, c.faces, c.materials);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    Counts ours, theirs;
    if (!SharedShape::holds(data, size) || !loadOurs(data, size, ours) || !loadLib3ds(data, size, theirs))
        return 0;
    if (ours == theirs) return 0;
    std::fprintf(stderr, "the 3DS loader and lib3ds disagree:\n");
    report("ours", ours);
    report("lib3ds", theirs);
    std::abort();
}
