// Smoothing-group normals (normals.h, private/smoothing.h): one walk over the faces takes the
// corner angles (four faces at a time where every corner names a vertex) and adds each face's
// weighted normal to its vertex's sum when the face has the groups first met at that vertex, or
// keeps it aside when not; a vertex with corners kept aside (its faces differ in groups) gets its
// normal for a corner's groups from its sum and the kept corners that share a group bit. Single
// precision throughout, the same bits four faces at a time as face by face. Reports nothing;
// triangles naming missing vertices take part in nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "vtrl3ds/normals.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/private/lanes.h"
#include "vtrl3ds/private/smoothing.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

// ---- Corner angles ---------------------------------------------------------------------------

constexpr float quarterPi = 0.785398163397f, halfPi = 1.570796326795f, pi = 3.14159265359f;
constexpr float tanEighthPi = 0.414213562373f;

// atan2(y, x) for y >= 0 (or NaN) within a few units in the last place, with one division: the
// smaller of y and |x| over the larger, or above tan(pi/8) their difference over their sum (the
// arctangent less pi/4), by a polynomial; 0 where either is NaN, and for 0 over 0.
inline float angleOf(float y, float x) {
    const float ax = std::fabs(x), small = y < ax ? y : ax, large = y < ax ? ax : y;
    const bool reduced = small > tanEighthPi * large;
    const float num = reduced ? small - large : small, den = reduced ? small + large : large;
    const float u = num / (den > 1e-30f ? den : 1e-30f), z = u * u;
    float r =
        (((8.05374449538e-2f * z - 1.38776856032e-1f) * z + 1.99777106478e-1f) * z - 3.33329491539e-1f) * z;
    r = r * u + u + (reduced ? quarterPi : 0.0f);
    if (y > ax) r = halfPi - r;
    if (x < 0) r = pi - r;
    return r == r && y == y ? r : 0.0f;
}

// The angles at the corners a, b, c of one triangle, the same operations as the lanes below.
// The angle at corner k (0, 1 or 2) of the triangle a, b, c; all three (k = 3) into out[0..2].
inline void triangleAngles(const T3dpoint& a, const T3dpoint& b, const T3dpoint& c, float out[3], int k = 3) {
    const T3dpoint ab{b.X - a.X, b.Y - a.Y, b.Z - a.Z}, ac{c.X - a.X, c.Y - a.Y, c.Z - a.Z},
        bc{c.X - b.X, c.Y - b.Y, c.Z - b.Z};
    const float cx = ab.Y * ac.Z - ab.Z * ac.Y, cy = ab.Z * ac.X - ab.X * ac.Z,
                cz = ab.X * ac.Y - ab.Y * ac.X;
    const float area = std::sqrt(cx * cx + cy * cy + cz * cz);  // twice the area, the same at every corner
    if (k != 1) out[0] = angleOf(area, ab.X * ac.X + ab.Y * ac.Y + ab.Z * ac.Z);
    if (k != 0) out[1] = angleOf(area, -(ab.X * bc.X + ab.Y * bc.Y + ab.Z * bc.Z));
    if (k < 2) return;
    const float rest = pi - out[0] - out[1];  // the three make a half turn
    out[2] = rest > 0 ? rest : 0.0f;
}

#if defined(VTRL3DS_LANES)

// minps(a, b) is a < b ? a : b and maxps(a, b) a > b ? a : b, the scalar version's choices.
inline __m128 angleOf(__m128 y, __m128 x) {
    const __m128 ax = _mm_andnot_ps(_mm_set1_ps(-0.0f), x);
    const __m128 small = _mm_min_ps(y, ax), large = _mm_max_ps(ax, y);
    const __m128 reduced = _mm_cmpgt_ps(small, _mm_mul_ps(_mm_set1_ps(tanEighthPi), large));
    const __m128 num = select(reduced, _mm_sub_ps(small, large), small);
    const __m128 den = select(reduced, _mm_add_ps(small, large), large);
    const __m128 u = _mm_div_ps(num, _mm_max_ps(den, _mm_set1_ps(1e-30f)));
    const __m128 z = _mm_mul_ps(u, u);
    __m128 r = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(8.05374449538e-2f), z), _mm_set1_ps(1.38776856032e-1f));
    r = _mm_add_ps(_mm_mul_ps(r, z), _mm_set1_ps(1.99777106478e-1f));
    r = _mm_sub_ps(_mm_mul_ps(r, z), _mm_set1_ps(3.33329491539e-1f));
    r = _mm_mul_ps(r, z);
    r = _mm_add_ps(_mm_add_ps(_mm_mul_ps(r, u), u), _mm_and_ps(reduced, _mm_set1_ps(quarterPi)));
    r = select(_mm_cmpgt_ps(y, ax), _mm_sub_ps(_mm_set1_ps(halfPi), r), r);
    r = select(_mm_cmplt_ps(x, _mm_setzero_ps()), _mm_sub_ps(_mm_set1_ps(pi), r), r);
    return _mm_and_ps(_mm_and_ps(_mm_cmpeq_ps(r, r), _mm_cmpeq_ps(y, y)), r);
}

inline __m128 minus(__m128 a, __m128 b) {
    return _mm_sub_ps(a, b);
}
inline Axes minus(const Axes& a, const Axes& b) {
    return {minus(a.x, b.x), minus(a.y, b.y), minus(a.z, b.z)};
}

// The corner angles of faces face .. face + 3 (corners `index` into the `count` points): corner c
// of face face + i in lane i of angle[c]. Returns whether one of the four has no area (a face
// naming a vertex twice has none).
inline bool fourFaceAngles(const uint16_t* index, const T3dpoint* points, size_t count, size_t face,
                           __m128 (&angle)[3]) {
    const uint16_t* c = index + 3 * face;
    const auto at = [&](int k) { return loadPoint(points, c[k], count); };
    const Axes a = axes(at(0), at(3), at(6), at(9)), b = axes(at(1), at(4), at(7), at(10)),
               d = axes(at(2), at(5), at(8), at(11));
    const Axes ab = minus(b, a), ac = minus(d, a), bc = minus(d, b);
    // The angles at a and b; the one at c makes up the half turn.
    const Axes cross{minus(_mm_mul_ps(ab.y, ac.z), _mm_mul_ps(ab.z, ac.y)),
                     minus(_mm_mul_ps(ab.z, ac.x), _mm_mul_ps(ab.x, ac.z)),
                     minus(_mm_mul_ps(ab.x, ac.y), _mm_mul_ps(ab.y, ac.x))};
    const __m128 area = _mm_sqrt_ps(dot(cross, cross));
    const __m128 atA = angleOf(area, dot(ab, ac)),
                 atB = angleOf(area, _mm_xor_ps(dot(ab, bc), _mm_set1_ps(-0.0f)));
    const __m128 rest = _mm_sub_ps(_mm_sub_ps(_mm_set1_ps(pi), atA), atB);
    angle[0] = atA, angle[1] = atB, angle[2] = _mm_and_ps(_mm_cmpgt_ps(rest, _mm_setzero_ps()), rest);
    return _mm_movemask_ps(_mm_cmpeq_ps(area, _mm_setzero_ps())) != 0;
}

#endif

// The weight of each corner of a face: the angle of the first corner naming the same vertex (a
// face on a vertex twice counts twice with the same weight).
inline void cornerWeights(const uint16_t* c, float (&w)[3]) {
    if (c[1] == c[0]) w[1] = w[0];
    if (c[2] == c[0])
        w[2] = w[0];
    else if (c[2] == c[1])
        w[2] = w[1];
}

// The running sums of the walk: per vertex, x, y, z and a spare lane summed over the faces with
// the groups of the first face with groups met there (`first`, 0 before one is met); the weighted
// normal of a corner whose face has other groups goes to `other` instead (raw pointers, so that
// nothing stored in the walk makes the compiler read them again).
struct Sums {
    float* sum;
    uint32_t* first;
    std::vector<SmoothNormals::Corner>* other;

    bool firstGroups(uint16_t v, uint32_t g) {
        uint32_t& f = first[v];
        f = f != 0 ? f : g;
        return f == g;
    }
    // Face normal n weighted at the corners c of a face with groups g.
    void add(const uint16_t* c, const float (&w)[3], const T3dpoint& n, uint32_t g) {
        for (size_t k = 0; k < 3; ++k) {
            const float x = w[k] * n.X, y = w[k] * n.Y, z = w[k] * n.Z;
            if (!firstGroups(c[k], g)) {
                other->push_back({{x, y, z}, g, c[k]});
                continue;
            }
            float* t = sum + 4 * size_t{c[k]};
            t[0] += x, t[1] += y, t[2] += z;
        }
    }
#if defined(VTRL3DS_LANES)
    // The same for face I of four, the corner weights in lane I of a, b and c, n as x, y, z and a
    // spare lane.
    template <int I>
    void add(const uint16_t* c, __m128 a, __m128 b, __m128 d, __m128 n, uint32_t g) {
        constexpr int lane = I * 0x55;
        const __m128 w[3] = {_mm_shuffle_ps(a, a, lane), _mm_shuffle_ps(b, b, lane),
                             _mm_shuffle_ps(d, d, lane)};
        for (size_t k = 0; k < 3; ++k) {
            const __m128 x = _mm_mul_ps(w[k], n);
            if (!firstGroups(c[k], g)) {
                float q[4];
                _mm_storeu_ps(q, x);
                other->push_back({{q[0], q[1], q[2]}, g, c[k]});
                continue;
            }
            float* t = sum + 4 * size_t{c[k]};
            _mm_storeu_ps(t, _mm_add_ps(_mm_loadu_ps(t), x));
        }
    }
#endif
};

#if defined(VTRL3DS_LANES)

// Face I of the four at f into the sums, when it has groups.
template <int I>
inline void addFace(Sums& s, const uint16_t* index, const uint32_t* groups, const T3dpoint* normal, size_t f,
                    size_t faces, const __m128 (&a)[3]) {
    if (groups[f + I] == 0) return;
    s.add<I>(index + 3 * (f + I), a[0], a[1], a[2], loadPoint(normal, f + I, faces), groups[f + I]);
}

// The walk four faces at a time over a mesh whose corners all name vertices, as far as whole
// fours of faces with an entry in `groups` go (a four with a face of no area, which may name a
// vertex twice, taken face by face); returns the faces walked.
size_t laneWalk(const TGL3dsMesh& mesh, size_t faces, size_t vertices, const T3dpoint* normal, Sums s) {
    const uint16_t* index = mesh.FIndices.data();
    const uint32_t* groups = mesh.FSmoothingGroup.data();
    const size_t end = std::min(faces, mesh.FSmoothingGroup.size());
    size_t f = 0;
    for (; f + 4 <= end; f += 4) {
        __m128 a[3];
        if (!fourFaceAngles(index, mesh.FVertex.data(), vertices, f, a)) {
            addFace<0>(s, index, groups, normal, f, faces, a);
            addFace<1>(s, index, groups, normal, f, faces, a);
            addFace<2>(s, index, groups, normal, f, faces, a);
            addFace<3>(s, index, groups, normal, f, faces, a);
            continue;
        }
        float w[12];
        for (int k = 0; k < 3; ++k) _mm_storeu_ps(w + 4 * k, a[k]);
        for (size_t i = 0; i < 4; ++i) {
            if (groups[f + i] == 0) continue;
            float c[3] = {w[i], w[4 + i], w[8 + i]};
            cornerWeights(index + 3 * (f + i), c);
            s.add(index + 3 * (f + i), c, normal[f + i], groups[f + i]);
        }
    }
    return f;
}

// Each sum normalised, four vertices at a time (Normalize's result lane by lane).
void normaliseSums(const std::vector<float>& sum, T3dpoint* out, size_t count) {
    size_t v = 0;
    for (; v + 4 <= count; v += 4) {
        const float* t = &sum[4 * v];
        __m128 r[4];
        points(
            normalized(axes(_mm_loadu_ps(t), _mm_loadu_ps(t + 4), _mm_loadu_ps(t + 8), _mm_loadu_ps(t + 12))),
            r);
        storeFour(&out[v], r, v + 4 >= count);
    }
    for (; v < count; ++v) out[v] = Normalize(T3dpoint{sum[4 * v], sum[4 * v + 1], sum[4 * v + 2]});
}

#else

void normaliseSums(const std::vector<float>& sum, T3dpoint* out, size_t count) {
    for (size_t v = 0; v < count; ++v)
        out[v] = Normalize(T3dpoint{sum[4 * v], sum[4 * v + 1], sum[4 * v + 2]});
}

#endif

}  // namespace

namespace vtrl3ds_internal {

SmoothNormals::SmoothNormals(const TGL3dsMesh& mesh)
    : FMesh(mesh),
      FVertices(vertexCount(mesh)),
      FFaces(cornerCount(mesh) / 3),
      FFaceNormal(mesh.FaceNormal.data()),
      FKind(FVertices, noGroups) {
    const uint16_t* index = mesh.FIndices.data();
    const auto valid = [&](size_t f) { return faceIsValid(mesh, 3 * f, FVertices); };
    if (mesh.FaceNormal.size() != FFaces) {
        FComputed.assign(FFaces, T3dpoint{0, 0, 0});
        for (size_t f = 0; f < FFaces; ++f)
            if (valid(f))
                FComputed[f] = CalcNormalVector(mesh.FVertex[index[3 * f]], mesh.FVertex[index[3 * f + 1]],
                                                mesh.FVertex[index[3 * f + 2]]);
        FFaceNormal = FComputed.data();
    }
    const std::vector<uint32_t>& groups = mesh.FSmoothingGroup;
    std::vector<float> sum(4 * FVertices, 0.0f);
    std::vector<uint32_t> first(FVertices, 0);
    std::vector<Corner> other;
    Sums s{sum.data(), first.data(), &other};
    size_t f = 0;
    FAllValid = allCornersBelow(index, 3 * FFaces, FVertices);
#if defined(VTRL3DS_LANES)
    if (FAllValid) f = laneWalk(mesh, FFaces, FVertices, FFaceNormal, s);
#endif
    for (; f < std::min(FFaces, groups.size()); ++f) {
        if (groups[f] == 0 || !valid(f)) continue;
        float w[3];
        triangleAngles(mesh.FVertex[index[3 * f]], mesh.FVertex[index[3 * f + 1]],
                       mesh.FVertex[index[3 * f + 2]], w);
        cornerWeights(index + 3 * f, w);
        s.add(index + 3 * f, w, FFaceNormal[f], groups[f]);
    }
    FPlain = uninitialisedArray<T3dpoint>(FVertices);
    normaliseSums(sum, FPlain.get(), FVertices);
    for (size_t v = 0; v < FVertices; ++v) FKind[v] = first[v] == 0 ? noGroups : plainVertex;
    if (!other.empty()) listMixed(sum, first, other);
}

// The mixed vertices (those with corners in `other`), each with its sum for its first groups and
// its other corners in face order.
void SmoothNormals::listMixed(const std::vector<float>& sum, const std::vector<uint32_t>& first,
                              const std::vector<Corner>& other) {
    FSlot.assign(FVertices, -1);
    for (const Corner& c : other) FKind[c.Vertex] = mixedVertex;
    size_t slots = 0;
    for (size_t v = 0; v < FVertices; ++v)
        if (FKind[v] == mixedVertex) {
            FSlot[v] = int32_t(slots++);
            FFirst.push_back({{sum[4 * v], sum[4 * v + 1], sum[4 * v + 2]}, first[v], uint16_t(v)});
        }
    FStart.assign(slots + 1, 0);
    for (const Corner& c : other) ++FStart[size_t(FSlot[c.Vertex]) + 1];
    for (size_t i = 0; i < slots; ++i) FStart[i + 1] += FStart[i];
    FOther.resize(other.size());
    std::vector<uint32_t> at(FStart.begin(), FStart.end() - 1);
    for (const Corner& c : other) FOther[at[size_t(FSlot[c.Vertex])]++] = c;
    // The last normals are read only where their groups (never 0) match.
    FLastGroups.assign(slots, 0);
    FLastNormal = uninitialisedArray<T3dpoint>(slots);
}

// The angle-weighted sum of the normals of the faces around mixed vertex v that share a bit of
// groups g, normalised: its sum for its first groups where they share one, and each other corner
// that does; the last one made at each vertex is kept with its groups.
const T3dpoint& SmoothNormals::mixed(uint16_t v, uint32_t g) {
    const size_t slot = size_t(FSlot[v]);
    if (FLastGroups[slot] == g) return FLastNormal[slot];
    T3dpoint t{0, 0, 0};
    if (FFirst[slot].Groups & g) t = FFirst[slot].Normal;
    for (size_t k = FStart[slot]; k < FStart[slot + 1]; ++k)
        if (FOther[k].Groups & g)
            t.X += FOther[k].Normal.X, t.Y += FOther[k].Normal.Y, t.Z += FOther[k].Normal.Z;
    FLastGroups[slot] = g;
    return FLastNormal[slot] = Normalize(t);
}

}  // namespace vtrl3ds_internal

std::vector<T3dpoint> SmoothingGroupNormals(const TGL3dsMesh& mesh) {
    std::vector<T3dpoint> out(static_cast<size_t>(std::max(mesh.FNumIndices, 0)), T3dpoint{0, 0, 0});
    SmoothNormals normals(mesh);
    const size_t faces = cornerCount(mesh) / 3, vertices = vertexCount(mesh);
    for (size_t f = 0; f < faces; ++f)
        if (faceIsValid(mesh, 3 * f, vertices))
            for (size_t c = 0; c < 3; ++c) out[3 * f + c] = normals.at(f, c);
    return out;
}
