// Helpers the model library's passes and renderer share, so that no index read from a file is
// followed unchecked. Not part of the library's public surface.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/vector.h"

namespace vtrl3ds_internal {

// ASCII letters to upper case; other bytes as they are.
inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names compared the way the files' authors typed them: ASCII letters ignoring case.
inline bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

// The last four characters (the whole text when shorter), ASCII letters in lower case: what picks
// a file's loader.
inline std::string extensionOf(const std::string& FileName) {
    std::string ext = FileName.size() > 4 ? FileName.substr(FileName.size() - 4) : FileName;
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

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

// FSkeleton[FCurrentGLSkeleton], or null when that index names no skeleton.
TGLSkeleton* currentSkeleton(const TGLAll3dsMesh& model);

// FSkinVertex and FSkinNormal := the bone-space positions and normals moved by their bones'
// FAnimMatrix (pose.cpp); vertices no bone of the skeleton moves keep their loaded values.
void skinMesh(TGL3dsMesh& mesh, const TGLSkeleton& skeleton);

// CalcVNormals and TGL3dsMesh::CalculateSize of one mesh with triangles, in one walk over its faces
// where every corner names a vertex; scratch is room the walk reuses from mesh to mesh
// (calcvnormals.cpp).
void normalsAndSize(TGL3dsMesh& mesh, std::vector<float>& scratch);
// The 3DS load's passes, MoveToPivot to CalculateRenderOrder, taken mesh by mesh (load3dstail.cpp).
void finish3dsPasses(TGLAll3dsMesh& model);
// Lowers Minimum and raises Maximum component by component to take in P, as CalculateSize merges
// boxes (calculatesize.cpp).
void widenBox(T3dpoint& Minimum, T3dpoint& Maximum, const T3dpoint& P);

// For models whose files carry their own normals (MilkShape text, binary): triangles brought to
// the library's clockwise winding, face normals from the file's normals where usable, computed
// ones elsewhere, unusable vertex normals replaced (filenormals.cpp).
void adoptFileNormals(TGLAll3dsMesh& model);

}  // namespace vtrl3ds_internal
