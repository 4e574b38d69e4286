// The model's skinning set-up InitSkin: every bone-bound vertex (and its normal) moves into the
// space of its bone in the current skeleton, and the posed arrays start at the bind pose. A
// missing skeleton or a bone index naming no bone raises ERangeError before any vertex moves.
#include <string>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/vector.h"

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

TGLSkeleton& skinningSkeleton(const TGLAll3dsMesh& model) {
    if (TGLSkeleton* skeleton = CurrentSkeleton(model)) return *skeleton;
    throw ERangeError("InitSkin: skeleton " + std::to_string(model.FCurrentGLSkeleton) + " outside the " +
                      std::to_string(std::min<size_t>(
                          model.FSkeleton.size(), static_cast<size_t>(std::max(model.FNumSkeletons, 0)))) +
                      " skeletons");
}

// The bone a vertex names, or null when the index names no bone of the skeleton.
TGL3dsBone* boneAt(const TGLSkeleton& skeleton, int32_t id) {
    if (id < 0 || static_cast<size_t>(id) >= boneCount(skeleton)) return nullptr;
    TGL3dsBone* bone = skeleton.FBone[static_cast<size_t>(id)];
    return bone && bone->FMatrix ? bone : nullptr;
}

// Per vertex, the normalised sum of the normals of the faces using it (the face normals drawn, or
// those computed from the corners where a mesh has none).
std::vector<T3dpoint> vertexNormals(const TGL3dsMesh& mesh) {
    const size_t vertices = vertexCount(mesh);
    std::vector<T3dpoint> sum(vertices, T3dpoint{0, 0, 0});
    for (size_t f = 0; f < cornerCount(mesh); f += 3) {
        if (!faceIsValid(mesh, f, vertices)) continue;
        const uint16_t* c = &mesh.FIndices[f];
        const T3dpoint n = drawnFaceNormal(mesh, f);
        for (size_t k = 0; k < 3; ++k) sum[c[k]] = {sum[c[k]].X + n.X, sum[c[k]].Y + n.Y, sum[c[k]].Z + n.Z};
    }
    for (T3dpoint& n : sum) n = Normalize(n);
    return sum;
}

// Bind-pose normals of the meshes with a bound vertex; the posed arrays of the others are emptied.
void startSkinNormals(TGLAll3dsMesh& model) {
    for (size_t i = 0; i < meshCount(model); ++i)
        if (TGL3dsMesh* mesh = model.FMesh[i]) {
            mesh->FSkinVertex.clear();
            mesh->FSkinNormal.clear();
            mesh->FSkinBoneNormal.clear();
        }
    forEachBoundVertex(model, [](TGL3dsMesh& mesh, size_t, size_t) {
        if (!mesh.FSkinBoneNormal.empty()) return;
        mesh.FSkinBoneNormal = vertexNormals(mesh);
        mesh.FSkinVertex.resize(mesh.FSkinBoneNormal.size());
        mesh.FSkinNormal.resize(mesh.FSkinBoneNormal.size());
    });
}

}  // namespace

// Every bone index is checked before the first vertex moves, so a failed set-up leaves the model
// as it was instead of half in bone space.
void TGLAll3dsMesh::InitSkin() {
    const TGLSkeleton& skeleton = skinningSkeleton(*this);
    forEachBoundVertex(*this, [&](TGL3dsMesh& mesh, size_t m, size_t v) {
        if (!boneAt(skeleton, mesh.FBoneID[v]))
            throw ERangeError("InitSkin: vertex " + std::to_string(v) + " of mesh " + std::to_string(m) +
                              " names bone " + std::to_string(mesh.FBoneID[v]) + " of a skeleton with " +
                              std::to_string(skeleton.FBone.size()) + " bones");
    });
    startSkinNormals(*this);
    forEachBoundVertex(*this, [&](TGL3dsMesh& mesh, size_t, size_t v) {
        const clsMatrix& matrix = *boneAt(skeleton, mesh.FBoneID[v])->FMatrix;
        T3dpoint& p = mesh.FVertex[v];
        float xyz[3] = {p.X, p.Y, p.Z};
        matrix.InverseTranslateVect(xyz);
        matrix.InverseRotateVect(xyz);
        p = {xyz[0], xyz[1], xyz[2]};
        T3dpoint& n = mesh.FSkinBoneNormal[v];
        float normal[3] = {n.X, n.Y, n.Z};
        matrix.InverseRotateVect(normal);
        n = {normal[0], normal[1], normal[2]};
    });
    // The bind pose: every bone's animated matrix back to its FMatrix, the posed arrays from it.
    for (TGL3dsBone* bone : skeleton.FBone)
        if (bone && bone->FMatrix) bone->FAnimMatrix = *bone->FMatrix;
    for (size_t i = 0; i < meshCount(*this); ++i)
        if (FMesh[i] && !FMesh[i]->FSkinVertex.empty()) skinMesh(*FMesh[i], skeleton);
}
