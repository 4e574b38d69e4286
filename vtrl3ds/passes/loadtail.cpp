// The load tail every model loader ends with (see private/loading.h): normals, the boxes, the
// render order and the materials' texture hook, in that order. Reports nothing.
#include "vtrl3ds/private/loading.h"

void vtrl3ds_internal::finishLoad(TGLAll3dsMesh& model, NormalSource normals) {
    if (normals == NormalSource::Computed)
        model.CalcVNormals();
    else
        adoptFileNormals(model);
    model.CalculateSize();
    model.CalculateRenderOrder();
    for (TGL3dsMaterial* material : model.FMaterial)
        if (material) material->UpdateTexture();
}
