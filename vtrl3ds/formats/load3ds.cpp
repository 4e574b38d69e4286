// The 3DS loader: Load3DSFromFile and Load3DSFromStream, a flat walk over chunk headers that
// enters the containers it knows, reads the chunks it knows field by field and skips the rest.
// Every read stays inside its chunk and the stream: a count larger than its chunk raises
// ERangeError before anything is allocated, data cut off by the end of the stream raises
// EStreamError; what was built before stays owned by the model. A chunk length below 6 or fewer
// than 6 bytes left end the walk quietly, like a skipped chunk that reaches past the end.
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/stream.h"

namespace {

constexpr int64_t headerSize = 6;
// FMatID of faces whose material group names a material that does not exist: an index no
// material has, which the renderer and the render-order pass treat as "no material".
constexpr uint16_t noMaterial = 0xFFFF;

// One chunk header and where it starts.
struct Chunk {
    uint16_t id;
    uint32_t length;
    int64_t start;
    int64_t end() const { return start + length; }
};

std::string hex4(uint16_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x0000";
    for (int i = 0; i < 4; ++i) s[5 - i] = digits[(v >> (4 * i)) & 0xF];
    return s;
}

std::string where(const Chunk& c) {
    return "chunk " + hex4(c.id) + " at offset " + std::to_string(c.start);
}

uint16_t u16At(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t u32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
float f32At(const uint8_t* p) {
    return vtrl3ds_internal::bitCast<float>(u32At(p));
}

// Little-endian 32-bit words read straight into memory, put in host order.
void fixWordOrder([[maybe_unused]] void* data, [[maybe_unused]] size_t words) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* p = static_cast<uint8_t*>(data);
        for (size_t i = 0; i < words; ++i, p += 4) {
            std::swap(p[0], p[3]);
            std::swap(p[1], p[2]);
        }
    }
}

// The state of one call of Load3DSFromStream and the chunk handlers.
class ChunkWalker {
  public:
    ChunkWalker(TGLAll3dsMesh& model, TStream& stream)
        : FModel(model), FStream(stream), FSize(stream.Size()) {}
    void run();

  private:
    bool nextHeader(Chunk& c);
    void dispatch(const Chunk& c);
    bool materialChunk(const Chunk& c);
    bool materialBlock(const Chunk& c, TGL3dsMaterial& m);
    void materialLeaf(const Chunk& c, TGL3dsMaterial& m);
    bool meshChunk(const Chunk& c);
    bool geometryChunk(const Chunk& c, TGL3dsMesh& m);

    void need(const Chunk& c, int64_t bytes, const char* what);
    void read(const Chunk& c, void* dst, int64_t bytes, const char* what);
    uint16_t readU16(const Chunk& c, const char* what);
    float readFloat(const Chunk& c, const char* what);
    std::string readString(const Chunk& c, const char* what);
    float readPercentage(const Chunk& c, const char* what);
    void skipRest(const Chunk& c);

    TGL3dsMaterial* material() { return FMCount ? FModel.FMaterial[FMCount - 1] : nullptr; }
    TGL3dsMesh* mesh() { return FACount ? FModel.FMesh[FACount - 1] : nullptr; }
    void newMaterial(const Chunk& c);
    void colourKind(TGL3dsMaterial& m, bool ambient, bool diffuse, bool specular);
    void colour(TGL3dsMaterial& m, float r, float g, float b);
    void mapFile(const Chunk& c, TGL3dsMaterial& m);
    void newMesh(const Chunk& c);
    void geometryObject(const Chunk& c);
    void pivot(const Chunk& c);
    void vertexList(const Chunk& c, TGL3dsMesh& m);
    void faceList(const Chunk& c, TGL3dsMesh& m);
    void materialGroup(const Chunk& c, TGL3dsMesh& m);
    void mappingCoords(const Chunk& c, TGL3dsMesh& m);
    void smoothingGroups(const Chunk& c, TGL3dsMesh& m);
    void localFrame(const Chunk& c, TGL3dsMesh& m);

    TGLAll3dsMesh& FModel;
    TStream& FStream;
    const int64_t FSize;
    uint32_t FACount = 0;     // named objects met; the current mesh is FMesh[FACount - 1]
    uint32_t FMCount = 0;     // material names met; the current material is FMaterial[FMCount - 1]
    uint32_t FMatArr = 0;     // material groups of the current mesh (wide: a 256th group does not wrap)
    uint32_t FKeyFCount = 0;  // keyframer object descriptions met
    bool FBumpMap = false;    // the next map file name belongs to the bump map
    std::vector<uint8_t> FScratch;
};

void ChunkWalker::run() {
    Chunk c{};
    while (FStream.Position() < FSize && nextHeader(c)) dispatch(c);
}

bool ChunkWalker::nextHeader(Chunk& c) {
    c.start = FStream.Position();
    uint8_t h[headerSize];
    if (FSize - c.start < headerSize || FStream.Read(h, headerSize) != headerSize) return false;
    c.id = u16At(h);
    c.length = u32At(h + 2);
    // A length below the header's own would move the walk backwards or keep it in place.
    return c.length >= headerSize;
}

// ---- Bounded reads ---------------------------------------------------------------------------

// The next `bytes` bytes lie inside chunk c and inside the stream; checked before allocating.
void ChunkWalker::need(const Chunk& c, int64_t bytes, const char* what) {
    const int64_t pos = FStream.Position();
    if (pos + bytes > c.end())
        throw ERangeError("Load3DSFromStream: " + std::string(what) + " in " + where(c) + " needs " +
                          std::to_string(bytes) + " bytes at offset " + std::to_string(pos) +
                          " but the chunk ends at offset " + std::to_string(c.end()));
    if (pos + bytes > FSize)
        throw EStreamError("Load3DSFromStream: " + std::string(what) + " in " + where(c) + " needs " +
                           std::to_string(bytes) + " bytes at offset " + std::to_string(pos) +
                           " but the data ends at offset " + std::to_string(FSize));
}

void ChunkWalker::read(const Chunk& c, void* dst, int64_t bytes, const char* what) {
    need(c, bytes, what);
    const int64_t got = FStream.Read(dst, bytes);
    if (got != bytes)
        throw EStreamError("Load3DSFromStream: " + std::string(what) + " in " + where(c) + ": read " +
                           std::to_string(got) + " of " + std::to_string(bytes) + " bytes");
}

uint16_t ChunkWalker::readU16(const Chunk& c, const char* what) {
    uint8_t b[2];
    read(c, b, 2, what);
    return u16At(b);
}

float ChunkWalker::readFloat(const Chunk& c, const char* what) {
    uint8_t b[4];
    read(c, b, 4, what);
    return f32At(b);
}

// A zero-terminated string that must end inside chunk c; the zero is not kept.
std::string ChunkWalker::readString(const Chunk& c, const char* what) {
    std::string s;
    for (char ch; read(c, &ch, 1, what), ch != '\0';) s.push_back(ch);
    return s;
}

// A percentage sub-chunk (16-bit integer, whose low byte counts as a signed 8-bit number, or a
// single); the walk goes on after the sub-chunk.
float ChunkWalker::readPercentage(const Chunk& c, const char* what) {
    uint8_t h[headerSize];
    const int64_t subStart = FStream.Position();
    read(c, h, headerSize, what);
    const uint16_t id = u16At(h);
    const float p = id == FLOAT_PERCENTAGE ? readFloat(c, what)
                                           : static_cast<float>(static_cast<int8_t>(readU16(c, what) & 0xFF));
    const int64_t subEnd = subStart + u32At(h + 2);
    const int64_t pos = FStream.Position();
    if (subEnd > pos && subEnd <= c.end()) FStream.Seek(subEnd - pos);
    return p;
}

// Moves to the end of chunk c (which may lie past the end of the stream, ending the walk).
void ChunkWalker::skipRest(const Chunk& c) {
    const int64_t pos = FStream.Position();
    if (c.end() > pos) FStream.Seek(c.end() - pos);
}

// ---- Dispatch ------------------------------------------------------------------------------

void ChunkWalker::dispatch(const Chunk& c) {
    switch (c.id) {
        case MAIN3DS:
        case EDIT3DS:
        case MAT_MATRIAL:
        case KEYF3DS:
            return;  // entered: the children follow
        case VERS3DS: {
            uint8_t b[4];
            read(c, b, 4, "version");
            FModel.FVersion = static_cast<int32_t>(u32At(b));
            break;
        }
        case MASTER_SCALE: {
            const float scale = readFloat(c, "master scale");
            if (FModel.FMasterScale == 0.0f) FModel.FMasterScale = scale;
            break;
        }
        case KEYF_OBJDES:
            ++FKeyFCount;
            return;  // entered
        case KEYF_OBJPIVOT:
            pivot(c);
            break;
        default:
            if (materialChunk(c) || meshChunk(c)) return;
            break;
    }
    skipRest(c);
}

// ---- Materials -----------------------------------------------------------------------------

bool isMaterialChunk(uint16_t id) {
    switch (id) {
        case MAT_AMBIENT:
        case MAT_DIFFUSE:
        case MAT_SPECULAR:
        case MAT_COLOR24:
        case MAT_COLOR:
        case MAT_SHININESS:
        case MAT_TRANSPARENCY:
        case MAT_TWO_SIDE:
        case MAT_TEXTURE:
        case MAT_BUMPMAP:
        case MAT_MAPFILE:
        case MAT_VSCALE:
        case MAT_USCALE:
        case MAT_UOFF:
        case MAT_VOFF:
        case MAT_TEXROT:
            return true;
        default:
            return false;
    }
}

// Handles the material chunks; false for any other chunk. A chunk addressing the current
// material before a material name was read is skipped whole, with what it holds.
bool ChunkWalker::materialChunk(const Chunk& c) {
    if (c.id == MAT_MATNAME) {
        newMaterial(c);
    } else if (!isMaterialChunk(c.id)) {
        return false;
    } else if (TGL3dsMaterial* m = material()) {
        if (materialBlock(c, *m)) return true;  // entered: its sub-chunks follow
        materialLeaf(c, *m);
    }
    skipRest(c);
    return true;
}

// The colour-kind and map blocks, which are entered; false for any other chunk.
bool ChunkWalker::materialBlock(const Chunk& c, TGL3dsMaterial& m) {
    switch (c.id) {
        case MAT_AMBIENT:
            colourKind(m, true, false, false);
            return true;
        case MAT_DIFFUSE:
            colourKind(m, false, true, false);
            return true;
        case MAT_SPECULAR:
            colourKind(m, false, false, true);
            return true;
        case MAT_TEXTURE:
            FBumpMap = false;
            m.FHasTextureMap = true;
            m.FUs = m.FVs = m.FUOff = m.FVOff = 0;
            return true;
        case MAT_BUMPMAP:
            FBumpMap = true;
            m.FBumpMapStrength = readPercentage(c, "bump map strength") / 10000.0f;
            return true;
        default:
            return false;
    }
}

// The material chunks read whole: colours, transparency, two-sidedness, map file and parameters.
void ChunkWalker::materialLeaf(const Chunk& c, TGL3dsMaterial& m) {
    uint8_t b[12];
    switch (c.id) {
        case MAT_COLOR24:
            read(c, b, 3, "24-bit colour");
            colour(m, b[0] / 255.0f, b[1] / 255.0f, b[2] / 255.0f);
            break;
        case MAT_COLOR:
            read(c, b, 12, "colour");
            colour(m, f32At(b), f32At(b + 4), f32At(b + 8));
            break;
        case MAT_TRANSPARENCY:
            m.FTransparency = 1.0f - readPercentage(c, "transparency") / 100.0f;
            break;
        case MAT_SHININESS:
            m.FShininess = std::fmin(std::fmax(readPercentage(c, "shininess") / 100.0f, 0.0f), 1.0f);
            break;
        case MAT_TWO_SIDE:
            m.FTwoSided = true;
            break;
        case MAT_MAPFILE:
            mapFile(c, m);
            break;
        case MAT_VSCALE:
            m.FVs = readFloat(c, "map V scale");
            break;
        case MAT_USCALE:
            m.FUs = readFloat(c, "map U scale");
            break;
        case MAT_UOFF:
            m.FUOff = readFloat(c, "map U offset");
            break;
        case MAT_VOFF:
            m.FVOff = readFloat(c, "map V offset");
            break;
        default:
            m.FRot = readFloat(c, "map rotation");
            break;
    }
}

void ChunkWalker::newMaterial(const Chunk& c) {
    ++FMCount;
    // Owned by the model from its first moment, so a failure later leaves nothing unowned.
    auto* m = new TGL3dsMaterial(&FModel);
    FModel.FMaterial.push_back(m);
    ++FModel.FNumMaterials;
    m->FName.clear();
    m->FTransparency = 1.0f;
    m->FName = readString(c, "material name");
}

void ChunkWalker::colourKind(TGL3dsMaterial& m, bool ambient, bool diffuse, bool specular) {
    m.FIsAmbient = ambient;
    m.FIsDiffuse = diffuse;
    m.FIsSpecular = specular;
    m.FHasMaterial = true;
}

// Stores a colour into each colour whose kind flag is set.
void ChunkWalker::colour(TGL3dsMaterial& m, float r, float g, float b) {
    if (m.FIsDiffuse) m.FDifR = r, m.FDifG = g, m.FDifB = b;
    if (m.FIsAmbient) m.FAmbR = r, m.FAmbG = g, m.FAmbB = b;
    if (m.FIsSpecular) m.FSpcR = r, m.FSpcG = g, m.FSpcB = b;
}

void ChunkWalker::mapFile(const Chunk& c, TGL3dsMaterial& m) {
    std::string name = readString(c, "map file name");
    if (!FBumpMap) {
        m.FFileName = std::move(name);
        return;
    }
    m.FBumpMapFileName = std::move(name);
    m.FHasBumpMap = true;
    FBumpMap = false;
}

// ---- Meshes --------------------------------------------------------------------------------

// Handles the object and geometry chunks; false for any other chunk. A chunk addressing the
// current mesh before a named object was read is skipped whole.
bool ChunkWalker::meshChunk(const Chunk& c) {
    if (c.id == EDIT_OBJECT) {
        newMesh(c);
        return true;  // entered after the name
    }
    if (c.id != OBJ_TRIMESH && c.id != OBJ_LIGHT && c.id != OBJ_CAMERA && c.id != TRI_VERTEXL &&
        c.id != TRI_FACEL1 && c.id != TRI_MATERIAL && c.id != TRI_MAPPINGCOORDS && c.id != TRI_SMOOTH &&
        c.id != TRI_MATRIX)
        return false;
    TGL3dsMesh* m = mesh();
    if (!m) {
        skipRest(c);
        return true;
    }
    if (c.id == OBJ_TRIMESH || c.id == OBJ_LIGHT || c.id == OBJ_CAMERA) {
        geometryObject(c);
        return true;
    }
    if (geometryChunk(c, *m)) skipRest(c);
    return true;
}

// The triangle-mesh chunks; false for the face list, whose sub-chunks follow it (entered).
bool ChunkWalker::geometryChunk(const Chunk& c, TGL3dsMesh& m) {
    switch (c.id) {
        case TRI_VERTEXL:
            vertexList(c, m);
            return true;
        case TRI_FACEL1:
            faceList(c, m);
            return false;
        case TRI_MATERIAL:
            materialGroup(c, m);
            return true;
        case TRI_MAPPINGCOORDS:
            mappingCoords(c, m);
            return true;
        case TRI_SMOOTH:
            smoothingGroups(c, m);
            return true;
        default:
            localFrame(c, m);
            return true;
    }
}

void ChunkWalker::newMesh(const Chunk& c) {
    ++FACount;
    auto* m = new TGL3dsMesh(&FModel);
    FModel.FMesh.push_back(m);
    FModel.FRenderOrder.push_back(static_cast<int32_t>(FACount - 1));
    m->FName.clear();
    m->FId = static_cast<int32_t>(FACount);
    m->FMatName.assign(1, std::string());
    m->FName = readString(c, "object name");
}

// Triangle meshes, lights and cameras each count as a mesh; lights and cameras are skipped.
void ChunkWalker::geometryObject(const Chunk& c) {
    // A second geometry chunk in one named object is not counted again: FNumMeshes never
    // exceeds the meshes that exist.
    if (static_cast<size_t>(FModel.FNumMeshes) < FModel.FMesh.size()) ++FModel.FNumMeshes;
    if (c.id == OBJ_TRIMESH) {
        FMatArr = 0;
        return;  // entered
    }
    skipRest(c);
}

void ChunkWalker::vertexList(const Chunk& c, TGL3dsMesh& m) {
    const uint16_t n = readU16(c, "vertex count");
    if (n == 0) {
        m.FNumVertex = 0;
        return;
    }
    need(c, int64_t{n} * 12, "vertex list");
    m.FNumVertex = n;
    FScratch.resize(size_t{n} * 12);
    read(c, FScratch.data(), int64_t{n} * 12, "vertex list");
    // The file's Y and Z are exchanged.
    const uint8_t* p = FScratch.data();
    vtrl3ds_internal::assignPoints(m.FVertex, n, [p](size_t i) {
        return T3dpoint{f32At(p + 12 * i), f32At(p + 12 * i + 8), f32At(p + 12 * i + 4)};
    });
    m.FBoneID.assign(n, -1);
    m.FMapping.assign(n, TGLMap{0, 0});
}

void ChunkWalker::faceList(const Chunk& c, TGL3dsMesh& m) {
    const uint16_t n = readU16(c, "face count");
    need(c, int64_t{n} * 8, "face list");
    FScratch.resize(size_t{n} * 8);
    read(c, FScratch.data(), int64_t{n} * 8, "face list");
    m.FIndices.resize(size_t{n} * 3);
    m.FNumIndices = 3 * n;
    // Each face: three vertex indices as stored (kept even when beyond the vertex list), then flags.
    const uint8_t* p = FScratch.data();
    uint16_t* out = m.FIndices.data();
    if constexpr (std::endian::native == std::endian::little) {
        // A face's eight bytes at once: its flags land on the next face's first index, which the
        // next face writes again; the last face's six bytes alone.
        for (size_t k = 0; k + 1 < n; ++k) std::memcpy(out + 3 * k, p + 8 * k, 8);
        if (n > 0) std::memcpy(out + 3 * (n - 1), p + 8 * (size_t{n} - 1), 6);
    } else {
        for (size_t k = 0; k < n; ++k)
            for (size_t c3 = 0; c3 < 3; ++c3) out[3 * k + c3] = u16At(p + 8 * k + 2 * c3);
    }
    m.FNormalIndices = m.FIndices;
}

void ChunkWalker::materialGroup(const Chunk& c, TGL3dsMesh& m) {
    ++FMatArr;
    m.FMatName.resize(FMatArr);
    m.FMatName[FMatArr - 1] = readString(c, "material group name");
    const uint16_t n = readU16(c, "material group face count");
    if (n == 0) return;
    need(c, int64_t{n} * 2, "material group faces");
    FScratch.resize(size_t{n} * 2);
    read(c, FScratch.data(), int64_t{n} * 2, "material group faces");
    m.FMatID.resize(static_cast<size_t>(m.FNumIndices / 3));
    const int32_t id = FModel.GetMaterialIDByName(m.FMatName[FMatArr - 1]);
    const uint16_t stored = (id < 0 || id >= noMaterial) ? noMaterial : static_cast<uint16_t>(id);
    // A face number beyond the face list is passed over.
    for (size_t i = 0; i < n; ++i) {
        const uint16_t face = u16At(FScratch.data() + 2 * i);
        if (face < m.FMatID.size()) m.FMatID[face] = stored;
    }
}

void ChunkWalker::mappingCoords(const Chunk& c, TGL3dsMesh& m) {
    const uint16_t n = readU16(c, "mapping count");
    need(c, int64_t{n} * 8, "mapping coordinates");
    m.FMapping.resize(n);
    read(c, m.FMapping.data(), int64_t{n} * 8, "mapping coordinates");
    fixWordOrder(m.FMapping.data(), size_t{n} * 2);
}

// One 32-bit value per face; the chunk must hold them all.
void ChunkWalker::smoothingGroups(const Chunk& c, TGL3dsMesh& m) {
    const size_t faces = static_cast<size_t>(m.FNumIndices / 3);
    need(c, static_cast<int64_t>(faces) * 4, "smoothing groups");
    m.FSmoothingGroup.resize(faces);
    read(c, m.FSmoothingGroup.data(), static_cast<int64_t>(faces) * 4, "smoothing groups");
    fixWordOrder(m.FSmoothingGroup.data(), faces);
}

// The local frame as stored (no axis exchange): X, Y and Z axes, then the origin.
void ChunkWalker::localFrame(const Chunk& c, TGL3dsMesh& m) {
    uint8_t b[48];
    read(c, b, 48, "local frame");
    T3dpoint* dst[4] = {&m.LocalAxis[0], &m.LocalAxis[1], &m.LocalAxis[2], &m.FLocalCoords};
    for (int i = 0; i < 4; ++i) *dst[i] = {f32At(b + 12 * i), f32At(b + 12 * i + 4), f32At(b + 12 * i + 8)};
}

// A keyframer pivot goes to the mesh with the same position as its object description, as
// stored (no axis exchange); one with no such mesh is skipped.
void ChunkWalker::pivot(const Chunk& c) {
    if (FKeyFCount == 0 || FKeyFCount > static_cast<uint32_t>(FModel.FNumMeshes) ||
        FKeyFCount > FModel.FMesh.size())
        return;
    uint8_t b[12];
    read(c, b, 12, "pivot");
    FModel.FMesh[FKeyFCount - 1]->FPivot = {f32At(b), f32At(b + 4), f32At(b + 8)};
}

}  // namespace

void TGLAll3dsMesh::Load3DSFromFile(const std::string& FileName) {
    FType = Mesh3DS;
    TFileStream stream(FileName);
    Load3DSFromStream(stream);
    // Reading clears the name; the model keeps the file it came from (texture maps lie beside it).
    FName = FileName;
}

void TGLAll3dsMesh::Load3DSFromStream(TStream& Stream) {
    FName.clear();
    FMesh.clear();
    FMaterial.clear();
    // Emptied too, so that no entry of an earlier load outlives the meshes it named.
    FRenderOrder.clear();
    FNumMeshes = 0;
    FNumMaterials = 0;
    if (FMasterScale == 0.0f) FMasterScale = 1.0f;
    ChunkWalker(*this, Stream).run();

    vtrl3ds_internal::finishLoad(*this, vtrl3ds_internal::NormalSource::Computed);
    for (size_t i = 0; i < FMesh.size() && i < static_cast<size_t>(FNumMeshes); ++i)
        FMesh[i]->FId = static_cast<int32_t>(i + 1);
}
