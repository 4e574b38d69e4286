// Post-processing pass CalculateSize: each mesh's bounding box over the vertices its faces use,
// and the model's box, which starts at the origin and so always contains it. Reports nothing;
// corners naming a vertex beyond the list are passed over. Also owns the corner box (private/lanes.h).
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/lanes.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;

namespace {

// Corners that CalculateSize walks: FNumIndices (not rounded to whole triangles), never more
// than FIndices holds.
size_t sizedCorners(const TGL3dsMesh& mesh) {
    return std::min(static_cast<size_t>(std::max(mesh.FNumIndices, 0)), mesh.FIndices.size());
}

// One corner after the other, each checked: any mesh.
void checkedSize(TGL3dsMesh& mesh, size_t corners, size_t vertices) {
    bool first = true;
    for (size_t k = 0; k < corners; ++k) {
        if (mesh.FIndices[k] >= vertices) continue;
        const T3dpoint& p = mesh.FVertex[mesh.FIndices[k]];
        if (first) mesh.FMinimum = mesh.FMaximum = p;
        first = false;
        widenBox(mesh.FMinimum, mesh.FMaximum, p);
    }
}

#if defined(VTRL3DS_LANES)

// A mesh whose corners all name a vertex, three corners a step, one to a stream.
void laneSize(TGL3dsMesh& mesh, size_t corners, size_t vertices) {
    const T3dpoint* v = mesh.FVertex.data();
    const uint16_t* c = mesh.FIndices.data();
    CornerBox box(loadPoint(v, c[0], vertices));
    size_t k = 0;
    for (; k + 3 <= corners; k += 3) {
        box.add(0, loadPoint(v, c[k], vertices));
        box.add(1, loadPoint(v, c[k + 1], vertices));
        box.add(2, loadPoint(v, c[k + 2], vertices));
    }
    for (; k < corners; ++k) box.add(0, loadPoint(v, c[k], vertices));
    box.finish(mesh, corners);
}

// The component `axis` of the first corner whose value there equals zero (either sign).
float firstZero(const TGL3dsMesh& mesh, size_t corners, float T3dpoint::*axis) {
    for (size_t k = 0; k < corners; ++k) {
        const float value = mesh.FVertex[mesh.FIndices[k]].*axis;
        if (value == 0.0f) return value;
    }
    return 0.0f;
}

#endif

}  // namespace

namespace vtrl3ds_internal {

void widenBox(T3dpoint& Minimum, T3dpoint& Maximum, const T3dpoint& P) {
    if (Minimum.X > P.X) Minimum.X = P.X;
    if (Minimum.Y > P.Y) Minimum.Y = P.Y;
    if (Minimum.Z > P.Z) Minimum.Z = P.Z;
    if (Maximum.X < P.X) Maximum.X = P.X;
    if (Maximum.Y < P.Y) Maximum.Y = P.Y;
    if (Maximum.Z < P.Z) Maximum.Z = P.Z;
}

bool allCornersBelow(const uint16_t* corners, size_t count, size_t vertices) {
    if (vertices > 0xFFFF) return true;
    if (vertices == 0) return count == 0;
    size_t k = 0;
#if defined(VTRL3DS_LANES)
    // Saturating subtraction of the highest index allowed leaves zero exactly where it is kept.
    const __m128i highest = _mm_set1_epi16(static_cast<int16_t>(vertices - 1));
    __m128i beyond = _mm_setzero_si128();
    for (; k + 8 <= count; k += 8)
        beyond = _mm_or_si128(
            beyond, _mm_subs_epu16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(corners + k)), highest));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(beyond, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
    for (; k < count; ++k)
        if (corners[k] >= vertices) return false;
    return true;
}

#if defined(VTRL3DS_LANES)

void storeBox(TGL3dsMesh& mesh, size_t corners, __m128 low, __m128 high) {
    storePoint(mesh.FMinimum, low);
    storePoint(mesh.FMaximum, high);
    for (float T3dpoint::*axis : {&T3dpoint::X, &T3dpoint::Y, &T3dpoint::Z}) {
        if (mesh.FMinimum.*axis == 0.0f) mesh.FMinimum.*axis = firstZero(mesh, corners, axis);
        if (mesh.FMaximum.*axis == 0.0f) mesh.FMaximum.*axis = firstZero(mesh, corners, axis);
    }
}

#endif

}  // namespace vtrl3ds_internal

void TGL3dsMesh::CalculateSize() {
    const size_t vertices = vertexCount(*this);
    const size_t corners = sizedCorners(*this);
    FMinimum = FMaximum = {0, 0, 0};
#if defined(VTRL3DS_LANES)
    if (corners > 0 && allCornersBelow(FIndices.data(), corners, vertices))
        return laneSize(*this, corners, vertices);
#endif
    checkedSize(*this, corners, vertices);
}

void TGLAll3dsMesh::CalculateSize() {
    FMinimum = FMaximum = {0, 0, 0};
    for (size_t i = 0; i < meshCount(*this); ++i) {
        TGL3dsMesh* mesh = FMesh[i];
        if (!mesh || mesh->FNumIndices <= 0) continue;
        mesh->CalculateSize();
        widenBox(FMinimum, FMaximum, mesh->FMinimum);
        widenBox(FMinimum, FMaximum, mesh->FMaximum);
    }
}
