// Skeletons and bones of the model library, declared with their fields; loading, matrices and
// skinning are built on them elsewhere. Both are components: a bone belongs to its skeleton, a
// skeleton to its model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vtrl3ds/component.h"
#include "vtrl3ds/types.h"

class clsMatrix;

// One bone of a skeleton.
class TGL3dsBone : public TComponent {
  public:
    using TComponent::TComponent;

    std::string FName;              // bone name
    std::string FParentName;        // parent bone's name; empty for a root
    TGL3dsBone* FParent = nullptr;  // the parent bone, resolved by name; not owned
    T3dpoint FTranslate{};          // rest translation relative to the parent
    T3dpoint FRotate{};             // rest rotation about X, Y and Z, radians
    int32_t FBVHChannelType = 0;    // BVH channel-layout bits
    clsMatrix* FMatrix = nullptr;   // absolute bind-pose matrix, owned by the bone
    int32_t FNumTranslateFrames = 0;
    int32_t FNumRotateFrames = 0;
    std::vector<TKeyFrame> FTranslateFrame;  // translation keys
    std::vector<TKeyFrame> FRotateFrame;     // rotation keys
};

// A skeleton: a flat list of bones linked by parent names.
class TGLSkeleton : public TComponent {
  public:
    using TComponent::TComponent;

    std::string FName;               // the file it was loaded from
    std::vector<TGL3dsBone*> FBone;  // bones in file order (owned through the component list)
    int32_t FNumBones = 0;
    int32_t FNumFrames = 0;
    int32_t FCurrentFrame = 0;
};
