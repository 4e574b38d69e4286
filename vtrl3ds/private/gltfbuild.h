// The glTF scene builder shared by the export's geometry (gltfmesh.cpp), its skeletons and
// animation (gltfskin.cpp) and its 3DS keyframer nodes (gltfkeyframer.cpp). Private to the model
// library.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "vtrl3ds/gltf.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/skeleton.h"

namespace vtrl3ds_internal {

// The bone that moves vertex v of a skinned mesh, or null (no bone, or one the skeleton lacks).
const TGL3dsBone* boneOfVertex(const TGL3dsMesh& mesh, const TGLSkeleton* skeleton, size_t v);

struct SceneBuilder;

// What a scene made only to be written carries beside each of its meshes, made with the mesh on
// its core: the box of its positions, and its primitives' indices as 16-bit values where it has
// fewer than 65535 vertices (their Indices then stay empty).
struct GltfMeshExtras {
    bool HasBox = false;
    std::array<float, 3> Low{}, High{};
    std::vector<std::vector<uint16_t>> ShortIndices;  // empty, or one per primitive
    // Count vertices in Vertices (the mesh's own arrays then empty): positions (3 floats each),
    // normals (3) and, with HasTexCoords, texture coordinates (2).
    size_t Count = 0;
    bool HasTexCoords = false;
    std::unique_ptr<float[]> Vertices;
};

// BuildGltfScene, and with `extras` the scene for WriteGltf alone with those extras.
TGltfScene buildScene(const TGLAll3dsMesh& model, const TKeyframer& keyframer, const TGltfOptions& options,
                      std::vector<GltfMeshExtras>* extras);
// The box of the positions, lo and hi widened component by component in order (the accessor's
// min and max).
void positionBox(const float* positions, size_t count, float (&lo)[3], float (&hi)[3]);
// GltfSceneToGlb, taking the extras where given.
std::vector<uint8_t> glbBytes(const TGltfScene& scene, const std::vector<GltfMeshExtras>* extras);
// WriteGltfScene, taking the extras where given.
void writeScene(const TGltfScene& scene, const std::string& path, const std::vector<GltfMeshExtras>* extras);

// Per model mesh, whether a node of the keyframer places it (those meshes are not placed again as
// roots).
std::vector<bool> keyframerPlaces(const TGLAll3dsMesh& model, const TKeyframer& keyframer);

// Adds the keyframer's node tree and animation under one Y-up root, placing the meshes
// keyframerPlaces names. An empty keyframer adds nothing.
void addKeyframer(SceneBuilder& builder, const TKeyframer& keyframer);

// Reads PNG and JPEG files as stored (the options' reader when the host gives none).
bool defaultImageReader(const std::string& path, TGltfImage& image, std::string& error);

struct SceneBuilder {
    SceneBuilder(const TGLAll3dsMesh& m, const TGltfOptions& o) : model(m), options(o) {}

    const TGLAll3dsMesh& model;
    const TGltfOptions& options;
    const TGLSkeleton* skeleton = nullptr;  // the skeleton skins are made from; null for none
    TGltfScene scene;
    std::map<size_t, int32_t> materialById;       // model material (SIZE_MAX: none) -> scene material
    std::map<std::string, int32_t> imageByPath;   // resolved map file -> scene image (-1: failed)
    std::map<std::string, std::string> mapFiles;  // map name -> ResolveTextureFile, found ahead
    std::vector<int32_t> jointOfBone;             // skin joint index of each bone
    int32_t restJoint = 0;                        // the joint of vertices no bone moves

    // A mesh's geometry before its materials are made: primitive i names material key Keys[i]
    // (a model material id, SIZE_MAX for one naming none); Local: made in the mesh's own frame.
    struct Geometry {
        TGltfMesh Mesh;
        GltfMeshExtras Extras;
        std::vector<size_t> Keys;
        bool Local = false;
    };
    std::vector<GltfMeshExtras>* extras = nullptr;             // the scene is made to be written: its extras
    std::unordered_map<const TGL3dsMesh*, Geometry> prepared;  // made ahead, side by side

    // The geometry of every mesh that is not skinned made ahead over the machine's cores (those
    // the keyframer places in their own frame); mesh() then takes them.
    void prepare(const std::vector<bool>& placedByKeyframer);
    // A glTF mesh of the library's mesh, where the file places it or (local) in its own frame
    // under a keyframer node.
    int32_t mesh(const TGL3dsMesh& source, bool local = false);
    // Takes back the mesh mesh() made last.
    void dropLastMesh() {
        scene.Meshes.pop_back();
        if (extras) extras->pop_back();
    }
    int32_t material(size_t id);
    int32_t image(const TGL3dsMaterial& material);
    std::string uniqueImageName(const std::string& name);
    void warn(const std::string& line) const;
    // The mesh has a vertex a bone of the skeleton moves.
    bool meshIsSkinned(const TGL3dsMesh& mesh) const;
    uint16_t jointOfVertex(const TGL3dsMesh& mesh, size_t v) const;
};

}  // namespace vtrl3ds_internal
