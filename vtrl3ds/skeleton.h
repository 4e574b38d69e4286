// Skeletons and bones of the model library: a bone belongs to its skeleton, a skeleton to its
// model. Bones build their absolute bind-pose matrices from their parents (bone.cpp), skeletons
// find bones by name and load by file type (skeleton.cpp, bvh.cpp); the model's InitSkin moves
// bound vertices into bone space (boneskin.cpp); playback poses the bones at a frame (pose.cpp)
// and draws them (skeletonrender.cpp). Failures are EModelError kinds (errors.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vtrl3ds/component.h"
#include "vtrl3ds/matrix.h"
#include "vtrl3ds/types.h"

class TStream;

// BVH channel layouts stored in TGL3dsBone::FBVHChannelType: a rotation-order flag, plus
// ChannelTypeTranslate when position channels X, Y, Z come first.
constexpr int32_t ChannelTypeNone = 0;
constexpr int32_t ChannelTypeScaleRotateTranslate = 1;  // declared, never produced
constexpr int32_t ChannelTypeTranslate = 2;
constexpr int32_t ChannelTypeRXYZ = 4;
constexpr int32_t ChannelTypeRZXY = 8;
constexpr int32_t ChannelTypeRYZX = 16;
constexpr int32_t ChannelTypeRZYX = 32;
constexpr int32_t ChannelTypeRXZY = 64;
constexpr int32_t ChannelTypeRYXZ = 128;
constexpr int32_t ChannelTypeScale = 256;         // declared, never produced
constexpr int32_t ChannelTypeTranslateXYZ = 512;  // declared, never produced
constexpr int32_t ChannelTypeInterleaved = 1024;  // declared, never produced

// The most bones a skeleton holds (bone indices are searched with a 16-bit counter).
constexpr int32_t MaxSkeletonBones = 65536;

// One bone of a skeleton.
class TGL3dsBone : public TComponent {
  public:
    // A bone owned by AOwner (its skeleton) with an identity FMatrix.
    explicit TGL3dsBone(TComponent* AOwner);
    // Frees FMatrix and the key lists, then leaves the owner's list.
    ~TGL3dsBone() override;

    // Resolves FParent by FParentName in the owning skeleton (none when the name is empty or
    // matches no bone), then computes FMatrix as InitWithParent does.
    void Init();
    // FParent := Parent (null for a root) and FMatrix := parent's FMatrix x the bone's relative
    // matrix (FRotate, then FTranslate). A parent must be initialised before its children. Loaders
    // that know the hierarchy from the file's structure use this instead of the name lookup.
    void InitWithParent(TGL3dsBone* Parent);
    // FAnimMatrix := the bone's absolute matrix at Frame (1-based, fractional allowed) from its
    // keys; the parent's FAnimMatrix must already be posed at that frame. FMatrix is not changed.
    // The keys are read the way the owning skeleton's FBVHMotion says.
    void AdvanceAnimation(float Frame);
    // The same with the key convention given: BVH channels (the local pose) when BVHKeys, else
    // offsets from the rest pose. The skeleton poses its bones through this one.
    void AdvanceAnimation(float Frame, bool BVHKeys);
    // A GL line from the parent's animated joint to this bone's (a point for a root).
    void Render() const;

    std::string FName;                   // bone name
    std::string FParentName;             // parent bone's name; empty for a root
    TGL3dsBone* FParent = nullptr;       // the parent bone, resolved by name; not owned
    T3dpoint FTranslate{};               // rest translation relative to the parent
    T3dpoint FRotate{};                  // rest rotation about X, Y and Z, radians
    int32_t FBVHChannelType = 0;         // BVH channel-layout bits
    std::unique_ptr<clsMatrix> FMatrix;  // absolute bind-pose matrix, owned by the bone
    clsMatrix FAnimMatrix;               // absolute matrix at the current frame; FMatrix until posed
    int32_t FNumTranslateFrames = 0;
    int32_t FNumRotateFrames = 0;
    std::vector<TKeyFrame> FTranslateFrame;  // translation keys
    std::vector<TKeyFrame> FRotateFrame;     // rotation keys
};

// A skeleton: a flat list of bones linked by parent names.
class TGLSkeleton : public TComponent {
  public:
    using TComponent::TComponent;
    // Destroys the bones it owns, then empties FBone.
    ~TGLSkeleton() override;

    // FName := FileName, then loads by the name's last four characters ignoring case: ".bvh"
    // motion files, ".txt" MilkShape text files; any other name loads nothing.
    void LoadFromFile(const std::string& FileName);
    // The first bone whose name equals S ignoring ASCII case, or null.
    TGL3dsBone* GetBoneByName(const std::string& S) const;
    // FBone[Index]; an index outside the bones raises ERangeError.
    TGL3dsBone* GetBone(int32_t Index) const;
    // Poses every bone at Frame (1-based, fractional allowed, clamped to 1..FNumFrames) and sets
    // FCurrentFrame to its whole part.
    void AdvanceAnimation(float Frame);
    // Draws every bone as a line (TGL3dsBone::Render).
    void Render() const;

    // Loads a BVH motion file (the owning model's FType becomes Mesh3DSBVH).
    void LoadBVHFromFile(const std::string& FileName);
    // Reads BVH text from the stream's position to its end: bones, their hierarchy and channel
    // layouts, one position and one rotation key per bone and frame; then initialises the bones.
    void LoadBVHFromStream(TStream& Stream);
    // Loads the bone section of a MilkShape 3D ASCII file (the owning model's FType becomes MeshMSA).
    void LoadMSAFromFile(const std::string& FileName);
    // Reads the MilkShape bone section from the stream's position to its end.
    void LoadMSAFromStream(TStream& Stream);

    std::string FName;               // the file it was loaded from
    std::vector<TGL3dsBone*> FBone;  // bones in file order (owned through the component list)
    int32_t FNumBones = 0;
    int32_t FNumFrames = 0;
    int32_t FCurrentFrame = 0;
    float FFrameRate = 30;    // frames per second: a BVH file's 1 / Frame Time, else 30
    bool FBVHMotion = false;  // keys are BVH channels (the local pose), not offsets from the rest pose
};
