// A bone's pose relative to its parent at a frame, as playback computes it, for the writers that
// store poses rather than matrices. Private to the model library; nothing here fails.
#pragma once

#include "vtrl3ds/skeleton.h"

namespace vtrl3ds_internal {

// The local transform TGL3dsBone::AdvanceAnimation builds at Frame: a unit rotation quaternion
// (w, x, y, z) applied first, then the translation.
struct BonePose {
    double Rotation[4];
    T3dpoint Translation;
};
BonePose localPose(const TGL3dsBone& bone, float frame);

// The rest pose of a bone relative to its parent (FRotate, then FTranslate).
BonePose restPose(const TGL3dsBone& bone);

}  // namespace vtrl3ds_internal
