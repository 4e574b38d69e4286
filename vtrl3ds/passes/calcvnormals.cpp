// Post-processing pass CalcVNormals: per-face normals, per-vertex normals (the last face using a
// vertex wins; nothing is averaged) and normal indices equal to the vertex indices. Reports
// nothing; a face naming a vertex beyond the list keeps a zero normal and writes no vertex normal.
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

void meshNormals(TGL3dsMesh& mesh) {
    mesh.FVNormal.resize(static_cast<size_t>(std::max(mesh.FNumVertex, 0)));
    mesh.FNormalIndices.resize(static_cast<size_t>(mesh.FNumIndices));
    mesh.FaceNormal.resize(static_cast<size_t>(mesh.FNumIndices / 3));
    const size_t vertices = vertexCount(mesh);
    const size_t corners = std::min(cornerCount(mesh), mesh.FNormalIndices.size());
    for (size_t f = 0; f < corners; f += 3) {
        for (size_t c = 0; c < 3; ++c) mesh.FNormalIndices[f + c] = mesh.FIndices[f + c];
        if (!faceIsValid(mesh, f, vertices)) {
            mesh.FaceNormal[f / 3] = {0, 0, 0};
            continue;
        }
        const T3dpoint n =
            CalcNormalVector(mesh.FVertex[mesh.FIndices[f]], mesh.FVertex[mesh.FIndices[f + 1]],
                             mesh.FVertex[mesh.FIndices[f + 2]]);
        for (size_t c = 0; c < 3; ++c) mesh.FVNormal[mesh.FIndices[f + c]] = n;
        mesh.FaceNormal[f / 3] = n;
    }
}

}  // namespace

// The face normal is the vertex normal of the same triangle computed from the same positions, so
// both are written in one walk over the faces instead of two passes computing it twice.
void TGLAll3dsMesh::CalcVNormals() {
    for (size_t i = 0; i < meshCount(*this); ++i)
        if (FMesh[i] && FMesh[i]->FNumIndices > 0) meshNormals(*FMesh[i]);
}
