// The model's skinning set-up InitSkin: every bone-bound vertex moves into the space of its bone
// in the current skeleton. A missing skeleton or a bone index naming no bone raises ERangeError
// before any vertex moves.
#include <string>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/internal.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

using namespace vtrl3ds_internal;

namespace {

// Bound vertices of the meshes that have triangles: v below the vertex count with a bone index
// other than -1 (a vertex beyond FBoneID is unbound).
template <typename Visit>
void forEachBoundVertex(TGLAll3dsMesh& model, Visit visit) {
    for (size_t i = 0; i < meshCount(model); ++i) {
        TGL3dsMesh* mesh = model.FMesh[i];
        if (!mesh || mesh->FNumIndices <= 0) continue;
        const size_t vertices = std::min(vertexCount(*mesh), mesh->FBoneID.size());
        for (size_t v = 0; v < vertices; ++v)
            if (mesh->FBoneID[v] != -1) visit(*mesh, i, v);
    }
}

TGLSkeleton& currentSkeleton(const TGLAll3dsMesh& model) {
    const int32_t s = model.FCurrentGLSkeleton;
    if (s < 0 || s >= model.FNumSkeletons || static_cast<size_t>(s) >= model.FSkeleton.size() ||
        !model.FSkeleton[static_cast<size_t>(s)])
        throw ERangeError(
            "InitSkin: skeleton " + std::to_string(s) + " outside the " +
            std::to_string(std::min<size_t>(model.FSkeleton.size(),
                                            static_cast<size_t>(std::max(model.FNumSkeletons, 0)))) +
            " skeletons");
    return *model.FSkeleton[static_cast<size_t>(s)];
}

// The bone a vertex names, or null when the index names no bone of the skeleton.
TGL3dsBone* boneAt(const TGLSkeleton& skeleton, int32_t id) {
    const size_t count =
        std::min(skeleton.FBone.size(), static_cast<size_t>(std::max(skeleton.FNumBones, 0)));
    if (id < 0 || static_cast<size_t>(id) >= count) return nullptr;
    TGL3dsBone* bone = skeleton.FBone[static_cast<size_t>(id)];
    return bone && bone->FMatrix ? bone : nullptr;
}

}  // namespace

// Every bone index is checked before the first vertex moves, so a failed set-up leaves the model
// as it was instead of half in bone space.
void TGLAll3dsMesh::InitSkin() {
    const TGLSkeleton& skeleton = currentSkeleton(*this);
    forEachBoundVertex(*this, [&](TGL3dsMesh& mesh, size_t m, size_t v) {
        if (!boneAt(skeleton, mesh.FBoneID[v]))
            throw ERangeError("InitSkin: vertex " + std::to_string(v) + " of mesh " + std::to_string(m) +
                              " names bone " + std::to_string(mesh.FBoneID[v]) + " of a skeleton with " +
                              std::to_string(skeleton.FBone.size()) + " bones");
    });
    forEachBoundVertex(*this, [&](TGL3dsMesh& mesh, size_t, size_t v) {
        const clsMatrix& matrix = *boneAt(skeleton, mesh.FBoneID[v])->FMatrix;
        T3dpoint& p = mesh.FVertex[v];
        float xyz[3] = {p.X, p.Y, p.Z};
        matrix.InverseTranslateVect(xyz);
        matrix.InverseRotateVect(xyz);
        p = {xyz[0], xyz[1], xyz[2]};
    });
}
