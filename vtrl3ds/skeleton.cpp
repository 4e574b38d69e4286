// Life cycle of TGLSkeleton, its bone lookup by name and its file-type dispatch. Only the format
// loaders report failure (their exceptions pass through LoadFromFile unchanged).
#include "vtrl3ds/skeleton.h"

#include <algorithm>

#include "vtrl3ds/private/names.h"
#include "vtrl3ds/private/checked.h"

using namespace vtrl3ds_internal;

TGLSkeleton::~TGLSkeleton() {
    DestroyComponents();
    FBone.clear();
}

void TGLSkeleton::LoadFromFile(const std::string& FileName) {
    FName = FileName;
    const std::string ext = extensionOf(FileName);
    if (ext == ".bvh") LoadBVHFromFile(FileName);
    if (ext == ".txt") LoadMSAFromFile(FileName);
}

// Bones are searched in list order over the bones that exist (FNumBones, never past FBone).
TGL3dsBone* TGLSkeleton::GetBoneByName(const std::string& S) const {
    const size_t count = boneCount(*this);
    for (size_t i = 0; i < count; ++i)
        if (FBone[i] && equalIgnoringAsciiCase(FBone[i]->FName, S)) return FBone[i];
    return nullptr;
}
