// glTF export, the files: a scene description laid out as one binary buffer (4-byte aligned views,
// typed accessors with the bounds readers need) and a JSON document, written as one .glb or as a
// .gltf with its .bin and images beside it. Files appear complete or not at all; a file that
// cannot be written raises EFileError with the system's error number.
#include <unistd.h>
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <fcntl.h>
#include <sys/uio.h>
#endif

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/private/json.h"
#include "vtrl3ds/private/lanes.h"

using vtrl3ds_internal::GltfMeshExtras;
using vtrl3ds_internal::JsonWriter;
using vtrl3ds_internal::positionBox;
using vtrl3ds_internal::uninitialisedArray;
using vtrl3ds_internal::writeScene;

namespace {

constexpr uint32_t arrayBuffer = 34962, elementArrayBuffer = 34963;
constexpr uint32_t u8 = 5121, u16 = 5123, u32 = 5125, f32 = 5126;

// Bytes to write, one piece after the other.
struct Piece {
    const void* bytes;
    size_t size;
};

// The binary buffer and the JSON arrays that describe it, filled side by side. The buffer is a
// list of pieces: the scene's own arrays where they go out as they are (the scene outlives the
// writing), and buffers of the layout's own for what is converted on the way.
struct Layout {
    std::vector<Piece> bin;
    size_t binSize = 0;
    std::vector<std::unique_ptr<uint8_t[]>> owned;
    JsonWriter views, accessors;
    int32_t viewCount = 0, accessorCount = 0;
    bool embedImages = true;

    // Zeros up to the next multiple of 4 bytes.
    void align() {
        static constexpr uint8_t zeros[4] = {0, 0, 0, 0};
        if (binSize % 4) bin.push_back({zeros, 4 - binSize % 4}), binSize += 4 - binSize % 4;
    }

    // A new view of `bytes` bytes at the end of the buffer (4-byte aligned): `data` as it is, or
    // (data null) a buffer of the layout's own to be filled at the returned place.
    int32_t view(const void* data, size_t bytes, uint32_t target, uint8_t** place = nullptr) {
        align();
        views.beginObject().field("buffer", 0).field("byteOffset", binSize).field("byteLength", bytes);
        if (target) views.field("target", target);
        views.endObject();
        if (!data) {
            owned.push_back(uninitialisedArray<uint8_t>(bytes));
            data = owned.back().get();
            if (place) *place = owned.back().get();
        }
        bin.push_back({data, bytes});
        binSize += bytes;
        return viewCount++;
    }

    // An accessor over view `v` of `count` elements of `type` (SCALAR, VEC2 ...).
    int32_t accessor(int32_t v, size_t count, uint32_t component, const char* type,
                     const float* min = nullptr, const float* max = nullptr, int dims = 0) {
        accessors.beginObject()
            .field("bufferView", v)
            .field("componentType", component)
            .field("count", count);
        accessors.field("type", type);
        if (min) {
            accessors.key("min").beginArray();
            for (int i = 0; i < dims; ++i) accessors.value(min[i]);
            accessors.endArray().key("max").beginArray();
            for (int i = 0; i < dims; ++i) accessors.value(max[i]);
            accessors.endArray();
        }
        accessors.endObject();
        return accessorCount++;
    }

    // An accessor over a new view of `data` as stored (the scene's own array).
    template <typename T>
    int32_t accessor(const std::vector<T>& data, size_t count, uint32_t component, const char* type,
                     uint32_t target, const float* min = nullptr, const float* max = nullptr, int dims = 0) {
        return accessor(view(data.data(), data.size() * sizeof(T), target), count, component, type, min, max,
                        dims);
    }
    // The same for an array made for the writing, copied into the layout's own buffer.
    template <typename T>
    int32_t copiedAccessor(const std::vector<T>& data, size_t count, uint32_t component, const char* type,
                           uint32_t target) {
        uint8_t* place = nullptr;
        const int32_t v = view(nullptr, data.size() * sizeof(T), target, &place);
        if (!data.empty()) std::memcpy(place, data.data(), data.size() * sizeof(T));
        return accessor(v, count, component, type);
    }
};

}  // namespace

namespace vtrl3ds_internal {

void positionBox(const float* positions, size_t count, float (&lo)[3], float (&hi)[3]) {
    size_t i = 0;
#if defined(VTRL3DS_LANES)
    // minps and maxps keep their second operand unless the first is smaller (larger): std::min and
    // std::max with the arguments turned round, point by point in order.
    if (count > 1) {
        __m128 low = _mm_setr_ps(lo[0], lo[1], lo[2], 0), high = _mm_setr_ps(hi[0], hi[1], hi[2], 0);
        for (; i + 1 < count; ++i) {
            const __m128 p = _mm_loadu_ps(positions + 3 * i);  // the fourth lane is the next X
            low = _mm_min_ps(p, low), high = _mm_max_ps(p, high);
        }
        float l[4], h[4];
        _mm_storeu_ps(l, low), _mm_storeu_ps(h, high);
        for (size_t k = 0; k < 3; ++k) lo[k] = l[k], hi[k] = h[k];
    }
#endif
    for (; i < count; ++i)
        for (size_t k = 0; k < 3; ++k)
            lo[k] = std::min(lo[k], positions[3 * i + k]), hi[k] = std::max(hi[k], positions[3 * i + k]);
}

}  // namespace vtrl3ds_internal

namespace {

// Indices as 16-bit values when every one fits below 65535 (the primitive-restart value), else 32-bit.
int32_t indexAccessor(Layout& l, const std::vector<uint32_t>& indices, size_t vertices) {
    if (vertices < 65535) {
        uint8_t* out = nullptr;
        const int32_t v = l.view(nullptr, indices.size() * 2, elementArrayBuffer, &out);
        for (size_t i = 0; i < indices.size(); ++i) {
            const auto small = static_cast<uint16_t>(indices[i]);
            std::memcpy(out + 2 * i, &small, 2);
        }
        return l.accessor(v, indices.size(), u16, "SCALAR");
    }
    return l.accessor(indices, indices.size(), u32, "SCALAR", elementArrayBuffer);
}

// The scene's vertex arrays are read as plain floats.
static_assert(sizeof(std::array<float, 3>) == 12 && sizeof(std::array<float, 2>) == 8);

void writeMesh(Layout& l, JsonWriter& meshes, const TGltfMesh& mesh, size_t joints,
               const GltfMeshExtras* extras) {
    float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    if (extras && extras->HasBox)
        for (size_t i = 0; i < 3; ++i) lo[i] = extras->Low[i], hi[i] = extras->High[i];
    else
        positionBox(reinterpret_cast<const float*>(mesh.Positions.data()), mesh.Positions.size(), lo, hi);
    // The vertices where they are: the mesh's arrays, or the extras' one.
    const bool packed = extras && extras->Vertices;
    const size_t n = packed ? extras->Count : mesh.Positions.size();
    const float* positions =
        packed ? extras->Vertices.get() : reinterpret_cast<const float*>(mesh.Positions.data());
    const float* normals = packed ? positions + 3 * n : reinterpret_cast<const float*>(mesh.Normals.data());
    const bool mapped = packed ? extras->HasTexCoords : !mesh.TexCoords.empty();
    const float* texCoords = packed ? normals + 3 * n : reinterpret_cast<const float*>(mesh.TexCoords.data());
    const int32_t position = l.accessor(l.view(positions, 12 * n, arrayBuffer), n, f32, "VEC3", lo, hi, 3);
    const int32_t normal = l.accessor(l.view(normals, 12 * n, arrayBuffer), n, f32, "VEC3");
    const int32_t uv = mapped ? l.accessor(l.view(texCoords, 8 * n, arrayBuffer), n, f32, "VEC2") : -1;
    int32_t joint = -1, weight = -1;
    if (!mesh.Joints.empty()) {
        std::vector<float> weights(n * 4, 0);
        for (size_t v = 0; v < n; ++v) weights[4 * v] = 1;
        weight = l.copiedAccessor(weights, n, f32, "VEC4", arrayBuffer);
        if (joints <= 256) {
            std::vector<uint8_t> j(n * 4, 0);
            for (size_t v = 0; v < n; ++v) j[4 * v] = static_cast<uint8_t>(mesh.Joints[v]);
            joint = l.copiedAccessor(j, n, u8, "VEC4", arrayBuffer);
        } else {
            std::vector<uint16_t> j(n * 4, 0);
            for (size_t v = 0; v < n; ++v) j[4 * v] = mesh.Joints[v];
            joint = l.copiedAccessor(j, n, u16, "VEC4", arrayBuffer);
        }
    }
    meshes.beginObject().field("name", mesh.Name).key("primitives").beginArray();
    for (size_t k = 0; k < mesh.Primitives.size(); ++k) {
        const TGltfPrimitive& p = mesh.Primitives[k];
        const bool short16 = extras && k < extras->ShortIndices.size() && p.Indices.empty();
        const int32_t indices = short16 ? l.accessor(extras->ShortIndices[k], extras->ShortIndices[k].size(),
                                                     u16, "SCALAR", elementArrayBuffer)
                                        : indexAccessor(l, p.Indices, n);
        meshes.beginObject()
            .key("attributes")
            .beginObject()
            .field("POSITION", position)
            .field("NORMAL", normal);
        if (uv >= 0) meshes.field("TEXCOORD_0", uv);
        if (joint >= 0) meshes.field("JOINTS_0", joint).field("WEIGHTS_0", weight);
        meshes.endObject()
            .field("indices", indices)
            .field("material", p.Material)
            .field("mode", 4)
            .endObject();
    }
    meshes.endArray().endObject();
}

void writeMaterial(JsonWriter& j, const TGltfMaterial& m, bool textured) {
    j.beginObject().field("name", m.Name).key("pbrMetallicRoughness").beginObject();
    j.key("baseColorFactor").beginArray();
    for (float c : m.BaseColor) j.value(c);
    j.endArray().field("metallicFactor", 0).field("roughnessFactor", m.Roughness);
    if (textured) j.key("baseColorTexture").beginObject().field("index", m.Image).endObject();
    j.endObject();
    if (m.BaseColor[3] < 1) j.field("alphaMode", "BLEND");
    if (m.DoubleSided) j.field("doubleSided", true);
    j.endObject();
}

void writeNode(JsonWriter& j, const TGltfNode& n) {
    j.beginObject().field("name", n.Name);
    if (n.Mesh >= 0) j.field("mesh", n.Mesh);
    if (n.Skin >= 0) j.field("skin", n.Skin);
    if (n.Translation != std::array<float, 3>{0, 0, 0}) {
        j.key("translation").beginArray();
        for (float c : n.Translation) j.value(c);
        j.endArray();
    }
    if (n.Rotation != std::array<float, 4>{0, 0, 0, 1}) {
        j.key("rotation").beginArray();
        for (float c : n.Rotation) j.value(c);
        j.endArray();
    }
    if (n.Scale != std::array<float, 3>{1, 1, 1}) {
        j.key("scale").beginArray();
        for (float c : n.Scale) j.value(c);
        j.endArray();
    }
    if (!n.Children.empty()) {
        j.key("children").beginArray();
        for (int32_t c : n.Children) j.value(c);
        j.endArray();
    }
    j.endObject();
}

const char* pathName(TGltfChannel::TPath path) {
    switch (path) {
        case TGltfChannel::TPath::Translation:
            return "translation";
        case TGltfChannel::TPath::Scale:
            return "scale";
        case TGltfChannel::TPath::Rotation:
            break;
    }
    return "rotation";
}

void writeAnimation(Layout& l, JsonWriter& j, const TGltfAnimation& a) {
    JsonWriter samplers, channels;
    samplers.beginArray();
    channels.beginArray();
    int32_t count = 0, input = -1;
    const std::vector<float>* shared = nullptr;
    for (const TGltfChannel& c : a.Channels) {
        if (c.Times.empty()) continue;
        // Channels keyed at the same times share one input accessor.
        if (!shared || *shared != c.Times) {
            input =
                l.accessor(c.Times, c.Times.size(), f32, "SCALAR", 0, &c.Times.front(), &c.Times.back(), 1);
            shared = &c.Times;
        }
        const bool rotation = c.Path == TGltfChannel::TPath::Rotation;
        const int32_t output = l.accessor(c.Values, c.Times.size(), f32, rotation ? "VEC4" : "VEC3", 0);
        samplers.beginObject()
            .field("input", input)
            .field("output", output)
            .field("interpolation", "LINEAR")
            .endObject();
        channels.beginObject().field("sampler", count++).key("target").beginObject();
        channels.field("node", c.Node).field("path", pathName(c.Path)).endObject().endObject();
    }
    samplers.endArray();
    channels.endArray();
    j.beginObject()
        .field("name", a.Name)
        .key("samplers")
        .raw(samplers.text())
        .key("channels")
        .raw(channels.text())
        .endObject();
}

// A URI naming a file beside the document: every byte but the unreserved ones percent-encoded.
std::string fileUri(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name)
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~')
            out += char(c);
        else
            out += {'%', hex[c >> 4], hex[c & 15]};
    return out;
}

// The JSON document; images go into the buffer (embed) or are named by URI; `binUri` names the
// buffer's file, empty for the .glb's own binary chunk.
std::string document(const TGltfScene& s, Layout& l, const std::string& binUri,
                     const std::vector<GltfMeshExtras>* extras) {
    JsonWriter meshes, materials, nodes, skins, animations, images;
    meshes.beginArray();
    size_t joints = 0;
    for (const TGltfSkin& skin : s.Skins) joints = std::max(joints, skin.Joints.size());
    for (size_t m = 0; m < s.Meshes.size(); ++m)
        writeMesh(l, meshes, s.Meshes[m], joints, extras && m < extras->size() ? &(*extras)[m] : nullptr);
    meshes.endArray();
    materials.beginArray();
    for (const TGltfMaterial& m : s.Materials)
        writeMaterial(materials, m, m.Image >= 0 && size_t(m.Image) < s.Images.size());
    materials.endArray();
    nodes.beginArray();
    for (const TGltfNode& n : s.Nodes) writeNode(nodes, n);
    nodes.endArray();
    skins.beginArray();
    for (const TGltfSkin& k : s.Skins) {
        std::vector<float> ibm;
        for (const auto& m : k.InverseBindMatrices) ibm.insert(ibm.end(), m.begin(), m.end());
        const int32_t a = l.copiedAccessor(ibm, k.InverseBindMatrices.size(), f32, "MAT4", 0);
        skins.beginObject()
            .field("inverseBindMatrices", a)
            .field("skeleton", k.Skeleton)
            .key("joints")
            .beginArray();
        for (int32_t j : k.Joints) skins.value(j);
        skins.endArray().endObject();
    }
    skins.endArray();
    animations.beginArray();
    for (const TGltfAnimation& a : s.Animations) writeAnimation(l, animations, a);
    animations.endArray();
    images.beginArray();
    for (size_t i = 0; i < s.Images.size(); ++i) {
        images.beginObject();
        if (l.embedImages)
            images.field("bufferView", l.view(s.Images[i].Bytes.data(), s.Images[i].Bytes.size(), 0))
                .field("mimeType", s.Images[i].MimeType);
        else
            images.field("uri", fileUri(s.ImageNames[i]));
        images.endObject();
    }
    images.endArray();
    l.views.endArray();
    l.accessors.endArray();

    JsonWriter j;
    j.beginObject()
        .key("asset")
        .beginObject()
        .field("version", "2.0")
        .field("generator", "VTRL_3DS")
        .endObject();
    if (!s.Roots.empty()) {
        j.field("scene", 0).key("scenes").beginArray().beginObject().key("nodes").beginArray();
        for (int32_t r : s.Roots) j.value(r);
        j.endArray().endObject().endArray();
    }
    if (!s.Nodes.empty()) j.key("nodes").raw(nodes.text());
    if (!s.Meshes.empty()) j.key("meshes").raw(meshes.text());
    if (!s.Materials.empty()) j.key("materials").raw(materials.text());
    if (!s.Images.empty()) {
        j.key("images").raw(images.text());
        j.key("samplers").beginArray().beginObject().field("magFilter", 9729).field("minFilter", 9987);
        j.field("wrapS", 10497).field("wrapT", 10497).endObject().endArray();
        j.key("textures").beginArray();
        for (size_t i = 0; i < s.Images.size(); ++i)
            j.beginObject().field("sampler", 0).field("source", i).endObject();
        j.endArray();
    }
    if (!s.Skins.empty()) j.key("skins").raw(skins.text());
    if (!s.Animations.empty()) j.key("animations").raw(animations.text());
    if (l.binSize > 0) {
        j.key("buffers").beginArray().beginObject().field("byteLength", l.binSize);
        if (!binUri.empty()) j.field("uri", fileUri(binUri));
        j.endObject().endArray();
        j.key("bufferViews").raw(l.views.text()).key("accessors").raw(l.accessors.text());
    }
    j.endObject();
    return j.text();
}

Layout startLayout(bool embed) {
    Layout l;
    l.embedImages = embed;
    l.views.beginArray();
    l.accessors.beginArray();
    return l;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A .glb file: the header, the JSON chunk and the binary chunk's header, then the binary chunk's
// pieces where the layout keeps them.
struct Glb {
    std::vector<uint8_t> head;
    Layout layout;
};

Glb glbOf(const TGltfScene& scene, const std::vector<GltfMeshExtras>* extras) {
    Glb out{{}, startLayout(true)};
    Layout& l = out.layout;
    std::string json = document(scene, l, "", extras);
    while (json.size() % 4) json += ' ';
    l.align();
    const size_t total = 12 + 8 + json.size() + (l.binSize == 0 ? 0 : 8 + l.binSize);
    out.head.reserve(28 + json.size());
    put32(out.head, 0x46546C67);
    put32(out.head, 2);
    put32(out.head, static_cast<uint32_t>(total));
    put32(out.head, static_cast<uint32_t>(json.size()));
    put32(out.head, 0x4E4F534A);
    out.head.insert(out.head.end(), json.begin(), json.end());
    if (l.binSize > 0) {
        put32(out.head, static_cast<uint32_t>(l.binSize));
        put32(out.head, 0x004E4942);
    }
    return out;
}

// ---- Files -----------------------------------------------------------------------------------

// The pieces one after the other into a new file at path; false with errno set when that fails.
bool writePieces(const std::filesystem::path& path, const std::vector<Piece>& pieces) {
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    bool written = out != nullptr;
    for (const Piece& p : pieces)
        if (written) written = std::fwrite(p.bytes, 1, p.size, out) == p.size;
    if (out && std::fclose(out) != 0) written = false;
    return written;
#else
    // As many pieces a call as the system takes, straight from where they lie.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::vector<iovec> rest;
    for (const Piece& p : pieces)
        if (p.size) rest.push_back({const_cast<void*>(p.bytes), p.size});
    size_t at = 0;
    while (at < rest.size()) {
        const ssize_t done = ::writev(fd, &rest[at], int(std::min<size_t>(rest.size() - at, 1024)));
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        for (size_t left = size_t(done); left > 0;) {
            const size_t part = std::min(left, rest[at].iov_len);
            rest[at].iov_base = static_cast<uint8_t*>(rest[at].iov_base) + part, rest[at].iov_len -= part;
            left -= part;
            if (rest[at].iov_len == 0) ++at;
        }
    }
    return ::close(fd) == 0;
#endif
}

// Writes the pieces to Path through a temporary file beside it, renamed when complete.
void writeWhole(const std::filesystem::path& path, const std::vector<Piece>& pieces) {
    static std::atomic<uint32_t> serial{0};
    std::filesystem::path temp = path;
    temp += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    if (!writePieces(temp, pieces)) {
        const int number = errno;
        const std::string reason = std::strerror(number);
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw EFileError("WriteGltf: cannot write " + path.string() + ": " + reason, number);
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) {
        std::filesystem::remove(temp, error);
        throw EFileError("WriteGltf: cannot write " + path.string() + ": " + error.message(), error.value());
    }
}

bool isGltfText(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".gltf";
}

// A .gltf with its .bin and images beside it; what was written is removed again when a later file fails.
void writeText(const TGltfScene& scene, const std::filesystem::path& path,
               const std::vector<GltfMeshExtras>* extras) {
    const std::filesystem::path dir = path.parent_path();
    const std::string binName = path.stem().string() + ".bin";
    Layout l = startLayout(false);
    const std::string json = document(scene, l, binName, extras);
    std::vector<std::filesystem::path> written;
    try {
        if (l.binSize > 0) {
            writeWhole(dir / binName, l.bin);
            written.push_back(dir / binName);
        }
        for (size_t i = 0; i < scene.Images.size(); ++i) {
            writeWhole(dir / scene.ImageNames[i],
                       {{scene.Images[i].Bytes.data(), scene.Images[i].Bytes.size()}});
            written.push_back(dir / scene.ImageNames[i]);
        }
        writeWhole(path, {{json.data(), json.size()}});
    } catch (...) {
        std::error_code ignored;
        for (const auto& p : written) std::filesystem::remove(p, ignored);
        throw;
    }
}

}  // namespace

std::vector<uint8_t> GltfSceneToGlb(const TGltfScene& Scene) {
    return vtrl3ds_internal::glbBytes(Scene, nullptr);
}

std::vector<uint8_t> vtrl3ds_internal::glbBytes(const TGltfScene& Scene,
                                                const std::vector<GltfMeshExtras>* extras) {
    Glb glb = glbOf(Scene, extras);
    glb.head.reserve(glb.head.size() + glb.layout.binSize);
    for (const Piece& p : glb.layout.bin) {
        const auto* bytes = static_cast<const uint8_t*>(p.bytes);
        glb.head.insert(glb.head.end(), bytes, bytes + p.size);
    }
    return std::move(glb.head);
}

void vtrl3ds_internal::writeScene(const TGltfScene& scene, const std::string& Path,
                                  const std::vector<GltfMeshExtras>* extras) {
    const std::filesystem::path path(Path);
    if (isGltfText(path)) return writeText(scene, path, extras);
    const Glb glb = glbOf(scene, extras);
    std::vector<Piece> pieces{{glb.head.data(), glb.head.size()}};
    pieces.insert(pieces.end(), glb.layout.bin.begin(), glb.layout.bin.end());
    writeWhole(path, pieces);
}

void WriteGltfScene(const TGltfScene& Scene, const std::string& Path) {
    writeScene(Scene, Path, nullptr);
}

void WriteGltf(const TGLAll3dsMesh& Model, const std::string& Path, const TGltfOptions& Options) {
    std::vector<GltfMeshExtras> extras;
    writeScene(buildScene(Model, ReadKeyframerOf(Model), Options, &extras), Path, &extras);
}
