// glTF 2.0 export of what the model library loads: a model's meshes, materials and texture maps,
// a MilkShape skeleton as a skin with its animation, and a BVH motion as a tree of animated nodes.
// The export goes through a scene description (TGltfScene) that other sources of nodes and
// animation can fill too. Failures raise EModelError kinds (errors.h); a failed write leaves no file.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"

// The bytes of one texture image as the file will hold them.
struct TGltfImage {
    std::vector<uint8_t> Bytes;
    std::string MimeType;  // "image/png" or "image/jpeg"
};

// Reads the texture map file at Path (already resolved beside the model) into Image; returns
// false with the reason in Error when it cannot. The library decodes no image: the default
// reader (an empty function) keeps PNG and JPEG files byte for byte and refuses anything else.
using TGltfImageReader = std::function<bool(const std::string& Path, TGltfImage& Image, std::string& Error)>;

// What the export does beyond the model itself.
struct TGltfOptions {
    float Scale = 1;                                 // factor on every position (after the file's own units)
    bool Textures = true;                            // false: materials keep their colours, no image is written
    TGltfImageReader ReadImage;                      // texture bytes; empty: PNG and JPEG as stored
    std::function<void(const std::string&)> Warn;  // one line per problem; empty: standard error
    float FramesPerSecond = 30;                      // a 3DS keyframer's frame rate (the files store none)
};

// ---- The scene description -------------------------------------------------------------------

// One triangle list with one material. Indices name vertices of the owning mesh.
struct TGltfPrimitive {
    int32_t Material = -1;  // index into TGltfScene::Materials
    std::vector<uint32_t> Indices;
};

// One mesh: vertex arrays shared by its primitives. Normals are unit, triangles counter-clockwise.
struct TGltfMesh {
    std::string Name;  // UTF-8
    std::vector<std::array<float, 3>> Positions;
    std::vector<std::array<float, 3>> Normals;
    std::vector<std::array<float, 2>> TexCoords;  // empty, or one per vertex (V counted from the top)
    std::vector<uint16_t> Joints;                 // empty, or one skin joint per vertex (weight 1)
    std::vector<TGltfPrimitive> Primitives;
};

struct TGltfMaterial {
    std::string Name;
    std::array<float, 4> BaseColor{1, 1, 1, 1};  // linear RGBA; alpha below 1 blends
    float Roughness = 1;
    bool DoubleSided = false;
    int32_t Image = -1;  // index into TGltfScene::Images, or none
};

// A node: a mesh instance, a joint or a group, placed by translation, rotation and scale.
struct TGltfNode {
    std::string Name;
    int32_t Mesh = -1;
    int32_t Skin = -1;
    std::array<float, 3> Translation{0, 0, 0};
    std::array<float, 4> Rotation{0, 0, 0, 1};  // unit quaternion x, y, z, w
    std::vector<int32_t> Children;
    std::array<float, 3> Scale{1, 1, 1};
};

// Joints of a skin with their inverse bind matrices (column-major, one per joint).
struct TGltfSkin {
    int32_t Skeleton = -1;  // the joints' common root node
    std::vector<int32_t> Joints;
    std::vector<std::array<float, 16>> InverseBindMatrices;
};

// One animated property of one node, keyed at strictly increasing times (seconds, LINEAR).
struct TGltfChannel {
    enum class TPath { Translation, Rotation, Scale };
    int32_t Node = -1;
    TPath Path = TPath::Rotation;
    std::vector<float> Times;
    std::vector<float> Values;  // 3 per key for a translation or scale, 4 (x, y, z, w) for a rotation
};

struct TGltfAnimation {
    std::string Name;
    std::vector<TGltfChannel> Channels;
};

// Everything one file holds. Roots are the scene's top nodes.
struct TGltfScene {
    std::vector<TGltfMesh> Meshes;
    std::vector<TGltfMaterial> Materials;
    std::vector<TGltfImage> Images;
    std::vector<std::string> ImageNames;  // per image: the file name used beside a .gltf
    std::vector<TGltfNode> Nodes;
    std::vector<int32_t> Roots;
    std::vector<TGltfSkin> Skins;
    std::vector<TGltfAnimation> Animations;
};

// ---- Export ----------------------------------------------------------------------------------

// The scene of a loaded model (or of a motion loaded by LoadModelOrMotion): meshes placed where
// their file puts them, in glTF's Y-up frame, with the skeleton of FSkeleton[FCurrentGLSkeleton].
// A 3DS model's keyframer (read again from FName) becomes a node tree placing its meshes, at the
// segment's first frame, with its animation sampled at every frame of the segment.
TGltfScene BuildGltfScene(const TGLAll3dsMesh& Model, const TGltfOptions& Options);
// The same with a 3DS keyframer given (read from elsewhere, or empty for none).
TGltfScene BuildGltfScene(const TGLAll3dsMesh& Model, const TKeyframer& Keyframer, const TGltfOptions& Options);

// Writes Scene to Path: one binary .glb file, or a .gltf with its .bin and images beside it
// (chosen by the extension, ignoring case; anything else is a .glb). Every file is written under a
// temporary name in its folder and renamed when complete; raises EFileError (an EStreamError with
// the system's error number) when it cannot.
void WriteGltfScene(const TGltfScene& Scene, const std::string& Path);

// The whole .glb file of Scene in memory.
std::vector<uint8_t> GltfSceneToGlb(const TGltfScene& Scene);

// "image/png" or "image/jpeg" for bytes that start as such a file does; "" otherwise.
std::string GltfImageMimeType(const std::vector<uint8_t>& Bytes);

// BuildGltfScene then WriteGltfScene.
void WriteGltf(const TGLAll3dsMesh& Model, const std::string& Path, const TGltfOptions& Options = {});
