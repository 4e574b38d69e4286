// The load tail every model loader ends with (see private/loading.h): normals, the boxes, the
// render order and the materials' texture hook, in that order. Computed normals come after the
// pivot and the master scale, and these four passes are taken mesh by mesh, so that each mesh's
// arrays are walked while they are still in the cache, with the results of MoveToPivot,
// CalculateScale, CalcVNormals and CalculateSize run one after the other, bit for bit. Reports
// nothing.
#include <vector>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/loading.h"

using namespace vtrl3ds_internal;

namespace {

// Every vertex less the pivot, then times the scale: MoveToPivot and CalculateScale in one walk,
// twelve floats (four points) a step so that the compiler can use whole registers.
void pivotAndScale(TGL3dsMesh& mesh, float scale) {
    const T3dpoint p = mesh.FPivot;
    const float pattern[12] = {p.X, p.Y, p.Z, p.X, p.Y, p.Z, p.X, p.Y, p.Z, p.X, p.Y, p.Z};
    float* f = reinterpret_cast<float*>(mesh.FVertex.data());  // T3dpoint is three floats
    const size_t floats = 3 * vertexCount(mesh);
    size_t i = 0;
    for (; i + 12 <= floats; i += 12)
        for (size_t j = 0; j < 12; ++j) f[i + j] = (f[i + j] - pattern[j]) * scale;
    for (; i < floats; ++i) f[i] = (f[i] - pattern[i % 3]) * scale;
}

void computedNormals(TGLAll3dsMesh& model) {
    model.FMinimum = model.FMaximum = {0, 0, 0};
    NormalScratch scratch;
    for (size_t i = 0; i < meshCount(model); ++i) {
        TGL3dsMesh* mesh = model.FMesh[i];
        if (!mesh) continue;
        if (mesh->FNumVertex > 0) pivotAndScale(*mesh, model.FMasterScale);
        if (mesh->FNumIndices <= 0) continue;
        normalsAndSize(*mesh, scratch);
        widenBox(model.FMinimum, model.FMaximum, mesh->FMinimum);
        widenBox(model.FMinimum, model.FMaximum, mesh->FMaximum);
    }
}

}  // namespace

void vtrl3ds_internal::finishLoad(TGLAll3dsMesh& model, NormalSource normals) {
    if (normals == NormalSource::Computed) {
        computedNormals(model);
    } else {
        adoptFileNormals(model);
        model.CalculateSize();
    }
    model.CalculateRenderOrder();
    for (TGL3dsMaterial* material : model.FMaterial)
        if (material) material->UpdateTexture();
}
