// The host helpers of host.h: file kinds by name, loading a model or a motion, the current
// skeleton and a model's counts. Only the two loading routines report failure (EModelError kinds).
#include "vtrl3ds/host.h"

#include <algorithm>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/names.h"

using namespace vtrl3ds_internal;

bool IsModelFile(const std::string& FileName) {
    const std::string ext = extensionOf(FileName);
    return ext == ".3ds" || ext == ".txt" || ext == ".bin";
}

bool IsMotionFile(const std::string& FileName) {
    return extensionOf(FileName) == ".bvh";
}

void LoadModelOrMotion(TGLAll3dsMesh& Model, const std::string& FileName) {
    if (IsMotionFile(FileName)) {
        // The model owns the motion's skeleton, as it owns a MilkShape model's.
        Model.FName = FileName;
        auto* skeleton = new TGLSkeleton(&Model);
        Model.FSkeleton.push_back(skeleton);
        Model.FNumSkeletons = 1;
        skeleton->LoadFromFile(FileName);
    } else if (IsModelFile(FileName)) {
        Model.LoadFromFile(FileName);
    } else {
        throw EFileTypeError("unsupported file name extension (the loaders read .3ds, .txt, .bin and .bvh)");
    }
    // The loaders pass over what they do not recognise; a file of which they kept nothing at all
    // is not one of their files (an empty model file still names its meshes or materials).
    const TGLSkeleton* skeleton = CurrentSkeleton(Model);
    if (Model.FMesh.empty() && Model.FMaterial.empty() && (!skeleton || boneCount(*skeleton) == 0))
        throw EFileTypeError("nothing in it that the model library recognises");
}

TMotion LoadMotionOrSkeleton(const std::string& FileName) {
    if (IsMotionFile(FileName)) return LoadMotion(FileName);
    TGLAll3dsMesh model;
    LoadModelOrMotion(model, FileName);
    TGLSkeleton* skeleton = CurrentSkeleton(model);
    if (!skeleton || boneCount(*skeleton) == 0)
        throw EFileTypeError("LoadMotionOrSkeleton: '" + FileName + "' has no skeleton to give a motion");
    return MotionFromSkeleton(*skeleton);
}

TGLSkeleton* CurrentSkeleton(const TGLAll3dsMesh& Model) {
    const int32_t s = Model.FCurrentGLSkeleton;
    if (s < 0 || s >= Model.FNumSkeletons || static_cast<size_t>(s) >= Model.FSkeleton.size()) return nullptr;
    return Model.FSkeleton[static_cast<size_t>(s)];
}

TModelCounts CountModel(const TGLAll3dsMesh& Model) {
    TModelCounts counts;
    counts.Meshes = Model.FNumMeshes;
    counts.NamedObjects = Model.FMesh.size();
    counts.Materials = Model.FNumMaterials;
    for (const TGL3dsMesh* mesh : Model.FMesh) {
        if (!mesh) continue;
        counts.Vertices += static_cast<size_t>(std::max(mesh->FNumVertex, 0));
        counts.Faces += static_cast<size_t>(std::max(mesh->FNumIndices, 0) / 3);
    }
    counts.Skeletons = Model.FSkeleton.size();
    if (const TGLSkeleton* skeleton = CurrentSkeleton(Model)) {
        counts.Bones = boneCount(*skeleton);
        counts.Frames = skeleton->FNumFrames;
    }
    return counts;
}
