// glTF export, geometry and materials: each library mesh becomes one glTF mesh in the Y-up frame
// with one primitive per material it uses, vertices split where their normals differ (the meshes
// of a large model made side by side over the cores), and the materials with their texture
// images. Reports problems with texture maps through the options' Warn; nothing here raises.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/private/keyframing.h"
#include "vtrl3ds/private/lanes.h"
#include "vtrl3ds/private/parallel.h"
#include "vtrl3ds/private/smoothing.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"
#include "vtrl3ds/text.h"
#include "vtrl3ds/types.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

constexpr std::array<float, 4> defaultGrey{0.7f, 0.7f, 0.7f, 1};  // a model with no material

float finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

// n at unit length; {0, 1, 0} for a zero or unusable one. A normal already unit within single
// precision (as the library's are) is kept as it is.
std::array<float, 3> unit(std::array<float, 3> n) {
    const float f = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (f > 0.99999f && f < 1.00001f) return n;
    const double l = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
    if (!(l > 1e-20) || !std::isfinite(l)) return {0, 1, 0};
    const double inverse = 1 / l;
    return {float(n[0] * inverse), float(n[1] * inverse), float(n[2] * inverse)};
}

// ---- Placement -----------------------------------------------------------------------------

// Where the library's coordinates go in the file. A 3DS model's vertices hold the file's Y and Z
// exchanged, minus the pivot, times the master scale: the pivot comes back, and Z is negated, which
// together with the exchange is a turn of the file's Z-up frame to Y-up (x, z, -y). A mesh placed
// by keyframer nodes goes instead to its own frame by an affine map (`local`), normals by its
// inverse transpose. Corners keep their order where the map mirrors (the library's winding is
// clockwise), and are turned round where it does not.
struct Frame {
    bool zUp = false;         // keep the corners' order
    T3dpoint pivot{0, 0, 0};  // already times the master scale
    float scale = 1;
    bool affine = false;
    double local[12]{};   // column-major 3x4
    double normals[9]{};  // column-major 3x3

    std::array<float, 3> position(const T3dpoint& p) const {
        if (affine) return {mapped(p, 0, true), mapped(p, 1, true), mapped(p, 2, true)};
        const float x = p.X + pivot.X, y = p.Y + pivot.Y, z = p.Z + pivot.Z;
        return {finite(x * scale), finite(y * scale), finite((zUp ? -z : z) * scale)};
    }
    std::array<float, 3> normal(const T3dpoint& n) const {
        if (affine) return {mapped(n, 0, false), mapped(n, 1, false), mapped(n, 2, false)};
        return {finite(n.X), finite(n.Y), finite(zUp ? -n.Z : n.Z)};
    }
    // Row `row` of the map (a point) or of the normals' matrix (a direction) applied to p.
    float mapped(const T3dpoint& p, int row, bool point) const {
        const double* m = point ? local : normals;
        return finite(float(m[row] * p.X + m[3 + row] * p.Y + m[6 + row] * p.Z + (point ? m[9 + row] : 0)));
    }
};

Frame frameOf(const TGLAll3dsMesh& model, const TGL3dsMesh& mesh, float scale) {
    Frame f;
    f.scale = scale;
    if (model.FType == Mesh3DS) {
        const float s = model.FMasterScale;
        f.zUp = true;
        f.pivot = {mesh.FPivot.X * s, mesh.FPivot.Y * s, mesh.FPivot.Z * s};
    }
    return f;
}

// The frame of the affine map m (column-major 4x4): positions by m, normals by the inverse
// transpose of its 3x3 part (the identity where that part is flat).
Frame localFrame(const TKfMatrix& m) {
    Frame f;
    f.affine = true;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 3; ++r) f.local[3 * c + r] = m[size_t(4 * c + r)];
    const double* a = f.local;
    // Cofactors of the 3x3 part; over the determinant they are the inverse transpose.
    const double cof[9] = {a[4] * a[8] - a[5] * a[7], a[5] * a[6] - a[3] * a[8], a[3] * a[7] - a[4] * a[6],
                           a[2] * a[7] - a[1] * a[8], a[0] * a[8] - a[2] * a[6], a[1] * a[6] - a[0] * a[7],
                           a[1] * a[5] - a[2] * a[4], a[2] * a[3] - a[0] * a[5], a[0] * a[4] - a[1] * a[3]};
    const double det = a[0] * cof[0] + a[1] * cof[1] + a[2] * cof[2];
    f.zUp = det < 0;
    const bool flat = !std::isfinite(det) || std::fabs(det) < 1e-30;
    for (int i = 0; i < 9; ++i) f.normals[i] = flat ? (i % 4 == 0 ? 1 : 0) : cof[i] / det;
    return f;
}

// The position of vertex v at the bind pose: a bone-bound vertex is in its bone's space after
// InitSkin and goes back through the bone's matrix.
T3dpoint bindPosition(const TGL3dsMesh& mesh, const TGLSkeleton* skeleton, size_t v) {
    const T3dpoint& p = mesh.FVertex[v];
    const TGL3dsBone* bone = boneOfVertex(mesh, skeleton, v);
    if (!bone) return p;
    const float* m = bone->FMatrix->m_matrix;
    return {m[0] * p.X + m[4] * p.Y + m[8] * p.Z + m[12], m[1] * p.X + m[5] * p.Y + m[9] * p.Z + m[13],
            m[2] * p.X + m[6] * p.Y + m[10] * p.Z + m[14]};
}

// ---- Normals per corner --------------------------------------------------------------------

// A MilkShape or binary model's own normal at corner k where the loader kept a usable one, else
// the face's.
T3dpoint fileCornerNormal(const TGL3dsMesh& mesh, size_t k) {
    if (k < mesh.FNormalIndices.size() && mesh.FNormalIndices[k] < mesh.FVNormal.size()) {
        const T3dpoint& n = mesh.FVNormal[mesh.FNormalIndices[k]];
        if (std::isfinite(n.X) && std::isfinite(n.Y) && std::isfinite(n.Z) &&
            n.X * n.X + n.Y * n.Y + n.Z * n.Z > 1e-12f)
            return n;
    }
    return drawnFaceNormal(mesh, k - k % 3);
}

// ---- Vertices --------------------------------------------------------------------------------

// Output vertices keyed by (library vertex, normal as computed, before the frame): each library
// vertex keeps a short chain of the normals it was given. The vertices are placed once all are
// known.
class VertexSplitter {
  public:
    struct Vertex {
        T3dpoint normal;
        int32_t next;
        uint16_t vertex;
    };

    explicit VertexSplitter(size_t vertices) : FHead(vertices, -1) { FVertices.reserve(vertices); }

    // The output index of vertex v with normal n, a new one for a new pair.
    uint32_t find(uint16_t v, const T3dpoint& n) {
        for (int32_t e = FHead[v]; e >= 0; e = FVertices[size_t(e)].next)
            if (std::memcmp(&FVertices[size_t(e)].normal, &n, sizeof n) == 0) return uint32_t(e);
        FVertices.push_back({n, FHead[v], v});
        FHead[v] = static_cast<int32_t>(FVertices.size() - 1);
        return uint32_t(FVertices.size() - 1);
    }
    const std::vector<Vertex>& vertices() const { return FVertices; }

  private:
    std::vector<int32_t> FHead;
    std::vector<Vertex> FVertices;
};

// Positions and normals of the output vertices, placed by the frame (Affine: frame.affine).
template <bool Affine>
void placeVertices(const Frame& frame, const TGL3dsMesh& source, const TGLSkeleton* skeleton,
                   const std::vector<VertexSplitter::Vertex>& in, TGltfMesh& out) {
    out.Positions.resize(in.size()), out.Normals.resize(in.size());
    Frame f = frame;
    f.affine = Affine;
    for (size_t i = 0; i < in.size(); ++i) {
        out.Positions[i] = f.position(skeleton ? bindPosition(source, skeleton, in[i].vertex)
                                               : source.FVertex[in[i].vertex]);
        out.Normals[i] = unit(f.normal(in[i].normal));
    }
}

// The output vertices' arrays: places, normals, texture coordinates (V counted from the top) and
// joints where the mesh has them.
void vertexArrays(const SceneBuilder& b, const TGL3dsMesh& source, const Frame& frame,
                  const std::vector<VertexSplitter::Vertex>& in, TGltfMesh& out) {
    if (frame.affine)
        placeVertices<true>(frame, source, b.skeleton, in, out);
    else
        placeVertices<false>(frame, source, b.skeleton, in, out);
    if (source.FMapping.size() >= vertexCount(source)) {
        out.TexCoords.resize(in.size());
        for (size_t i = 0; i < in.size(); ++i) {
            const auto& t = source.FMapping[in[i].vertex];
            out.TexCoords[i] = {finite(t.tu), finite(1 - t.tv)};
        }
    }
    if (b.meshIsSkinned(source)) {
        out.Joints.resize(in.size());
        for (size_t i = 0; i < in.size(); ++i) out.Joints[i] = b.jointOfVertex(source, in[i].vertex);
    }
}

constexpr size_t facesPerThread = 20000;  // below this much work in all, one thread does it

}  // namespace

// ---- Materials and images --------------------------------------------------------------------

std::string GltfImageMimeType(const std::vector<uint8_t>& bytes) {
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), png, 8) == 0) return "image/png";
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return "image/jpeg";
    return "";
}

namespace vtrl3ds_internal {

bool defaultImageReader(const std::string& path, TGltfImage& image, std::string& error) {
    try {
        image.Bytes = ReadFileBytes(path);
    } catch (const EStreamError&) {
        error = "cannot be opened";
        return false;
    }
    image.MimeType = GltfImageMimeType(image.Bytes);
    if (image.MimeType.empty()) error = "is neither a PNG nor a JPEG file";
    return !image.MimeType.empty();
}

// The image of a texture map, read once per file; -1 (after one warning per map name) when the
// map resolves to no file or the reader refuses it.
int32_t SceneBuilder::image(const TGL3dsMaterial& material) {
    const std::string path = ResolveTextureFile(model.FName, material.FFileName);
    const auto known = imageByPath.find(path.empty() ? "\n" + material.FFileName : path);
    if (known != imageByPath.end()) return known->second;
    int32_t& slot = imageByPath[path.empty() ? "\n" + material.FFileName : path];
    slot = -1;
    TGltfImage img;
    std::string error = "not found";
    const auto& read = options.ReadImage ? options.ReadImage : defaultImageReader;
    if (path.empty() || !read(path, img, error)) {
        warn("texture map \"" + Cp1252ToUtf8(material.FFileName) + "\" of " + Cp1252ToUtf8(model.FName) +
             " " + error + "; the material stays untextured");
        return slot;
    }
    std::filesystem::path name = std::filesystem::path(path).filename();
    name.replace_extension(img.MimeType == "image/png" ? ".png" : ".jpg");
    scene.ImageNames.push_back(uniqueImageName(name.string()));
    scene.Images.push_back(std::move(img));
    slot = static_cast<int32_t>(scene.Images.size() - 1);
    return slot;
}

std::string SceneBuilder::uniqueImageName(const std::string& name) {
    std::string candidate = name;
    for (int i = 2;
         std::find(scene.ImageNames.begin(), scene.ImageNames.end(), candidate) != scene.ImageNames.end();
         ++i) {
        const std::filesystem::path p(name);
        candidate = p.stem().string() + "_" + std::to_string(i) + p.extension().string();
    }
    return candidate;
}

void SceneBuilder::warn(const std::string& line) const {
    if (options.Warn)
        options.Warn(line);
    else
        std::fwrite((line + '\n').data(), 1, line.size() + 1, stderr);
}

// The scene material for model material `id` (the neutral grey one for an id naming none), made
// on first use so that the file holds only the materials its primitives use.
int32_t SceneBuilder::material(size_t id) {
    const TGL3dsMaterial* m = materialAt(model, id);
    const size_t key = m ? id : SIZE_MAX;
    const auto known = materialById.find(key);
    if (known != materialById.end()) return known->second;
    TGltfMaterial out;
    if (!m) {
        out.Name = "default";
        out.BaseColor = defaultGrey;
    } else {
        out.Name = Cp1252ToUtf8(m->FName);
        out.BaseColor = {finite(m->FDifR), finite(m->FDifG), finite(m->FDifB),
                         std::fmin(std::fmax(finite(m->FTransparency), 0.0f), 1.0f)};
        for (int c = 0; c < 3; ++c)
            out.BaseColor[size_t(c)] = std::fmin(std::fmax(out.BaseColor[size_t(c)], 0.0f), 1.0f);
        out.Roughness = 1 - std::fmin(std::fmax(finite(m->FShininess), 0.0f), 1.0f);
        out.DoubleSided = m->FTwoSided;
        if (m->FHasTextureMap && options.Textures && !m->FFileName.empty()) out.Image = image(*m);
        // A texture carries the colour; the diffuse colour would darken it as no viewer of the
        // source formats does.
        if (out.Image >= 0) out.BaseColor = {1, 1, 1, out.BaseColor[3]};
    }
    scene.Materials.push_back(out);
    return materialById[key] = static_cast<int32_t>(scene.Materials.size() - 1);
}

// ---- Meshes ----------------------------------------------------------------------------------

// Where the file places the mesh, or (local) its own frame under the keyframer's node.
static Frame frameFor(const SceneBuilder& b, const TGL3dsMesh& source, bool local) {
    return local ? localFrame(meshToLocal(source, masterScaleOf(b.model)))
                 : frameOf(b.model, source, b.options.Scale);
}

// The corners of a mesh's faces as output vertex indices, run by run: each corner's normal found
// (a 3DS mesh's from its smoothing groups, another's its own), the pair split off where it is new.
class CornerWalk {
  public:
    CornerWalk(const TGL3dsMesh& source, bool smoothed, bool turn)
        : FSource(source), FVertices(vertexCount(source)), FSplit(FVertices), FTurn(turn) {
        if (smoothed) FSmooth.emplace(source), FShared.assign(FVertices, -1);
        FChecked = !allCornersBelow(source.FIndices.data(), cornerCount(source), FVertices);
    }

    // Faces first .. end - 1 onto `indices`, each counter-clockwise in the output; faces naming a
    // vertex that does not exist are left out.
    void run(size_t first, size_t end, std::vector<uint32_t>& indices) {
        if (FChecked)
            faces<true>(first, end, indices);
        else
            faces<false>(first, end, indices);
    }
    const std::vector<VertexSplitter::Vertex>& vertices() const { return FSplit.vertices(); }

  private:
    template <bool Checked>
    void faces(size_t first, size_t end, std::vector<uint32_t>& indices) {
        const size_t b = FTurn ? 2 : 1, c = 3 - b;
        for (size_t f = first; f < end; ++f) {
            if (Checked && !faceIsValid(FSource, 3 * f, FVertices)) continue;
            const uint16_t* corner = &FSource.FIndices[3 * f];
            if (!FSmooth) {
                for (size_t k : {size_t{0}, b, c})
                    indices.push_back(FSplit.find(corner[k], fileCornerNormal(FSource, 3 * f + k)));
                continue;
            }
            const uint32_t groups = FSmooth->groupsOf(f);
            indices.push_back(smoothCorner(f, groups, corner[0]));
            indices.push_back(smoothCorner(f, groups, corner[b]));
            indices.push_back(smoothCorner(f, groups, corner[c]));
        }
    }
    uint32_t smoothCorner(size_t f, uint32_t groups, uint16_t v) {
        if (groups == 0) return FSplit.find(v, FSmooth->face(f));
        if (!FSmooth->plainAt(v)) return FSplit.find(v, FSmooth->mixed(v, groups));
        if (FShared[v] < 0) FShared[v] = int32_t(FSplit.find(v, FSmooth->plain(v)));
        return uint32_t(FShared[v]);
    }

    const TGL3dsMesh& FSource;
    size_t FVertices;
    VertexSplitter FSplit;
    bool FTurn, FChecked = false;
    std::optional<SmoothNormals> FSmooth;
    std::vector<int32_t> FShared;  // the output vertex of each vertex's plain normal, -1 before it has one
};

// The geometry of library mesh `source` placed by `frame`: corners grouped by material key (the
// model's material id, SIZE_MAX for one naming none) in order of first use, vertices split where
// normals differ. Reads the model and changes nothing, so that meshes can be made side by side.
static SceneBuilder::Geometry geometry(const SceneBuilder& b, const TGL3dsMesh& source, const Frame& frame) {
    const size_t faces = cornerCount(source) / 3;
    SceneBuilder::Geometry g;
    TGltfMesh& out = g.Mesh;
    out.Name = Cp1252ToUtf8(source.FName);
    // The library's triangles are clockwise; where the frame does not mirror them, turned round.
    CornerWalk walk(source, b.model.FType == Mesh3DS, !frame.zUp);
    std::map<size_t, size_t> primitiveOf;
    const auto idOf = [&](size_t f) {
        return f < source.FMatID.size() ? size_t{source.FMatID[f]} : SIZE_MAX;
    };
    for (size_t f = 0, end; f < faces; f = end) {
        const size_t id = idOf(f);
        for (end = f + 1; end < faces && idOf(end) == id;) ++end;
        const size_t key = materialAt(b.model, id) ? id : SIZE_MAX;
        const auto [it, fresh] = primitiveOf.try_emplace(key, out.Primitives.size());
        if (fresh) out.Primitives.push_back({int32_t(g.Keys.size()), {}}), g.Keys.push_back(key);
        // Most meshes hold one run: room for the rest of the corners in the first.
        if (fresh && out.Primitives.size() == 1) out.Primitives[0].Indices.reserve(3 * (faces - f));
        walk.run(f, end, out.Primitives[it->second].Indices);
    }
    // A run whose faces all name missing vertices adds nothing.
    for (size_t p = out.Primitives.size(); p-- > 0;)
        if (out.Primitives[p].Indices.empty())
            out.Primitives.erase(out.Primitives.begin() + ptrdiff_t(p)),
                g.Keys.erase(g.Keys.begin() + ptrdiff_t(p));
    for (size_t p = 0; p < out.Primitives.size(); ++p) out.Primitives[p].Material = int32_t(p);
    vertexArrays(b, source, frame, walk.vertices(), out);
    return g;
}

// The geometry of every mesh that is not skinned, made over the machine's cores before the scene
// takes them one by one; `placedByKeyframer` names those the keyframer places in their own frame.
void SceneBuilder::prepare(const std::vector<bool>& placedByKeyframer) {
    std::vector<const TGL3dsMesh*> jobs;
    size_t faces = 0;
    for (size_t i = 0; i < meshCount(model); ++i) {
        const TGL3dsMesh* m = model.FMesh[i];
        if (!m || cornerCount(*m) == 0 || meshIsSkinned(*m) || prepared.count(m)) continue;
        jobs.push_back(m), faces += cornerCount(*m) / 3;
        prepared[m].Local = i < placedByKeyframer.size() && placedByKeyframer[i];
    }
    if (faces < facesPerThread) {
        prepared.clear();
        return;
    }
    std::sort(jobs.begin(), jobs.end(), [](auto a, auto b) { return cornerCount(*a) > cornerCount(*b); });
    parallelFor(jobs.size(), [&](size_t j) {
        Geometry& g = prepared.at(jobs[j]);
        const bool local = g.Local;
        g = geometry(*this, *jobs[j], frameFor(*this, *jobs[j], local));
        g.Local = local;
    });
}

// One glTF mesh from library mesh `source`, where the file places it or in its own frame (local),
// its materials made in order of first use.
int32_t SceneBuilder::mesh(const TGL3dsMesh& source, bool local) {
    const auto made = prepared.find(&source);
    Geometry g = made != prepared.end() && made->second.Local == local
                     ? std::move(made->second)
                     : geometry(*this, source, frameFor(*this, source, local));
    if (made != prepared.end()) prepared.erase(made);
    bool textured = false;
    for (TGltfPrimitive& p : g.Mesh.Primitives) {
        p.Material = material(g.Keys[size_t(p.Material)]);
        textured |= scene.Materials[size_t(p.Material)].Image >= 0;
    }
    if (!textured) g.Mesh.TexCoords.clear();
    scene.Meshes.push_back(std::move(g.Mesh));
    return static_cast<int32_t>(scene.Meshes.size() - 1);
}

}  // namespace vtrl3ds_internal
