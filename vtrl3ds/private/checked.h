// Counts and lookups the passes, the animation code and the renderer share, so that no count or
// index read from a file is followed unchecked. Private to the model library; nothing here fails:
// what does not exist is counted out or returned as null.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/vector.h"

namespace vtrl3ds_internal {

// Vertices that exist: FNumVertex, but never more than FVertex holds.
inline size_t vertexCount(const TGL3dsMesh& mesh) {
    return std::min(static_cast<size_t>(std::max(mesh.FNumVertex, 0)), mesh.FVertex.size());
}

// Corners that exist: FNumIndices rounded down to whole triangles, never more than FIndices holds.
inline size_t cornerCount(const TGL3dsMesh& mesh) {
    const size_t n = std::min(static_cast<size_t>(std::max(mesh.FNumIndices, 0)), mesh.FIndices.size());
    return n - n % 3;
}

// The triangle at corner f names three vertices that exist.
inline bool faceIsValid(const TGL3dsMesh& mesh, size_t f, size_t vertices) {
    return mesh.FIndices[f] < vertices && mesh.FIndices[f + 1] < vertices && mesh.FIndices[f + 2] < vertices;
}

// The normal drawn for the triangle at corner f: its FaceNormal, or one computed from its corners
// when the mesh has none for it.
inline T3dpoint drawnFaceNormal(const TGL3dsMesh& mesh, size_t f) {
    const size_t face = f / 3;
    if (face < mesh.FaceNormal.size()) return mesh.FaceNormal[face];
    return CalcNormalVector(mesh.FVertex[mesh.FIndices[f]], mesh.FVertex[mesh.FIndices[f + 1]],
                            mesh.FVertex[mesh.FIndices[f + 2]]);
}

// Meshes the passes walk: FNumMeshes, but never more than FMesh holds.
inline size_t meshCount(const TGLAll3dsMesh& model) {
    return std::min(static_cast<size_t>(std::max(model.FNumMeshes, 0)), model.FMesh.size());
}

// The mesh at drawing position `slot` of FRenderOrder, or null when that entry names none.
inline TGL3dsMesh* meshInRenderOrder(const TGLAll3dsMesh& model, size_t slot) {
    const int32_t index = model.FRenderOrder[slot];
    return index >= 0 && static_cast<size_t>(index) < model.FMesh.size()
               ? model.FMesh[static_cast<size_t>(index)]
               : nullptr;
}

// Bones that exist: FNumBones, but never more than FBone holds.
inline size_t boneCount(const TGLSkeleton& skeleton) {
    return std::min(skeleton.FBone.size(), static_cast<size_t>(std::max(skeleton.FNumBones, 0)));
}

// The material a face index names, or null when it names none.
inline TGL3dsMaterial* materialAt(const TGLAll3dsMesh& model, size_t id) {
    return id < model.FMaterial.size() ? model.FMaterial[id] : nullptr;
}

}  // namespace vtrl3ds_internal
