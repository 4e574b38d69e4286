// Fuzz target of the glTF export: the first byte picks a loader (3DS, MilkShape text, binary,
// BVH), the rest is loaded as that file, and whatever the loader accepts is exported (a 3DS file
// with its keyframer). The scene and the .glb are checked here: every index names a vertex, every
// joint a joint of the skin, every number is finite, every normal and rotation unit, every key
// time increasing, and the .glb's header and chunks add up; the scene made for writing alone
// gives the same .glb. A failed check aborts.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/gltf.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/gltfbuild.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

constexpr size_t maxInput = size_t{1} << 18;

void check(bool ok) {
    if (!ok) std::abort();
}

template <size_t N>
void checkFinite(const std::array<float, N>& a) {
    for (float v : a) check(std::isfinite(v));
}

template <size_t N>
bool isUnit(const std::array<float, N>& a) {
    double s = 0;
    for (float v : a) s += double(v) * v;
    return std::abs(std::sqrt(s) - 1) < 1e-5;
}

void checkMesh(const TGltfScene& scene, const TGltfMesh& m) {
    const size_t n = m.Positions.size();
    check(m.Normals.size() == n && (m.TexCoords.empty() || m.TexCoords.size() == n));
    check(m.Joints.empty() || m.Joints.size() == n);
    for (size_t v = 0; v < n; ++v) {
        checkFinite(m.Positions[v]);
        check(isUnit(m.Normals[v]));
        if (!m.TexCoords.empty()) checkFinite(m.TexCoords[v]);
        if (!m.Joints.empty()) check(!scene.Skins.empty() && m.Joints[v] < scene.Skins[0].Joints.size());
    }
    for (const TGltfPrimitive& p : m.Primitives) {
        check(p.Material >= 0 && size_t(p.Material) < scene.Materials.size());
        check(!p.Indices.empty() && p.Indices.size() % 3 == 0);
        for (uint32_t i : p.Indices) check(i < n);
    }
}

void checkScene(const TGltfScene& s) {
    for (const TGltfMesh& m : s.Meshes) checkMesh(s, m);
    for (const TGltfMaterial& m : s.Materials) {
        checkFinite(m.BaseColor);
        check(std::isfinite(m.Roughness) && m.Image < int32_t(s.Images.size()));
    }
    for (const TGltfNode& n : s.Nodes) {
        checkFinite(n.Translation);
        checkFinite(n.Scale);
        check(isUnit(n.Rotation) && n.Mesh < int32_t(s.Meshes.size()) && n.Skin < int32_t(s.Skins.size()));
        for (int32_t c : n.Children) check(c >= 0 && size_t(c) < s.Nodes.size());
    }
    for (const TGltfSkin& k : s.Skins) {
        check(k.Joints.size() == k.InverseBindMatrices.size());
        for (const auto& m : k.InverseBindMatrices) checkFinite(m);
    }
    for (const TGltfAnimation& a : s.Animations)
        for (const TGltfChannel& c : a.Channels) {
            const size_t width = c.Path == TGltfChannel::TPath::Rotation ? 4 : 3;
            check(c.Values.size() == c.Times.size() * width && c.Node >= 0 && size_t(c.Node) < s.Nodes.size());
            for (size_t k = 0; k < c.Times.size(); ++k) {
                check(std::isfinite(c.Times[k]) && (k == 0 || c.Times[k] > c.Times[k - 1]));
                if (width == 4) check(isUnit(std::array<float, 4>{c.Values[4 * k], c.Values[4 * k + 1], c.Values[4 * k + 2], c.Values[4 * k + 3]}));
            }
            for (float v : c.Values) check(std::isfinite(v));
        }
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void checkGlb(const std::vector<uint8_t>& glb) {
    check(glb.size() >= 20 && glb.size() % 4 == 0 && u32At(glb, 0) == 0x46546C67 && u32At(glb, 8) == glb.size());
    const size_t json = u32At(glb, 12);
    check(json % 4 == 0 && 20 + json <= glb.size());
    if (20 + json < glb.size()) check(20 + json + 8 + u32At(glb, 20 + json) == glb.size());
}

void load(TGLAll3dsMesh& model, uint8_t kind, const uint8_t* data, size_t size) {
    TMemoryStream stream(data, size);
    switch (kind % 4) {
        case 0:
            model.FType = Mesh3DS;
            return model.Load3DSFromStream(stream);
        case 1:
            return model.LoadMSAFromStream(stream);
        case 2:
            return model.LoadBinFromStream(stream);
        default: {
            auto* skeleton = new TGLSkeleton(&model);
            model.FSkeleton.push_back(skeleton);
            model.FNumSkeletons = 1;
            return skeleton->LoadBVHFromStream(stream);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > maxInput) return 0;
    TGLAll3dsMesh model;
    try {
        load(model, data[0], data + 1, size - 1);
    } catch (const EModelError&) {
        return 0;
    }
    TGltfOptions options;
    options.Textures = false;
    options.Warn = [](const std::string&) {};
    TKeyframer keyframer;  // a 3DS file's, read from the same bytes
    if (data[0] % 4 == 0) {
        TMemoryStream stream(data + 1, size - 1);
        keyframer = ReadKeyframerFromStream(stream);
    }
    const TGltfScene scene = BuildGltfScene(model, keyframer, options);
    checkScene(scene);
    const std::vector<uint8_t> glb = GltfSceneToGlb(scene);
    checkGlb(glb);
    // The scene WriteGltf makes to write alone gives the same bytes.
    std::vector<vtrl3ds_internal::GltfMeshExtras> extras;
    const TGltfScene packed = vtrl3ds_internal::buildScene(model, keyframer, options, &extras);
    check(vtrl3ds_internal::glbBytes(packed, &extras) == glb);
    return 0;
}
