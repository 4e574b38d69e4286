// Post-processing pass CalculateScale: every vertex coordinate times the model's FMasterScale.
// Reports nothing; pivots, local frames and boxes are not scaled.
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

void TGLAll3dsMesh::CalculateScale() {
    const float s = FMasterScale;
    for (size_t i = 0; i < meshCount(*this); ++i) {
        TGL3dsMesh* mesh = FMesh[i];
        if (!mesh || mesh->FNumVertex <= 0) continue;
        for (size_t j = 0, n = vertexCount(*mesh); j < n; ++j) {
            T3dpoint& v = mesh->FVertex[j];
            v.X *= s;
            v.Y *= s;
            v.Z *= s;
        }
    }
}
