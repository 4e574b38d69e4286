// The MilkShape 3D ASCII model loader: LoadMSAFromFile and LoadMSAFromStream read meshes and
// materials line by line, note whether the file declares bones, and (from a file) have the
// skeleton read and the vertices bound to it. Every failure raises the library's exception naming
// the file and line; counts are checked against the text left before anything is allocated, and
// what was built before a failure stays owned by the model. The triangles and normals read are
// brought to the library's convention (filenormals.cpp) before the skeleton is bound.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/private/ms3dtext.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

using namespace vtrl3ds_internal;

namespace {

constexpr const char* routine = "LoadMSAFromStream";
constexpr std::string_view meshesHeader = "Meshes: ";
constexpr std::string_view materialsHeader = "Materials: ";
constexpr std::string_view bonesHeader = "Bones: ";
// The face material index of a mesh without material: no material has it.
constexpr int32_t noMaterial = 0xFFFF;

// The fewest bytes each kind of line or block can take, its line breaks included: a field list of
// n fields needs n characters and n - 1 separators.
constexpr size_t vertexBytes = 14;    // flags x y z u v bone
constexpr size_t normalBytes = 6;     // x y z
constexpr size_t triangleBytes = 14;  // flags, three vertex and three normal indices
constexpr size_t meshBytes = 12;      // header (name flags material) and three count lines
constexpr size_t materialBytes = 27;  // name, three colour lines, emissive, shininess, transparency, two maps

// Tested on every line between blocks: the first character is compared alone first.
bool startsWith(std::string_view line, std::string_view header) {
    return !line.empty() && line[0] == header[0] && line.substr(0, header.size()) == header;
}

std::string withoutQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '"') out.push_back(c);
    return out;
}

// A mesh read in the latest mesh section, with what the pass after the walk needs.
struct MeshRead {
    TGL3dsMesh* mesh;
    int32_t material;    // -1 for none
    int64_t headerLine;  // line of the mesh header
    int64_t firstVertexLine;
};

// The state of one call of LoadMSAFromStream: the walk over the lines and the pass after it.
class MsaReader {
  public:
    MsaReader(TGLAll3dsMesh& model, MsText& text) : FModel(model), FText(text) {}
    void walk();
    void finish() const;

  private:
    void meshes();
    void mesh(int32_t index, int32_t count);
    void vertices(TGL3dsMesh& m);
    void normals(TGL3dsMesh& m);
    void triangles(TGL3dsMesh& m, int32_t material);
    uint16_t cornerIndex(int32_t v, size_t field, int32_t limit, const char* kind, const Item& item) const;
    int32_t countLine(const char* kind, const TGL3dsMesh& m);
    void materials();
    void material(int32_t index, int32_t count);
    void colourLine(TGL3dsMaterial& m, const char* kind, size_t fields, float* rgba) const;
    void bones();
    void checkBoneIndices(const MeshRead& read) const;

    TGLAll3dsMesh& FModel;
    MsText& FText;
    std::vector<MeshRead> FMeshes;
    int32_t FBones = 0;  // the bone count last declared
};

// Lines are tested for the three headers between blocks; the last line never is. After a block
// the cursor stands on its last line, which the later tests of the same step see.
// The shininess line (0 to 128) as a glossiness 0..1; a line that does not convert counts as 0,
// since the loader has never required this line to hold a number.
static float glossiness(const MsText& text) {
    const std::string line(text.line());
    char* end = nullptr;
    const float s = std::strtof(line.c_str(), &end);
    return end != line.c_str() && s > 0 ? std::min(s / 128.0f, 1.0f) : 0.0f;
}

void MsaReader::walk() {
    while (FText.atLine() && !FText.onLastLine()) {
        if (startsWith(FText.line(), meshesHeader)) meshes();
        if (startsWith(FText.line(), materialsHeader)) materials();
        if (startsWith(FText.line(), bonesHeader)) bones();
        FText.advance();
    }
}

// ---- Meshes ------------------------------------------------------------------------------------

// A further mesh section replaces the list; the meshes of an earlier one stay owned by the model.
void MsaReader::meshes() {
    const int32_t count = FText.headerValue(meshesHeader);
    if (count < 0) FText.fail<ERangeError>("negative mesh count " + std::to_string(count));
    FText.checkRoom(count, meshBytes, Item{"meshes"});
    FModel.FMesh.clear();
    FModel.FRenderOrder.clear();
    FModel.FNumMeshes = 0;
    FMeshes.clear();
    for (int32_t i = 0; i < count; ++i) mesh(i, count);
}

// The header: the quoted name, the flags and the material index. Its fields are split like any
// field list, so a name holding blanks stays whole.
void MsaReader::mesh(int32_t index, int32_t count) {
    const Item header{"mesh", index + 1, count};
    FText.nextLine(header);
    // Listed and counted from its first moment, so a failure leaves no empty entry behind.
    auto* m = new TGL3dsMesh(&FModel);
    FModel.FMesh.push_back(m);
    FModel.FRenderOrder.push_back(index);
    FModel.FNumMeshes = index + 1;
    m->FId = index + 1;
    const FieldList f(FText, 3, header);
    m->FName = withoutQuotes(f[0]);
    const int32_t material = f.integer(2);
    if (material < -1 || material >= noMaterial)
        FText.fail<ERangeError>("mesh " + quoted(m->FName) + ": material index " + std::to_string(material) +
                                " outside -1.." + std::to_string(noMaterial - 1));
    m->FMatName.assign(1, material == -1 ? std::string() : std::to_string(material));
    FMeshes.push_back({m, material, FText.lineNumber(), FText.lineNumber() + 2});
    vertices(*m);
    normals(*m);
    triangles(*m, material);
}

// A count line of a mesh block: an integer of 0 or more alone on its line.
int32_t MsaReader::countLine(const char* kind, const TGL3dsMesh& m) {
    const Item item{kind, 0, 0, "mesh", &m.FName};
    FText.nextLine(item);
    const int32_t count = FText.integerLine(item);
    if (count < 0) FText.fail<ERangeError>(describe(item) + " is negative: " + std::to_string(count));
    return count;
}

void MsaReader::vertices(TGL3dsMesh& m) {
    const int32_t count = countLine("the vertex count", m);
    FText.checkRoom(count, vertexBytes, Item{"vertices", 0, 0, "mesh", &m.FName});
    m.FNumVertex = count;
    m.FVertex.resize(static_cast<size_t>(count));
    m.FMapping.resize(static_cast<size_t>(count));
    m.FBoneID.resize(static_cast<size_t>(count));
    for (int32_t j = 0; j < count; ++j) {
        const Item item{"vertex", j + 1, count, "mesh", &m.FName};
        FText.nextLine(item);
        const auto k = static_cast<size_t>(j);
        float r[5];
        int32_t bone = 0;
        if (plainFields(FText, "-rrrrri", r, &bone)) {
            m.FVertex[k] = {r[0], r[1], r[2]};
            m.FMapping[k] = {r[3], 1.0f - r[4]};
            m.FBoneID[k] = bone;
            continue;
        }
        const FieldList f(FText, 7, item);
        m.FVertex[k] = {f.real(1), f.real(2), f.real(3)};
        m.FMapping[k] = {f.real(4), 1.0f - f.real(5)};
        m.FBoneID[k] = f.integer(6);
    }
}

void MsaReader::normals(TGL3dsMesh& m) {
    const int32_t count = countLine("the normal count", m);
    FText.checkRoom(count, normalBytes, Item{"normals", 0, 0, "mesh", &m.FName});
    m.FVNormal.resize(static_cast<size_t>(count));
    for (int32_t j = 0; j < count; ++j) {
        const Item item{"normal", j + 1, count, "mesh", &m.FName};
        FText.nextLine(item);
        float r[3];
        if (plainFields(FText, "rrr", r, nullptr)) {
            m.FVNormal[static_cast<size_t>(j)] = {r[0], r[1], r[2]};
            continue;
        }
        const FieldList f(FText, 3, item);
        m.FVNormal[static_cast<size_t>(j)] = {f.real(0), f.real(1), f.real(2)};
    }
}

// Corner indices must name a vertex (or normal) the mesh has, and fit 16 bits.
uint16_t MsaReader::cornerIndex(int32_t v, size_t field, int32_t limit, const char* kind,
                                const Item& item) const {
    if (v >= 0 && v <= 0xFFFF && v < limit) return static_cast<uint16_t>(v);
    const std::string what =
        describe(item) + ": " + kind + " index " + std::to_string(v) + " in field " + std::to_string(field);
    if (v < 0 || v > 0xFFFF) FText.fail<ERangeError>(what + " is outside 0..65535");
    const std::string plural = std::string_view(kind) == "vertex" ? "vertices" : std::string(kind) + "s";
    FText.fail<ERangeError>(what + " is beyond the mesh's " + std::to_string(limit) + " " +
                            (limit == 1 ? std::string(kind) : plural));
}

void MsaReader::triangles(TGL3dsMesh& m, int32_t material) {
    const int32_t count = countLine("the triangle count", m);
    FText.checkRoom(count, triangleBytes, Item{"triangles", 0, 0, "mesh", &m.FName});
    const auto corners = static_cast<size_t>(count) * 3;
    m.FIndices.resize(corners);
    m.FNormalIndices.resize(corners);
    m.FNumIndices = 3 * count;
    // A normal index beyond the normal list is kept: that corner is lit with a computed normal.
    constexpr int32_t noLimit = 0x10000;
    for (size_t t = 0; t < corners; t += 3) {
        const Item item{"triangle", static_cast<int64_t>(t / 3) + 1, count, "mesh", &m.FName};
        FText.nextLine(item);
        int32_t plain[6];
        const bool read = plainFields(FText, "-iiiiii", nullptr, plain);
        const auto index = [&](size_t field) {
            return read ? plain[field - 1] : FieldList(FText, 7, item).integer(field);
        };
        for (size_t n = 0; n < 3; ++n) {
            m.FIndices[t + n] = cornerIndex(index(1 + n), 1 + n, m.FNumVertex, "vertex", item);
            m.FNormalIndices[t + n] = cornerIndex(index(4 + n), 4 + n, noLimit, "normal", item);
        }
    }
    // A mesh without material gets the index no material has, which drawing passes over.
    m.FMatID.assign(static_cast<size_t>(count), static_cast<uint16_t>(material < 0 ? noMaterial : material));
}

// ---- Materials ---------------------------------------------------------------------------------

void MsaReader::materials() {
    const int32_t count = FText.headerValue(materialsHeader);
    if (count < 0) FText.fail<ERangeError>("negative material count " + std::to_string(count));
    FText.checkRoom(count, materialBytes, Item{"materials"});
    FModel.FMaterial.clear();
    FModel.FNumMaterials = 0;
    for (int32_t i = 0; i < count; ++i) material(i, count);
}

// A colour line: r g b and a fourth value; rgba receives the fields read.
void MsaReader::colourLine(TGL3dsMaterial& m, const char* kind, size_t fields, float* rgba) const {
    const Item item{kind, 0, 0, "material", &m.FName};
    FText.nextLine(item);
    const FieldList f(FText, fields, item);
    for (size_t i = 0; i < fields; ++i) rgba[i] = f.real(i);
}

void MsaReader::material(int32_t index, int32_t count) {
    FText.nextLine(Item{"material", index + 1, count});
    auto* m = new TGL3dsMaterial(&FModel);
    FModel.FMaterial.push_back(m);
    FModel.FNumMaterials = index + 1;
    m->FName = FText.unquotedLine();
    float c[4];
    colourLine(*m, "the ambient colour line", 3, c);
    m->FAmbR = c[0], m->FAmbG = c[1], m->FAmbB = c[2];
    m->FIsAmbient = c[0] != 0 || c[1] != 0 || c[2] != 0;
    colourLine(*m, "the diffuse colour line", 4, c);
    m->FDifR = c[0], m->FDifG = c[1], m->FDifB = c[2];
    m->FTransparency = c[3];
    m->FIsDiffuse = c[0] != 0 || c[1] != 0 || c[2] != 0;
    colourLine(*m, "the specular colour line", 3, c);
    m->FSpcR = c[0], m->FSpcG = c[1], m->FSpcB = c[2];
    m->FIsSpecular = c[0] != 0 || c[1] != 0 || c[2] != 0;
    FText.nextLine(Item{"the emissive colour line", 0, 0, "material", &m->FName});
    const Item shininess{"the shininess line", 0, 0, "material", &m->FName};
    FText.nextLine(shininess);
    m->FShininess = glossiness(FText);
    const Item transparency{"the transparency line", 0, 0, "material", &m->FName};
    FText.nextLine(transparency);
    m->FBumpMapStrength = FText.realLine(transparency);
    FText.nextLine(Item{"the colour map line", 0, 0, "material", &m->FName});
    m->FFileName = FText.unquotedLine();
    if (!m->FFileName.empty()) m->FHasTextureMap = true;
    FText.nextLine(Item{"the alpha map line", 0, 0, "material", &m->FName});
    m->FBumpMapFileName = FText.unquotedLine();
    if (!m->FBumpMapFileName.empty()) m->FHasBumpMap = true;
}

// ---- Bones and the pass after the walk ---------------------------------------------------------

void MsaReader::bones() {
    FBones = FText.headerValue(bonesHeader);
    if (FBones < 0) FText.fail<ERangeError>("negative bone count " + std::to_string(FBones));
    if (FBones >= 1) FModel.FLoadSkeleton = true;
}

// When the file declares bones, every vertex that skinning moves names -1 or one of them.
void MsaReader::checkBoneIndices(const MeshRead& read) const {
    const TGL3dsMesh& m = *read.mesh;
    if (FBones < 1 || m.FNumIndices <= 0) return;
    for (size_t j = 0; j < m.FBoneID.size(); ++j)
        if (m.FBoneID[j] != -1 && (m.FBoneID[j] < 0 || m.FBoneID[j] >= FBones))
            FText.failAt<ERangeError>(read.firstVertexLine + static_cast<int64_t>(j),
                                      "vertex " + std::to_string(j + 1) + " of mesh " + quoted(m.FName) +
                                          " names bone " + std::to_string(m.FBoneID[j]) +
                                          ", but the file has " + std::to_string(FBones) + " bone" +
                                          (FBones == 1 ? "" : "s"));
}

// Mesh and material sections may come in either order: material indices are resolved here, and
// each mesh's material entry becomes its material's name (for material 0 too).
void MsaReader::finish() const {
    for (const MeshRead& read : FMeshes) {
        if (read.material >= FModel.FNumMaterials)
            FText.failAt<ERangeError>(read.headerLine,
                                      "mesh " + quoted(read.mesh->FName) + " uses material " +
                                          std::to_string(read.material) + ", but the file has " +
                                          std::to_string(FModel.FNumMaterials) + " material" +
                                          (FModel.FNumMaterials == 1 ? "" : "s"));
        if (read.material >= 0)
            read.mesh->FMatName[0] = FModel.FMaterial[static_cast<size_t>(read.material)]->FName;
        checkBoneIndices(read);
    }
}

// Reads a model from the rest of the stream; `source` names it in messages.
void loadText(TGLAll3dsMesh& model, TStream& stream, const std::string& source) {
    model.FLoadSkeleton = false;
    // A load starts from empty lists; what an earlier load made stays owned by the model.
    model.FMesh.clear();
    model.FRenderOrder.clear();
    model.FMaterial.clear();
    model.FNumMeshes = 0;
    model.FNumMaterials = 0;
    {
        MsText text(stream, source, routine);
        MsaReader reader(model, text);
        reader.walk();
        reader.finish();
    }
    finishLoad(model, NormalSource::FromFile);
}

}  // namespace

void TGLAll3dsMesh::LoadMSAFromStream(TStream& Stream) {
    loadText(*this, Stream, "stream");
}

void TGLAll3dsMesh::LoadMSAFromFile(const std::string& FileName) {
    FType = MeshMSA;
    {
        TFileStream stream(FileName);
        loadText(*this, stream, FileName);
    }
    if (!FLoadSkeleton) return;
    FNumSkeletons = std::max(FNumSkeletons, 0) + 1;
    FSkeleton.resize(static_cast<size_t>(FNumSkeletons));
    auto* skeleton = new TGLSkeleton(this);
    FSkeleton.back() = skeleton;
    // The file just read, also when this was called directly rather than through LoadFromFile
    // (which leaves the same name in FName).
    skeleton->LoadFromFile(FileName);
    InitSkin();
}
