// Post-processing pass MoveToPivot: each mesh's vertices minus its pivot. Reports nothing; meshes
// without vertices are passed over.
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

void TGLAll3dsMesh::MoveToPivot() {
    for (size_t i = 0; i < meshCount(*this); ++i) {
        TGL3dsMesh* mesh = FMesh[i];
        if (!mesh || mesh->FNumVertex <= 0) continue;
        // The pivot keeps the file's axis order while the vertices hold Y and Z exchanged; the
        // subtraction is still X from X, Y from Y and Z from Z.
        const T3dpoint p = mesh->FPivot;
        for (size_t j = 0, n = vertexCount(*mesh); j < n; ++j) {
            T3dpoint& v = mesh->FVertex[j];
            v.X -= p.X;
            v.Y -= p.Y;
            v.Z -= p.Z;
        }
    }
}
