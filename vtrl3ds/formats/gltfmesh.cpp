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
#include "vtrl3ds/private/compat.h"
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
// precision (as the library's are) is kept as it is; one of ordinary length is scaled in single
// precision, a very short or long one in double.
inline std::array<float, 3> unit(std::array<float, 3> n) {
    const float f = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (f > 0.99999f && f < 1.00001f) return n;
    if (f > 1e-30f && f < 1e30f) {
        const float inverse = 1 / std::sqrt(f);
        return {n[0] * inverse, n[1] * inverse, n[2] * inverse};
    }
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
    float local[12]{};   // column-major 3x4
    float normals[9]{};  // column-major 3x3

    std::array<float, 3> position(const T3dpoint& p) const {
        if (affine) return mapped(local, p, local[9], local[10], local[11]);
        const float x = p.X + pivot.X, y = p.Y + pivot.Y, z = p.Z + pivot.Z;
        return {finite(x * scale), finite(y * scale), finite((zUp ? -z : z) * scale)};
    }
    std::array<float, 3> normal(const T3dpoint& n) const {
        if (affine) return mapped(normals, n, 0, 0, 0);
        return {finite(n.X), finite(n.Y), finite(zUp ? -n.Z : n.Z)};
    }
    // The 3x3 matrix m (column-major) applied to p, plus (x, y, z).
    static std::array<float, 3> mapped(const float* m, const T3dpoint& p, float x, float y, float z) {
        return {finite(m[0] * p.X + m[3] * p.Y + m[6] * p.Z + x),
                finite(m[1] * p.X + m[4] * p.Y + m[7] * p.Z + y),
                finite(m[2] * p.X + m[5] * p.Y + m[8] * p.Z + z)};
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
    double a[12];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 3; ++r)
            a[3 * c + r] = m[size_t(4 * c + r)], f.local[3 * c + r] = float(a[3 * c + r]);
    // Cofactors of the 3x3 part; over the determinant they are the inverse transpose.
    const double cof[9] = {a[4] * a[8] - a[5] * a[7], a[5] * a[6] - a[3] * a[8], a[3] * a[7] - a[4] * a[6],
                           a[2] * a[7] - a[1] * a[8], a[0] * a[8] - a[2] * a[6], a[1] * a[6] - a[0] * a[7],
                           a[1] * a[5] - a[2] * a[4], a[2] * a[3] - a[0] * a[5], a[0] * a[4] - a[1] * a[3]};
    const double det = a[0] * cof[0] + a[1] * cof[1] + a[2] * cof[2];
    f.zUp = det < 0;
    const bool flat = !std::isfinite(det) || std::fabs(det) < 1e-30;
    double n[9];
    for (int i = 0; i < 9; ++i) n[i] = flat ? (i % 4 == 0 ? 1 : 0) : cof[i] / det;
    // A turn times one scale (the usual mesh frame) maps unit normals to one length: divided by
    // it, the normals come out unit and need no scaling each.
    const auto column = [&](int c, int d) {
        return n[3 * c] * n[3 * d] + n[3 * c + 1] * n[3 * d + 1] + n[3 * c + 2] * n[3 * d + 2];
    };
    const double length2 = column(0, 0);
    const bool similar =
        length2 > 0 && std::isfinite(length2) && std::fabs(column(1, 1) - length2) < 1e-9 * length2 &&
        std::fabs(column(2, 2) - length2) < 1e-9 * length2 && std::fabs(column(0, 1)) < 1e-9 * length2 &&
        std::fabs(column(0, 2)) < 1e-9 * length2 && std::fabs(column(1, 2)) < 1e-9 * length2;
    const double unitScale = similar ? 1 / std::sqrt(length2) : 1;
    for (int i = 0; i < 9; ++i) f.normals[i] = float(n[i] * unitScale);
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

    // Room for `expected` output vertices.
    VertexSplitter(size_t vertices, size_t expected) : FHead(vertices, -1) { FVertices.reserve(expected); }

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
    const auto found = mapFiles.find(material.FFileName);
    const std::string path =
        found != mapFiles.end() ? found->second : ResolveTextureFile(model.FName, material.FFileName);
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
// A 3DS vertex whose faces with groups share their groups is one output vertex with its plain
// normal: those come first, in the mesh's vertex order, the vertices split off after them.
class CornerWalk {
  public:
    CornerWalk(const TGL3dsMesh& source, bool smoothed, bool turn)
        : FSource(source),
          FVertices(vertexCount(source)),
          // A 3DS mesh's vertices with one normal never reach the splitter.
          FSplit(FVertices, smoothed ? 0 : FVertices + FVertices / 8 + 16),
          FTurn(turn) {
        if (!smoothed) {
            FChecked = !allCornersBelow(source.FIndices.data(), cornerCount(source), FVertices);
            return;
        }
        FSmooth.emplace(source);
        FChecked = !FSmooth->allCornersValid();
        FShared.resize(FVertices), FPlain.resize(FVertices);
        size_t plain = 0;
        for (size_t v = 0; v < FVertices; ++v) {
            const bool has = FSmooth->hasPlain(uint16_t(v));
            FShared[v] = has ? int32_t(plain) : -1;
            FPlain[plain] = uint16_t(v);
            plain += has;
        }
        FPlain.resize(plain);
    }

    // Faces first .. end - 1 onto `indices`, each counter-clockwise in the output; faces naming a
    // vertex that does not exist are left out. 16-bit indices (Index uint16_t) hold the low bits
    // of larger ones. Walking faces again gives the same indices (every pair is known by then).
    template <typename Index>
    void run(size_t first, size_t end, std::vector<Index>& indices) {
        const size_t at = indices.size();
        indices.resize(at + 3 * (end - first));
        Index* out = indices.data() + at;
        if (FChecked)
            out = FTurn ? faces<true, true>(first, end, out) : faces<true, false>(first, end, out);
        else
            out = FTurn ? faces<false, true>(first, end, out) : faces<false, false>(first, end, out);
        indices.resize(size_t(out - indices.data()));
    }

    // The output vertices: first those with their plain normal (plainVertices(), the normal
    // plainNormal(v)), then the ones split off (vertices()).
    size_t count() const { return FPlain.size() + FSplit.vertices().size(); }
    const std::vector<uint16_t>& plainVertices() const { return FPlain; }
    const T3dpoint& plainNormal(uint16_t v) const { return FSmooth->plain(v); }
    const T3dpoint* plainNormals() const { return FSmooth->plainNormals(); }
    const std::vector<VertexSplitter::Vertex>& vertices() const { return FSplit.vertices(); }
    // The library vertex of output vertex i.
    uint16_t sourceOf(size_t i) const {
        return i < FPlain.size() ? FPlain[i] : FSplit.vertices()[i - FPlain.size()].vertex;
    }

  private:
    template <bool Checked, bool Turn, typename Index>
    Index* faces(size_t first, size_t end, Index* out) {
        constexpr size_t b = Turn ? 2 : 1, c = 3 - b;
        const uint16_t* index = FSource.FIndices.data();
        if (!FSmooth) {
            for (size_t f = first; f < end; ++f) {
                if (Checked && !faceIsValid(FSource, 3 * f, FVertices)) continue;
                for (size_t k : {size_t{0}, b, c})
                    *out++ = Index(FSplit.find(index[3 * f + k], fileCornerNormal(FSource, 3 * f + k)));
            }
            return out;
        }
        const int32_t* shared = FShared.data();
        for (size_t f = first; f < end; ++f) {
            if (Checked && !faceIsValid(FSource, 3 * f, FVertices)) continue;
            const uint16_t* corner = index + 3 * f;
            const uint32_t groups = FSmooth->groupsOf(f);
            if (groups == 0) {
                for (size_t k : {size_t{0}, b, c}) *out++ = Index(split(corner[k], FSmooth->face(f)));
                continue;
            }
            const uint16_t v[3] = {corner[0], corner[b], corner[c]};
            const int32_t plain[3] = {shared[v[0]], shared[v[1]], shared[v[2]]};
            if ((plain[0] | plain[1] | plain[2]) >= 0) {
                out[0] = Index(plain[0]), out[1] = Index(plain[1]), out[2] = Index(plain[2]);
                out += 3;
                continue;
            }
            for (size_t k = 0; k < 3; ++k)
                *out++ =
                    Index(plain[k] >= 0 ? uint32_t(plain[k]) : split(v[k], FSmooth->mixed(v[k], groups)));
        }
        return out;
    }
    // The output vertex of vertex v with normal n: its plain one where the normals are equal.
    uint32_t split(uint16_t v, const T3dpoint& n) {
        if (FShared[v] >= 0 && std::memcmp(&FSmooth->plain(v), &n, sizeof n) == 0)
            return uint32_t(FShared[v]);
        return uint32_t(FPlain.size()) + FSplit.find(v, n);
    }

    const TGL3dsMesh& FSource;
    size_t FVertices;
    VertexSplitter FSplit;
    bool FTurn, FChecked = false;
    std::optional<SmoothNormals> FSmooth;
    std::vector<int32_t> FShared;  // per vertex, its output vertex with the plain normal, or -1
    std::vector<uint16_t> FPlain;  // the vertices with a plain normal, in order
};

// Where the output vertices' positions, normals and texture coordinates go (x, y, z and u, v).
struct VertexOut {
    float *positions, *normals, *texCoords;
    size_t count;
    void position(size_t i, const std::array<float, 3>& p) const {
        std::memcpy(positions + 3 * i, p.data(), 12);
    }
    void normal(size_t i, const std::array<float, 3>& n) const { std::memcpy(normals + 3 * i, n.data(), 12); }
};

#if defined(VTRL3DS_LANES)

// finite() of each lane.
inline __m128 finiteLanes(__m128 v) {
    return _mm_and_ps(_mm_cmpeq_ps(_mm_sub_ps(v, v), _mm_setzero_ps()), v);
}

// Frame::mapped of four points: the 3x3 matrix m, plus (x, y, z).
inline Axes mappedLanes(const float* m, const Axes& p, __m128 x, __m128 y, __m128 z) {
    const auto row = [&](int r, __m128 add) {
        const __m128 sum =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(m[r]), p.x), _mm_mul_ps(_mm_set1_ps(m[3 + r]), p.y)),
                       _mm_mul_ps(_mm_set1_ps(m[6 + r]), p.z));
        return finiteLanes(_mm_add_ps(sum, add));
    };
    return {row(0, x), row(1, y), row(2, z)};
}

// Four points (x, y, z and a spare lane each, in r) as 12-byte triples at out; the fourth written
// exactly when nothing follows it.
inline void storeTriples(float* out, const __m128 (&r)[4], bool exactLast) {
    _mm_storeu_ps(out, r[0]), _mm_storeu_ps(out + 3, r[1]), _mm_storeu_ps(out + 6, r[2]);
    if (!exactLast) return _mm_storeu_ps(out + 9, r[3]);
    _mm_storel_pi(reinterpret_cast<__m64*>(out + 9), r[3]);
    _mm_store_ss(out + 11, _mm_movehl_ps(r[3], r[3]));
}

// Positions and normals of the vertices with a plain normal, four at a time, each lane the
// result of Frame::position and unit(Frame::normal); returns how many were placed (a lane whose
// normal needs double precision is finished one by one).
template <bool Affine>
size_t placeLanes(const Frame& f, const std::vector<T3dpoint>& places, const T3dpoint* normals,
                  size_t normalCount, const std::vector<uint16_t>& vertices, const VertexOut& out) {
    const size_t n = vertices.size() & ~size_t{3};
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
    for (size_t i = 0; i < n; i += 4) {
        const uint16_t* v = &vertices[i];
        const auto load = [&](const T3dpoint* a, size_t count) {
            return axes(loadPoint(a, v[0], count), loadPoint(a, v[1], count), loadPoint(a, v[2], count),
                        loadPoint(a, v[3], count));
        };
        const Axes p = load(places.data(), places.size()), m = load(normals, normalCount);
        Axes place, normal;
        if (Affine) {
            place = mappedLanes(f.local, p, _mm_set1_ps(f.local[9]), _mm_set1_ps(f.local[10]),
                                _mm_set1_ps(f.local[11]));
            normal = mappedLanes(f.normals, m, zero, zero, zero);
        } else {
            const __m128 scale = _mm_set1_ps(f.scale), flip = _mm_set1_ps(f.zUp ? -0.0f : 0.0f);
            place = {
                finiteLanes(_mm_mul_ps(_mm_add_ps(p.x, _mm_set1_ps(f.pivot.X)), scale)),
                finiteLanes(_mm_mul_ps(_mm_add_ps(p.y, _mm_set1_ps(f.pivot.Y)), scale)),
                finiteLanes(_mm_mul_ps(_mm_xor_ps(_mm_add_ps(p.z, _mm_set1_ps(f.pivot.Z)), flip), scale))};
            normal = {finiteLanes(m.x), finiteLanes(m.y), finiteLanes(_mm_xor_ps(m.z, flip))};
        }
        // unit(): kept where already unit, scaled in single precision where of ordinary length.
        const __m128 length2 = dot(normal, normal);
        const __m128 keep = _mm_and_ps(_mm_cmpgt_ps(length2, _mm_set1_ps(0.99999f)),
                                       _mm_cmplt_ps(length2, _mm_set1_ps(1.00001f)));
        const __m128 ordinary =
            _mm_and_ps(_mm_cmpgt_ps(length2, _mm_set1_ps(1e-30f)), _mm_cmplt_ps(length2, _mm_set1_ps(1e30f)));
        __m128 r[4];
        points(place, r);
        storeTriples(out.positions + 3 * i, r, i + 4 >= out.count);
        if (_mm_movemask_ps(keep) != 15) {
            const __m128 inverse = _mm_div_ps(one, _mm_sqrt_ps(length2));
            normal = select(keep, normal,
                            {_mm_mul_ps(normal.x, inverse), _mm_mul_ps(normal.y, inverse),
                             _mm_mul_ps(normal.z, inverse)});
        }
        points(normal, r);
        storeTriples(out.normals + 3 * i, r, i + 4 >= out.count);
        const int odd = _mm_movemask_ps(_mm_or_ps(keep, ordinary)) ^ 15;
        for (int k = 0; k < 4; ++k)
            if (odd & (1 << k)) out.normal(i + size_t(k), unit(f.normal(normals[v[k]])));
    }
    return n;
}

#endif

// Positions and normals of the walk's output vertices, placed by the frame (Affine: frame.affine).
template <bool Affine>
void placeVertices(const Frame& frame, const TGL3dsMesh& source, const TGLSkeleton* skeleton,
                   const CornerWalk& walk, const VertexOut& out) {
    Frame f = frame;
    f.affine = Affine;
    const auto place = [&](size_t i, uint16_t v, const T3dpoint& normal) {
        out.position(i, f.position(skeleton ? bindPosition(source, skeleton, v) : source.FVertex[v]));
        out.normal(i, unit(f.normal(normal)));
    };
    size_t i = 0;
    const std::vector<uint16_t>& plain = walk.plainVertices();
#if defined(VTRL3DS_LANES)
    if (!skeleton)
        i = placeLanes<Affine>(f, source.FVertex, walk.plainNormals(), vertexCount(source), plain, out);
#endif
    for (; i < plain.size(); ++i) place(i, plain[i], walk.plainNormal(plain[i]));
    for (const VertexSplitter::Vertex& s : walk.vertices()) place(i++, s.vertex, s.normal);
}

// The output vertices' arrays: places, normals, texture coordinates (V counted from the top) and
// joints where the mesh has them; for a scene made to be written, the first three in the extras'
// array (made without being cleared first) with the box of the positions.
void vertexArrays(const SceneBuilder& b, const TGL3dsMesh& source, const Frame& frame, const CornerWalk& walk,
                  TGltfMesh& out, GltfMeshExtras& extras) {
    const size_t n = walk.count();
    const bool mapped = source.FMapping.size() >= vertexCount(source);
    VertexOut to{nullptr, nullptr, nullptr, n};
    if (b.extras) {
        extras.Count = n, extras.HasTexCoords = mapped;
        extras.Vertices = uninitialisedArray<float>(n * (mapped ? 8 : 6));
        to.positions = extras.Vertices.get(), to.normals = to.positions + 3 * n;
        if (mapped) to.texCoords = to.normals + 3 * n;
    } else {
        out.Positions.resize(n), out.Normals.resize(n);
        if (mapped) out.TexCoords.resize(n);
        to.positions = reinterpret_cast<float*>(out.Positions.data());
        to.normals = reinterpret_cast<float*>(out.Normals.data());
        to.texCoords = mapped ? reinterpret_cast<float*>(out.TexCoords.data()) : nullptr;
    }
    if (frame.affine)
        placeVertices<true>(frame, source, b.skeleton, walk, to);
    else
        placeVertices<false>(frame, source, b.skeleton, walk, to);
    if (mapped) {
        float* t = to.texCoords;
        const auto put = [&](uint16_t v) {
            const auto& m = source.FMapping[v];
            *t++ = finite(m.tu), *t++ = finite(1 - m.tv);
        };
        for (uint16_t v : walk.plainVertices()) put(v);
        for (const VertexSplitter::Vertex& s : walk.vertices()) put(s.vertex);
    }
    if (b.meshIsSkinned(source)) {
        out.Joints.resize(n);
        for (size_t i = 0; i < n; ++i) out.Joints[i] = b.jointOfVertex(source, walk.sourceOf(i));
    }
    if (b.extras) {
        float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
        positionBox(to.positions, n, lo, hi);
        extras.HasBox = true;
        for (size_t i = 0; i < 3; ++i) extras.Low[i] = lo[i], extras.High[i] = hi[i];
    }
}

// The end of the run of equal ids starting at `first`, at most `end`.
static size_t runEnd(const std::vector<uint16_t>& ids, size_t first, size_t end) {
    const uint16_t id = ids[first];
    size_t f = first + 1;
#if defined(VTRL3DS_LANES)
    const __m128i same = _mm_set1_epi16(static_cast<short>(id));
    for (; f + 8 <= end; f += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&ids[f]));
        const int equal = _mm_movemask_epi8(_mm_cmpeq_epi16(eight, same));
        if (equal != 0xFFFF) return f + size_t(__builtin_ctz(unsigned(~equal))) / 2;
    }
#endif
    while (f < end && ids[f] == id) ++f;
    return f;
}

// The geometry of library mesh `source` placed by `frame`: corners grouped by material key (the
// model's material id, SIZE_MAX for one naming none) in order of first use, vertices split where
// normals differ; for a scene made to be written (shortIndices), 16-bit indices where they fit and
// the box of the positions. Reads the model and changes nothing, so that meshes can be made side
// by side.
static SceneBuilder::Geometry geometry(const SceneBuilder& b, const TGL3dsMesh& source, const Frame& frame,
                                       bool shortIndices) {
    const size_t faces = cornerCount(source) / 3;
    SceneBuilder::Geometry g;
    TGltfMesh& out = g.Mesh;
    std::vector<std::vector<uint16_t>>& shorts = g.Extras.ShortIndices;
    out.Name = Cp1252ToUtf8(source.FName);
    // The library's triangles are clockwise; where the frame does not mirror them, turned round.
    CornerWalk walk(source, b.model.FType == Mesh3DS, !frame.zUp);
    const auto idOf = [&](size_t f) {
        return f < source.FMatID.size() ? size_t{source.FMatID[f]} : SIZE_MAX;
    };
    const auto walkRuns = [&] {
        std::map<size_t, size_t> primitiveOf;
        out.Primitives.clear(), g.Keys.clear(), shorts.clear();
        for (size_t f = 0, end; f < faces; f = end) {
            const size_t id = idOf(f);
            end = id == SIZE_MAX ? faces : runEnd(source.FMatID, f, std::min(faces, source.FMatID.size()));
            const size_t key = materialAt(b.model, id) ? id : SIZE_MAX;
            const auto [it, fresh] = primitiveOf.try_emplace(key, out.Primitives.size());
            if (fresh) {
                out.Primitives.push_back({int32_t(g.Keys.size()), {}}), g.Keys.push_back(key);
                if (shortIndices) shorts.emplace_back();
            }
            // Most meshes hold one run: room for the rest of the corners in the first.
            const bool first = fresh && out.Primitives.size() == 1;
            if (shortIndices) {
                if (first) shorts[0].reserve(3 * (faces - f));
                walk.run(f, end, shorts[it->second]);
            } else {
                if (first) out.Primitives[0].Indices.reserve(3 * (faces - f));
                walk.run(f, end, out.Primitives[it->second].Indices);
            }
        }
    };
    walkRuns();
    // 65,535 vertices or more: the faces again, with 32-bit indices.
    if (shortIndices && walk.count() >= 65535) shortIndices = false, walkRuns();
    // A run whose faces all name missing vertices adds nothing.
    for (size_t p = out.Primitives.size(); p-- > 0;)
        if (shortIndices ? shorts[p].empty() : out.Primitives[p].Indices.empty()) {
            out.Primitives.erase(out.Primitives.begin() + ptrdiff_t(p));
            g.Keys.erase(g.Keys.begin() + ptrdiff_t(p));
            if (shortIndices) shorts.erase(shorts.begin() + ptrdiff_t(p));
        }
    for (size_t p = 0; p < out.Primitives.size(); ++p) out.Primitives[p].Material = int32_t(p);
    vertexArrays(b, source, frame, walk, out, g.Extras);
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
    // The first task looks for the texture maps' files (a folder can be long to list).
    parallelFor(jobs.size() + 1, [&](size_t task) {
        if (task == 0) {
            if (options.Textures)
                for (const TGL3dsMaterial* m : model.FMaterial)
                    if (m && m->FHasTextureMap && !m->FFileName.empty() && !mapFiles.count(m->FFileName))
                        mapFiles[m->FFileName] = ResolveTextureFile(model.FName, m->FFileName);
            return;
        }
        const size_t j = task - 1;
        Geometry& g = prepared.at(jobs[j]);
        const bool local = g.Local;
        g = geometry(*this, *jobs[j], frameFor(*this, *jobs[j], local), extras != nullptr);
        g.Local = local;
    });
}

// One glTF mesh from library mesh `source`, where the file places it or in its own frame (local),
// its materials made in order of first use.
int32_t SceneBuilder::mesh(const TGL3dsMesh& source, bool local) {
    const auto made = prepared.find(&source);
    Geometry g = made != prepared.end() && made->second.Local == local
                     ? std::move(made->second)
                     : geometry(*this, source, frameFor(*this, source, local), extras != nullptr);
    if (made != prepared.end()) prepared.erase(made);
    bool textured = false;
    for (TGltfPrimitive& p : g.Mesh.Primitives) {
        p.Material = material(g.Keys[size_t(p.Material)]);
        textured |= scene.Materials[size_t(p.Material)].Image >= 0;
    }
    if (!textured) g.Mesh.TexCoords.clear(), g.Extras.HasTexCoords = false;
    scene.Meshes.push_back(std::move(g.Mesh));
    if (extras) extras->push_back(std::move(g.Extras));
    return static_cast<int32_t>(scene.Meshes.size() - 1);
}

}  // namespace vtrl3ds_internal
