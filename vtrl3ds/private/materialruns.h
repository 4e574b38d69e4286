// The walk the drawing code shares: a mesh's drawable triangles in file order, split into runs of
// one material index. Private to the model library; nothing here fails: a triangle naming a vertex
// beyond the list is passed over, and one without a material index continues the run before it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtrl3ds/private/checked.h"

namespace vtrl3ds_internal {

// Calls startRun(material index) where a triangle's index differs from the last one met (the
// first indexed triangle always starts a run: no 16-bit index equals -1), then triangle(corner of
// its first vertex) for every triangle whose corners name vertices below `vertices`.
template <class StartRun, class Triangle>
void walkMaterialRuns(const TGL3dsMesh& mesh, size_t vertices, StartRun startRun, Triangle triangle) {
    int32_t MatID = -1;
    const size_t corners = cornerCount(mesh);
    for (size_t f = 0; f < corners; f += 3) {
        if (!faceIsValid(mesh, f, vertices)) continue;
        const size_t face = f / 3;
        if (face < mesh.FMatID.size() && mesh.FMatID[face] != MatID) {
            MatID = mesh.FMatID[face];
            startRun(static_cast<size_t>(MatID));
        }
        triangle(f);
    }
}

// The material a run's index names applied (TGL3dsMaterial::Apply), when the mesh has a model and
// the index names one of its materials.
inline void applyRunMaterial(const TGLAll3dsMesh* model, size_t id) {
    if (TGL3dsMaterial* material = model ? materialAt(*model, id) : nullptr) material->Apply();
}

}  // namespace vtrl3ds_internal
