// The binary model loader: LoadBinFromFile and LoadBinFromStream read the signature "qzv", the
// mesh records and the material records from the stream's first byte through a bounded cursor.
// A count or length larger than the bytes left, a negative one, or an index outside 0..65535 raises
// ERangeError before anything is allocated or stored; a field cut off by the end of the data raises
// EStreamError. What was built before stays owned by the model. A wrong signature loads nothing.
// The triangles and normals read are then brought to the library's convention (filenormals.cpp).
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/stream.h"

namespace {

constexpr char signature[3] = {'q', 'z', 'v'};
// Bytes of one vertex entry (x, y, z, tu, tv, bone), one normal, one corner (vertex and normal
// index) and one face material index.
constexpr int64_t vertexBytes = 24, normalBytes = 12, cornerBytes = 8, faceBytes = 4;
// The smallest records: a one-byte name and empty lists, and a material without map names.
constexpr int64_t minMeshBytes = 4 + 1 + 4 + 4 + 4 + 4;
constexpr int64_t minMaterialBytes = 4 + 1 + 4 * 10 + 4 + 4 + 4;
// Entries of a bulk list read at a time.
constexpr size_t entriesPerPiece = 4096;
// Longest piece of a name quoted in an error message.
constexpr size_t quotedNameLength = 40;

uint32_t u32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int32_t i32At(const uint8_t* p) {
    return static_cast<int32_t>(u32At(p));
}
float f32At(const uint8_t* p) {
    return vtrl3ds_internal::bitCast<float>(u32At(p));
}

// One call of LoadBinFromStream after the signature: the records and the bounded reads they use.
// Bulk lists are read a piece at a time, so no copy of the whole stream is ever held.
class BinReader {
  public:
    BinReader(TGLAll3dsMesh& model, TStream& stream, int64_t size)
        : FModel(model), FStream(stream), FSize(size) {}
    void run();

  private:
    int64_t left() const { return FSize - FPos; }
    const uint8_t* take(int64_t bytes, const char* what);
    template <class F>
    void entries(size_t count, int64_t entryBytes, const char* what, F use);
    int32_t readInt(const char* what) { return i32At(take(4, what)); }
    float readFloat(const char* what) { return f32At(take(4, what)); }
    int32_t readCount(const char* what, int64_t bytesEach, int64_t bytesAfter = 0);
    void checkFits(const char* what, int32_t n, int64_t at, int64_t needed);
    std::string readName(const char* what);
    bool readMapName(const char* what, std::string& name);
    uint16_t index16(int32_t value, int64_t at, const char* what);
    std::string prefix() const { return "LoadBinFromStream: " + (FRecord.empty() ? "" : FRecord + ": "); }
    [[noreturn]] void rangeFailure(const std::string& fact) { throw ERangeError(prefix() + fact); }
    void addNameToRecord(const std::string& name);

    void readMesh(int32_t i);
    void readVertices(TGL3dsMesh& m);
    void readCorners(TGL3dsMesh& m);
    void readFaceMaterials(TGL3dsMesh& m, size_t faces);
    void readMaterial(int32_t j);

    TGLAll3dsMesh& FModel;
    TStream& FStream;
    const int64_t FSize;
    int64_t FPos = sizeof signature;
    std::vector<uint8_t> FPiece;  // the bytes of the last take
    std::string FRecord;          // the record being read, for error messages ("mesh 2 'Box'")
};

// ---- Bounded reads ---------------------------------------------------------------------------

std::string quoted(const std::string& name) {
    return "'" + (name.size() > quotedNameLength ? name.substr(0, quotedNameLength) + "..." : name) + "'";
}

// "mesh 2" becomes "mesh 2 'Box'". Appended piece by piece: g++ 12 at -O3 warns falsely
// (-Wrestrict) on " " + quoted(name).
void BinReader::addNameToRecord(const std::string& name) {
    FRecord += ' ';
    FRecord += quoted(name);
}

// The next `bytes` bytes, which must all be there; valid until the next take.
const uint8_t* BinReader::take(int64_t bytes, const char* what) {
    if (bytes > left())
        throw EStreamError(prefix() + what + " needs " + std::to_string(bytes) + " bytes at offset " +
                           std::to_string(FPos) + " but the data ends at offset " + std::to_string(FSize));
    if (FPiece.size() < static_cast<size_t>(bytes)) FPiece.resize(static_cast<size_t>(bytes));
    const int64_t got = FStream.Read(FPiece.data(), bytes);
    if (got != bytes)
        throw EStreamError(prefix() + what + ": read " + std::to_string(got) + " of " +
                           std::to_string(bytes) + " bytes at offset " + std::to_string(FPos));
    FPos += bytes;
    return FPiece.data();
}

// Reads `count` entries of `entryBytes` bytes each, a piece at a time, and hands each to `use`
// with its number, its bytes and its offset.
template <class F>
void BinReader::entries(size_t count, int64_t entryBytes, const char* what, F use) {
    for (size_t first = 0; first < count; first += entriesPerPiece) {
        const size_t n = std::min(entriesPerPiece, count - first);
        const int64_t at = FPos;
        const uint8_t* p = take(static_cast<int64_t>(n) * entryBytes, what);
        for (size_t k = 0; k < n; ++k, p += entryBytes)
            use(first + k, p, at + static_cast<int64_t>(k) * entryBytes);
    }
}

// A count of entries of `bytesEach` bytes, followed by at least `bytesAfter` more; refused when
// negative or when the data left cannot hold what it declares.
int32_t BinReader::readCount(const char* what, int64_t bytesEach, int64_t bytesAfter) {
    const int64_t at = FPos;
    const int32_t n = readInt(what);
    if (n < 0) rangeFailure(std::string(what) + " " + std::to_string(n) + " at offset " + std::to_string(at));
    checkFits(what, n, at, n * bytesEach + bytesAfter);
    return n;
}

// The count n read at offset `at` declares `needed` bytes, which must all be left.
void BinReader::checkFits(const char* what, int32_t n, int64_t at, int64_t needed) {
    if (needed > left())
        rangeFailure(std::string(what) + " " + std::to_string(n) + " at offset " + std::to_string(at) +
                     " needs " + std::to_string(needed) + " more bytes but " + std::to_string(left()) +
                     " are left");
}

// A name: its length (at least 1), then that many bytes.
std::string BinReader::readName(const char* what) {
    const int64_t at = FPos;
    const int32_t n = readCount(what, 1);
    if (n == 0) rangeFailure(std::string(what) + " 0 at offset " + std::to_string(at));
    const uint8_t* p = take(n, what);
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
}

// A map file name: a length of 0 or 1 means none and is followed by nothing.
bool BinReader::readMapName(const char* what, std::string& name) {
    const int32_t n = readCount(what, 1);
    if (n <= 1) return false;
    const uint8_t* p = take(n, what);
    name.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    return true;
}

// A stored int32 that must fit an unsigned 16-bit index; `at` is its offset.
uint16_t BinReader::index16(int32_t value, int64_t at, const char* what) {
    if (value < 0 || value > 0xFFFF)
        rangeFailure(std::string(what) + " " + std::to_string(value) + " at offset " + std::to_string(at) +
                     " is outside 0..65535");
    return static_cast<uint16_t>(value);
}

// ---- Records ---------------------------------------------------------------------------------

void BinReader::run() {
    const int32_t meshes = readCount("mesh count", minMeshBytes);
    // The arrays are filled anew: nothing of an earlier load stays reachable beside this one's.
    FModel.FMesh.clear();
    FModel.FRenderOrder.clear();
    FModel.FNumMeshes = 0;
    FModel.FMesh.reserve(static_cast<size_t>(meshes));
    FModel.FRenderOrder.reserve(static_cast<size_t>(meshes));
    for (int32_t i = 0; i < meshes; ++i) readMesh(i);
    FRecord.clear();
    const int32_t materials = readCount("material count", minMaterialBytes);
    FModel.FMaterial.clear();
    FModel.FNumMaterials = 0;
    FModel.FMaterial.reserve(static_cast<size_t>(materials));
    for (int32_t j = 0; j < materials; ++j) readMaterial(j);
}

// A mesh is owned and counted from the moment its name is read, so that FMesh, FRenderOrder and
// FNumMeshes agree whatever fails later.
void BinReader::readMesh(int32_t i) {
    FRecord = "mesh " + std::to_string(i);
    std::string name = readName("mesh name length");
    addNameToRecord(name);
    auto* m = new TGL3dsMesh(&FModel);
    FModel.FMesh.push_back(m);
    FModel.FRenderOrder.push_back(i);
    FModel.FNumMeshes = i + 1;
    m->FName = std::move(name);
    const int64_t at = FPos;
    m->FMatID.assign(1, index16(readInt("mesh material index"), at, "mesh material index"));
    readVertices(*m);
    readCorners(*m);
}

// Vertex entries, the unused normal count and one normal per vertex (whatever that count says).
void BinReader::readVertices(TGL3dsMesh& m) {
    const int32_t n = readCount("vertex count", vertexBytes + normalBytes, 4);
    const size_t count = static_cast<size_t>(n);
    m.FVertex.resize(count);
    m.FMapping.resize(count);
    m.FBoneID.resize(count);
    m.FNumVertex = n;
    entries(count, vertexBytes, "vertex entries", [&](size_t v, const uint8_t* p, int64_t) {
        m.FVertex[v] = {f32At(p), f32At(p + 4), f32At(p + 8)};
        m.FMapping[v] = {f32At(p + 12), f32At(p + 16)};
        m.FBoneID[v] = i32At(p + 20);
    });
    readInt("normal count");
    m.FVNormal.resize(count);
    entries(count, normalBytes, "normals", [&](size_t v, const uint8_t* p, int64_t) {
        m.FVNormal[v] = {f32At(p), f32At(p + 4), f32At(p + 8)};
    });
}

// Corner entries (vertex and normal index), then one material index per whole triangle. Vertex
// indices beyond the vertex list are kept as stored; the passes and the renderer never follow them.
void BinReader::readCorners(TGL3dsMesh& m) {
    const int64_t at = FPos;
    const int32_t n = readCount("index count", 0);
    const size_t count = static_cast<size_t>(n), faces = count / 3;
    checkFits("index count", n, at, n * cornerBytes + static_cast<int64_t>(faces) * faceBytes);
    std::vector<uint16_t> indices(count), normals(count);
    entries(count, cornerBytes, "corner entries", [&](size_t k, const uint8_t* p, int64_t offset) {
        indices[k] = index16(i32At(p), offset, "vertex index");
        normals[k] = index16(i32At(p + 4), offset + 4, "normal index");
    });
    m.FIndices = std::move(indices);
    m.FNormalIndices = std::move(normals);
    m.FNumIndices = n;
    readFaceMaterials(m, faces);
}

// The face table replaces the mesh material index; with no whole triangle FMatID ends empty.
void BinReader::readFaceMaterials(TGL3dsMesh& m, size_t faces) {
    m.FMatID.resize(faces);
    entries(faces, faceBytes, "face material indices", [&](size_t f, const uint8_t* p, int64_t offset) {
        m.FMatID[f] = index16(i32At(p), offset, "face material index");
    });
}

// A material is owned and counted from the moment its name is read.
void BinReader::readMaterial(int32_t j) {
    FRecord = "material " + std::to_string(j);
    std::string name = readName("material name length");
    addNameToRecord(name);
    auto* m = new TGL3dsMaterial(&FModel);
    FModel.FMaterial.push_back(m);
    FModel.FNumMaterials = j + 1;
    m->FName = std::move(name);
    float* colours[] = {&m->FAmbR, &m->FAmbG,         &m->FAmbB, &m->FDifR, &m->FDifG,
                        &m->FDifB, &m->FTransparency, &m->FSpcR, &m->FSpcG, &m->FSpcB};
    const uint8_t* p = take(static_cast<int64_t>(4 * std::size(colours)), "colours and opacity");
    for (float* c : colours) {
        *c = f32At(p);
        p += 4;
    }
    m->FHasTextureMap = readMapName("texture name length", m->FFileName);
    m->FHasBumpMap = readMapName("bump map name length", m->FBumpMapFileName);
    m->FBumpMapStrength = readFloat("bump map strength");
}

}  // namespace

void TGLAll3dsMesh::LoadBinFromFile(const std::string& FileName) {
    FType = MeshBIN;
    TFileStream stream(FileName);
    LoadBinFromStream(stream);
}

void TGLAll3dsMesh::LoadBinFromStream(TStream& Stream) {
    Stream.Seek(-Stream.Position());
    const int64_t size = Stream.Size();
    char head[sizeof signature] = {};
    if (size < static_cast<int64_t>(sizeof signature) || Stream.Read(head, sizeof head) != sizeof head ||
        std::memcmp(head, signature, sizeof signature) != 0)
        return;
    BinReader(*this, Stream, size).run();

    vtrl3ds_internal::finishLoad(*this, vtrl3ds_internal::NormalSource::FromFile);
}
