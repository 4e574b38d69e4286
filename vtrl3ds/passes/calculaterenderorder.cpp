// Post-processing pass CalculateRenderOrder: meshes with a see-through face (a material whose
// FTransparency is below 1) move to the tail of FRenderOrder, the first found last. Reports
// nothing; a face whose material index names no material counts as opaque.
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

namespace {

// The first index from `at` on whose material index differs from `id`, eight compared at once.
size_t endOfRun(const std::vector<uint16_t>& ids, size_t at, uint16_t id) {
#if defined(__SSE2__)
    const __m128i same = _mm_set1_epi16(static_cast<int16_t>(id));
    for (; at + 8 <= ids.size(); at += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ids.data() + at));
        const unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, same)));
        if (equal != 0xFFFF) return at + static_cast<size_t>(__builtin_ctz(~equal)) / 2;
    }
#endif
    while (at < ids.size() && ids[at] == id) ++at;
    return at;
}

// The mesh at render slot `slot` has a face whose material is see-through. Faces come in runs of
// one material, so each run is looked up once.
bool slotIsSeeThrough(const TGLAll3dsMesh& model, const std::vector<char>& seeThrough, size_t slot) {
    const int32_t index = model.FRenderOrder[slot];
    if (index < 0 || static_cast<size_t>(index) >= model.FMesh.size() || !model.FMesh[index]) return false;
    const std::vector<uint16_t>& ids = model.FMesh[index]->FMatID;
    for (size_t at = 0; at < ids.size(); at = endOfRun(ids, at + 1, ids[at]))
        if (ids[at] < seeThrough.size() && seeThrough[ids[at]]) return true;
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
