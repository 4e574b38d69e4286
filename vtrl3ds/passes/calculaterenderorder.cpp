// Post-processing pass CalculateRenderOrder: meshes with a see-through face (a material whose
// FTransparency is below 1) move to the tail of FRenderOrder, the first found last. Reports
// nothing; a face whose material index names no material counts as opaque.
#include <utility>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

namespace {

// The mesh at render slot `slot` has a face whose material is see-through.
bool slotIsSeeThrough(const TGLAll3dsMesh& model, const std::vector<char>& seeThrough, size_t slot) {
    const int32_t index = model.FRenderOrder[slot];
    if (index < 0 || static_cast<size_t>(index) >= model.FMesh.size() || !model.FMesh[index]) return false;
    for (uint16_t id : model.FMesh[index]->FMatID)
        if (id < seeThrough.size() && seeThrough[id]) return true;
    return false;
}

}  // namespace

void TGLAll3dsMesh::CalculateRenderOrder() {
    std::vector<char> seeThrough(FMaterial.size());
    for (size_t i = 0; i < FMaterial.size(); ++i)
        seeThrough[i] = FMaterial[i] && FMaterial[i]->FTransparency < 1.0f;
    const int64_t N = static_cast<int64_t>(std::min(meshCount(*this), FRenderOrder.size()));
    int64_t Found = 0;
    // The last slot is never examined itself; after an exchange the same slot is examined again
    // with the mesh just moved into it.
    for (int64_t M = 0; M < N - 1; ++M) {
        if (N - Found > M && slotIsSeeThrough(*this, seeThrough, static_cast<size_t>(M))) {
            ++Found;
            std::swap(FRenderOrder[static_cast<size_t>(M)], FRenderOrder[static_cast<size_t>(N - Found)]);
            --M;
        }
    }
}
