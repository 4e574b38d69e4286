// Normals of the formats that carry their own (MilkShape text and binary models): each mesh's
// triangles are brought to the library's winding, clockwise seen from the side they face (as a
// 3DS model's are after its axis exchange), and its face and vertex normals are made from the
// file's normals where they are usable, computed from the corners where not. Reports nothing.
#include <cmath>
#include <utility>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/lanes.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

float dot(const T3dpoint& a, const T3dpoint& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

bool isZero(const T3dpoint& n) {
    return n.X == 0 && n.Y == 0 && n.Z == 0;
}

// A normal a face can be lit with: finite and not (nearly) zero.
bool usable(const T3dpoint& n) {
    return std::isfinite(n.X) && std::isfinite(n.Y) && std::isfinite(n.Z) && dot(n, n) > 1e-12f;
}

// The file's normal at corner k, or null when its index lies beyond the list or it is unusable.
const T3dpoint* fileNormal(const TGL3dsMesh& m, size_t k) {
    if (k >= m.FNormalIndices.size()) return nullptr;
    const size_t i = m.FNormalIndices[k];
    return i < m.FVNormal.size() && usable(m.FVNormal[i]) ? &m.FVNormal[i] : nullptr;
}

// The normal of the triangle at corner f as the library draws it, from its stored winding.
T3dpoint windingNormal(const TGL3dsMesh& m, size_t f) {
    return CalcNormalVector(m.FVertex[m.FIndices[f]], m.FVertex[m.FIndices[f + 1]],
                            m.FVertex[m.FIndices[f + 2]]);
}

// +1 when the file's normals of the triangle at corner f point to the side its winding gives,
// -1 when they point away, 0 when they cannot tell.
int vote(const TGL3dsMesh& m, size_t f) {
    T3dpoint sum{0, 0, 0};
    for (size_t c = 0; c < 3; ++c)
        if (const T3dpoint* n = fileNormal(m, f + c)) sum = {sum.X + n->X, sum.Y + n->Y, sum.Z + n->Z};
    const float d = dot(sum, windingNormal(m, f));
    return d > 0 ? 1 : (d < 0 ? -1 : 0);
}

#if defined(VTRL3DS_LANES)

// usable() of each lane.
__m128 usableLanes(const Axes& n) {
    const __m128i exponent = _mm_set1_epi32(0x7F800000);
    const auto infinite = [&](__m128 a) {
        return _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(a), exponent), exponent);
    };
    const __m128i bad = _mm_or_si128(_mm_or_si128(infinite(n.x), infinite(n.y)), infinite(n.z));
    return _mm_andnot_ps(_mm_castsi128_ps(bad), _mm_cmpgt_ps(dot(n, n), _mm_set1_ps(1e-12f)));
}

// The corners at position c (0, 1 or 2) of the four faces from corner f.
Axes cornerPoints(const TGL3dsMesh& m, size_t f, int c, size_t vertices) {
    const T3dpoint* v = m.FVertex.data();
    const uint16_t* k = m.FIndices.data() + f + c;
    return axes(loadPoint(v, k[0], vertices), loadPoint(v, k[3], vertices), loadPoint(v, k[6], vertices),
                loadPoint(v, k[9], vertices));
}

// The file's normals at position c of the four faces from corner f (their indices checked
// beforehand), and in `usable` the lanes where they are finite and not (nearly) zero.
Axes cornerNormals(const TGL3dsMesh& m, size_t f, int c, __m128& usable) {
    const T3dpoint* v = m.FVNormal.data();
    const size_t count = m.FVNormal.size();
    const uint16_t* k = m.FNormalIndices.data() + f + c;
    const Axes n = axes(loadPoint(v, k[0], count), loadPoint(v, k[3], count), loadPoint(v, k[6], count),
                        loadPoint(v, k[9], count));
    usable = usableLanes(n);
    return n;
}

// The votes of the four faces from corner f (see vote), summed.
int fourVotes(const TGL3dsMesh& m, size_t f, size_t vertices) {
    const Axes computed = faceNormals(cornerPoints(m, f, 0, vertices), cornerPoints(m, f, 1, vertices),
                                      cornerPoints(m, f, 2, vertices));
    Axes sum{_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    for (int c = 0; c < 3; ++c) {
        __m128 usable;
        const Axes n = cornerNormals(m, f, c, usable);
        sum = select(usable, sum + n, sum);
    }
    const __m128 d = dot(sum, computed);
    return __builtin_popcount(static_cast<unsigned>(_mm_movemask_ps(_mm_cmpgt_ps(d, _mm_setzero_ps())))) -
           __builtin_popcount(static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(d, _mm_setzero_ps()))));
}

// The face normals (see faceNormal) of the four faces from corner f, when every one of their
// corners has a usable normal of the file (none is then replaced); false, with nothing written,
// otherwise.
bool fourFaceNormals(TGL3dsMesh& m, size_t f, size_t faces, size_t vertices) {
    Axes n[3];
    __m128 usable[3];
    for (int c = 0; c < 3; ++c) n[c] = cornerNormals(m, f, c, usable[c]);
    if (_mm_movemask_ps(_mm_and_ps(_mm_and_ps(usable[0], usable[1]), usable[2])) != 0xF) return false;
    const Axes computed = faceNormals(cornerPoints(m, f, 0, vertices), cornerPoints(m, f, 1, vertices),
                                      cornerPoints(m, f, 2, vertices));
    const __m128 zero = _mm_setzero_ps();
    const __m128 flat = _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(computed.x, zero), _mm_cmpeq_ps(computed.y, zero)),
                                   _mm_cmpeq_ps(computed.z, zero));
    Axes sum{zero, zero, zero};
    for (int c = 0; c < 3; ++c)
        sum = sum + select(_mm_or_ps(_mm_cmpgt_ps(dot(n[c], computed), zero), flat), n[c], computed);
    __m128 r[4];
    points(select(usableLanes(sum), normalized(sum), computed), r);
    storeFour(m.FaceNormal.data() + f / 3, r, f / 3 + 4 >= faces);
    return true;
}

#endif

// Writers of these formats wind triangles counter-clockwise seen from outside, so a mesh's last
// two corners are exchanged unless most of its own normals say it already runs clockwise (a file
// written from a model this library loaded does). Without usable normals the counter-clockwise
// convention is assumed.
void orient(TGL3dsMesh& m, size_t corners, size_t vertices, [[maybe_unused]] bool laned) {
    int64_t balance = 0;
    size_t f = 0;
#if defined(VTRL3DS_LANES)
    if (laned)
        for (; f + 12 <= corners; f += 12) balance += fourVotes(m, f, vertices);
#endif
    for (; f < corners; f += 3)
        if (faceIsValid(m, f, vertices)) balance += vote(m, f);
    if (balance > 0) return;
    for (size_t f = 0; f < corners; f += 3) {
        std::swap(m.FIndices[f + 1], m.FIndices[f + 2]);
        if (f + 2 < m.FNormalIndices.size()) std::swap(m.FNormalIndices[f + 1], m.FNormalIndices[f + 2]);
    }
}

// A face's normal: the mean of its corners' own normals, a corner whose normal is missing,
// unusable or pointing behind the face counting with the face's computed normal instead.
T3dpoint faceNormal(const TGL3dsMesh& m, size_t f, const T3dpoint& computed) {
    T3dpoint sum{0, 0, 0};
    for (size_t c = 0; c < 3; ++c) {
        const T3dpoint* n = fileNormal(m, f + c);
        const T3dpoint& use = n && (dot(*n, computed) > 0 || isZero(computed)) ? *n : computed;
        sum = {sum.X + use.X, sum.Y + use.Y, sum.Z + use.Z};
    }
    return usable(sum) ? Normalize(sum) : computed;
}

// Face normals for every whole triangle (zero for one naming a missing vertex), and an unusable
// normal of the file replaced by the computed normal of a face that uses it.
void normals(TGL3dsMesh& m, size_t corners, size_t vertices, [[maybe_unused]] bool laned) {
    m.FaceNormal.assign(static_cast<size_t>(std::max(m.FNumIndices, 0) / 3), T3dpoint{0, 0, 0});
    for (size_t f = 0; f < corners; f += 3) {
#if defined(VTRL3DS_LANES)
        if (laned && f % 12 == 0 && f + 12 <= corners && fourFaceNormals(m, f, corners / 3, vertices)) {
            f += 9;
            continue;
        }
#endif
        if (!faceIsValid(m, f, vertices)) continue;
        const T3dpoint computed = windingNormal(m, f);
        m.FaceNormal[f / 3] = faceNormal(m, f, computed);
        for (size_t c = 0; c < 3 && f + c < m.FNormalIndices.size(); ++c) {
            const size_t i = m.FNormalIndices[f + c];
            if (i < m.FVNormal.size() && !usable(m.FVNormal[i])) m.FVNormal[i] = computed;
        }
    }
}

}  // namespace

namespace vtrl3ds_internal {

void adoptFileNormals(TGLAll3dsMesh& model) {
    for (size_t i = 0; i < meshCount(model); ++i) {
        if (!model.FMesh[i]) continue;
        TGL3dsMesh& m = *model.FMesh[i];
        const size_t corners = cornerCount(m), vertices = vertexCount(m);
        // Four faces at a time where every corner names a vertex and a normal of the file.
        const bool laned = allCornersBelow(m.FIndices.data(), corners, vertices) &&
                           m.FNormalIndices.size() >= corners &&
                           allCornersBelow(m.FNormalIndices.data(), corners, m.FVNormal.size());
        orient(m, corners, vertices, laned);
        normals(m, corners, vertices, laned);
    }
}

}  // namespace vtrl3ds_internal
