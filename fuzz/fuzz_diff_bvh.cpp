// Differential fuzz target of the BVH loader against assimp's BVH reader: an input both accept
// (ours with the point as decimal separator) must give the same joint and frame counts.
#include <assimp/Importer.hpp>
#include <assimp/anim.h>
#include <assimp/scene.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

// assimp leaks the nodes it was building when it refuses a file; those leaks are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}

namespace {

constexpr size_t maxInput = size_t{1} << 20;

struct Counts {
    size_t joints = 0, frames = 0;
    bool operator==(const Counts&) const = default;
};

bool loadOurs(const uint8_t* data, size_t size, Counts& counts) {
    SetDecimalSeparator('.');
    TGLAll3dsMesh model;
    auto* skeleton = new TGLSkeleton(&model);
    TMemoryStream stream(data, size);
    try {
        skeleton->LoadBVHFromStream(stream);
    } catch (const EModelError&) {
        return false;
    }
    counts.joints = static_cast<size_t>(skeleton->FNumBones);
    counts.frames = static_cast<size_t>(skeleton->FNumFrames);
    return true;
}

// assimp gives one animation channel per ROOT or JOINT, each with a rotation key per frame.
bool loadAssimp(const uint8_t* data, size_t size, Counts& counts) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(data, size, 0, "bvh");
    if (!scene || scene->mNumAnimations != 1) return false;
    const aiAnimation* a = scene->mAnimations[0];
    counts.joints = a->mNumChannels;
    counts.frames = a->mNumChannels ? a->mChannels[0]->mNumRotationKeys : 0;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    Counts ours, theirs;
    if (!loadOurs(data, size, ours) || !loadAssimp(data, size, theirs) || ours == theirs) return 0;
    std::fprintf(stderr, "the BVH loader and assimp disagree: joints %zu and %zu, frames %zu and %zu\n",
                 ours.joints, theirs.joints, ours.frames, theirs.frames);
    std::abort();
}
