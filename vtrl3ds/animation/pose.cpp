// Skeletal playback: a bone's animated matrix at a frame from its keys, a skeleton posed bone by
// bone, and the model's re-skinning of its bound vertices into the posed arrays. Rotations are
// interpolated as quaternions along the shortest arc, positions linearly; nothing here fails
// except GetBone, which raises ERangeError for an index naming no bone.
#include <algorithm>
#include <cmath>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vtrl3ds/errors.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/private/posing.h"
#include "vtrl3ds/private/rotation.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

using namespace vtrl3ds_internal;

namespace {

// A turn of Angle radians about axis 0 (X), 1 (Y) or 2 (Z).
Quat axisTurn(int axis, double angle) {
    Quat q{std::cos(angle / 2), 0, 0, 0};
    const double s = std::sin(angle / 2);
    (axis == 0 ? q.x : axis == 1 ? q.y : q.z) = s;
    return q;
}

// The turns about the axes of Order, the first one outermost (applied last to a vector).
Quat eulerTurn(const T3dpoint& angles, const int (&order)[3]) {
    const double a[3] = {angles.X, angles.Y, angles.Z};
    return axisTurn(order[0], a[order[0]]) * axisTurn(order[1], a[order[1]]) *
           axisTurn(order[2], a[order[2]]);
}

// The rotation block of M := the turn Q; the translation is left alone.
void setRotation(clsMatrix& m, const Quat& q) {
    const Mat3 r = matrixOf(q);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) m.m_matrix[4 * column + row] = float(r.m[row][column]);
}

// The two keys around Frame and the weight of the second: keys are taken in time order; before
// the first key and after the last one the nearest key holds. Keys sharing a time (MilkShape key
// times are rounded to whole frames) give way to the last of them.
struct Span {
    const TKeyFrame* a = nullptr;
    const TKeyFrame* b = nullptr;
    double t = 0;
};

Span around(const std::vector<TKeyFrame>& keys, int32_t count, double frame) {
    const size_t n = std::min(keys.size(), static_cast<size_t>(std::max(count, 0)));
    if (n == 0) return {};
    const auto first = keys.begin(), last = keys.begin() + static_cast<std::ptrdiff_t>(n);
    const auto after =
        std::upper_bound(first, last, frame, [](double f, const TKeyFrame& k) { return f < k.Time; });
    if (after == first) return {&*first, &*first, 0};
    if (after == last) return {&*(last - 1), &*(last - 1), 0};
    const TKeyFrame& a = *(after - 1);
    const TKeyFrame& b = *after;
    // Keys out of time order (a hostile file) give no weight outside 0..1 and no division by 0.
    if (b.Time <= a.Time) return {&a, &a, 0};
    return {&a, &b, std::clamp((frame - a.Time) / (double(b.Time) - a.Time), 0.0, 1.0)};
}

T3dpoint lerp(const Span& s) {
    const auto mix = [&](float p, float q) { return float(p + (double(q) - p) * s.t); };
    return {mix(s.a->Value.X, s.b->Value.X), mix(s.a->Value.Y, s.b->Value.Y),
            mix(s.a->Value.Z, s.b->Value.Z)};
}

constexpr int milkShapeOrder[3] = {2, 1, 0};  // Rz Ry Rx, as clsMatrix::SetRotationRadians

// The axis order of a BVH joint's rotation channels (X Y Z when the layout names none).
const int (&bvhOrder(int32_t layout))[3] {
    static constexpr int orders[6][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}, {2, 1, 0}, {0, 2, 1}, {1, 0, 2}};
    static constexpr int32_t flags[6] = {ChannelTypeRXYZ, ChannelTypeRZXY, ChannelTypeRYZX,
                                         ChannelTypeRZYX, ChannelTypeRXZY, ChannelTypeRYXZ};
    for (int i = 0; i < 6; ++i)
        if (layout & flags[i]) return orders[i];
    return orders[0];
}

Quat keyTurn(const Span& s, const int (&order)[3]) {
    if (!s.a) return {1, 0, 0, 0};
    const Quat a = eulerTurn(s.a->Value, order);
    return s.t == 0 ? a : slerp(a, eulerTurn(s.b->Value, order), s.t);
}

void setTranslation(clsMatrix& m, const T3dpoint& p) {
    const float t[3] = {p.X, p.Y, p.Z};
    m.SetTranslation(t);
}

}  // namespace

namespace {

#if defined(__SSE2__)

// One point as four lanes: the matrix columns times its broadcast coordinates (plus the
// translation column for a position). The fourth lane is not used.
inline __m128 turn(const __m128 (&c)[4], __m128 v, bool translate) {
    const __m128 r = _mm_add_ps(_mm_mul_ps(c[0], _mm_shuffle_ps(v, v, 0x00)),
                                _mm_add_ps(_mm_mul_ps(c[1], _mm_shuffle_ps(v, v, 0x55)),
                                           _mm_mul_ps(c[2], _mm_shuffle_ps(v, v, 0xAA))));
    return translate ? _mm_add_ps(r, c[3]) : r;
}

// A bone's matrix for four points at a time: each used element broadcast to four lanes.
struct Spread {
    __m128 m[12];  // columns 0, 1, 2 and the translation, rows 0..2 each
    explicit Spread(const float* e) {
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 3; ++r) m[3 * c + r] = _mm_set1_ps(e[4 * c + r]);
    }
};

// Row r of the matrix times the four points (x, y, z one register each), the same operations in
// the same order as turn, so that every lane is what turn gives.
inline __m128 row(const Spread& s, int r, __m128 x, __m128 y, __m128 z, bool translate) {
    const __m128 v =
        _mm_add_ps(_mm_mul_ps(s.m[r], x), _mm_add_ps(_mm_mul_ps(s.m[3 + r], y), _mm_mul_ps(s.m[6 + r], z)));
    return translate ? _mm_add_ps(v, s.m[9 + r]) : v;
}

// Four points (48 bytes at in, 16-byte aligned) moved into out (aligned), stored past the cache
// when Stream is set. The points are taken apart into one register per axis and put back after.
template <bool Stream>
inline void moveFour(const Spread& s, const float* in, float* out, bool translate) {
    const __m128 a = _mm_load_ps(in), b = _mm_load_ps(in + 4), c = _mm_load_ps(in + 8);
    const __m128 x = _mm_shuffle_ps(a, _mm_shuffle_ps(b, c, 0x5A), 0x8C);
    const __m128 y = _mm_shuffle_ps(_mm_shuffle_ps(a, b, 0x05), _mm_shuffle_ps(b, c, 0xAF), 0x88);
    const __m128 z = _mm_shuffle_ps(_mm_shuffle_ps(a, b, 0x5A), _mm_shuffle_ps(c, c, 0xF0), 0x88);
    const __m128 px = row(s, 0, x, y, z, translate), py = row(s, 1, x, y, z, translate),
                 pz = row(s, 2, x, y, z, translate);
    const __m128 oa = _mm_shuffle_ps(_mm_shuffle_ps(px, py, 0x00), _mm_shuffle_ps(pz, px, 0x50), 0x88);
    const __m128 ob = _mm_shuffle_ps(_mm_shuffle_ps(py, pz, 0x55), _mm_shuffle_ps(px, py, 0xAA), 0x88);
    const __m128 oc = _mm_shuffle_ps(_mm_shuffle_ps(pz, px, 0xFA), _mm_shuffle_ps(py, pz, 0xFF), 0x88);
    if constexpr (Stream) {
        _mm_stream_ps(out, oa), _mm_stream_ps(out + 4, ob), _mm_stream_ps(out + 8, oc);
    } else {
        _mm_store_ps(out, oa), _mm_store_ps(out + 4, ob), _mm_store_ps(out + 8, oc);
    }
}

// One point moved exactly (12 bytes read and written).
inline void moveOne(const __m128 (&c)[4], const T3dpoint& in, T3dpoint& out, bool translate) {
    alignas(16) float r[4];
    _mm_store_ps(r, turn(c, _mm_setr_ps(in.X, in.Y, in.Z, 0), translate));
    out = {r[0], r[1], r[2]};
}

// Moves Count positions and normals by one bone's matrix: one by one until the four arrays reach
// a 16-byte boundary together (they all start on one), then four at a time, the rest one by one.
template <bool Stream>
void moveRun(const float* m, const T3dpoint* __restrict p, const T3dpoint* __restrict n,
             T3dpoint* __restrict outP, T3dpoint* __restrict outN, size_t first, size_t count) {
    const __m128 c[4] = {_mm_loadu_ps(m), _mm_loadu_ps(m + 4), _mm_loadu_ps(m + 8), _mm_loadu_ps(m + 12)};
    const Spread s(m);
    const size_t end = first + count;
    size_t i = first;
    for (; i < end && i % 4 != 0; ++i) moveOne(c, p[i], outP[i], true), moveOne(c, n[i], outN[i], false);
    for (; i + 4 <= end; i += 4) {
        moveFour<Stream>(s, &p[i].X, &outP[i].X, true);
        moveFour<Stream>(s, &n[i].X, &outN[i].X, false);
    }
    for (; i < end; ++i) moveOne(c, p[i], outP[i], true), moveOne(c, n[i], outN[i], false);
}

// Moves the points of [first, first + count) of each array; large models are stored past the cache,
// which a frame's worth of them would only flush.
void moveRun(const float* m, const T3dpoint* p, const T3dpoint* n, T3dpoint* outP, T3dpoint* outN,
             size_t first, size_t count, bool stream) {
    const auto bits = [](const void* q) { return reinterpret_cast<uintptr_t>(q); };
    if (((bits(p) | bits(n) | bits(outP) | bits(outN)) & 15) != 0) {
        const __m128 c[4] = {_mm_loadu_ps(m), _mm_loadu_ps(m + 4), _mm_loadu_ps(m + 8), _mm_loadu_ps(m + 12)};
        for (size_t i = first; i < first + count; ++i)
            moveOne(c, p[i], outP[i], true), moveOne(c, n[i], outN[i], false);
    } else if (stream) {
        moveRun<true>(m, p, n, outP, outN, first, count);
    } else {
        moveRun<false>(m, p, n, outP, outN, first, count);
    }
}

#else

// Moves the points of [first, first + count) by one bone's matrix, held in locals for the run.
void moveRun(const float* m, const T3dpoint* __restrict p, const T3dpoint* __restrict n,
             T3dpoint* __restrict outP, T3dpoint* __restrict outN, size_t first, size_t count, bool) {
    for (size_t i = first; i < first + count; ++i) {
        const float x = p[i].X, y = p[i].Y, z = p[i].Z;
        outP[i] = {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                   m[2] * x + m[6] * y + m[10] * z + m[14]};
        const float a = n[i].X, b = n[i].Y, c = n[i].Z;
        outN[i] = {m[0] * a + m[4] * b + m[8] * c, m[1] * a + m[5] * b + m[9] * c,
                   m[2] * a + m[6] * b + m[10] * c};
    }
}

#endif

}  // namespace

// Posed position and normal of every vertex: its bone's animated matrix applied to the bone-space
// position and normal InitSkin left, or the loaded ones for a vertex no bone of the skeleton moves.
// Vertices come in runs bound to one bone, which are moved together.
void vtrl3ds_internal::skinMesh(TGL3dsMesh& mesh, const TGLSkeleton& skeleton, bool pastCache) {
    const size_t bones = boneCount(skeleton);
    const size_t n = std::min(
        {mesh.FSkinVertex.size(), mesh.FSkinNormal.size(), mesh.FSkinBoneNormal.size(), vertexCount(mesh)});
    const size_t bound = std::min(n, mesh.FBoneID.size());
    auto boneOf = [&](size_t v) { return v < bound ? mesh.FBoneID[v] : -1; };
    for (size_t v = 0, end; v < n; v = end) {
        const int32_t id = boneOf(v);
        for (end = v + 1; end < n && boneOf(end) == id;) ++end;
        const TGL3dsBone* bone =
            id >= 0 && static_cast<size_t>(id) < bones ? skeleton.FBone[static_cast<size_t>(id)] : nullptr;
        if (bone) {
            moveRun(bone->FAnimMatrix.m_matrix, mesh.FVertex.data(), mesh.FSkinBoneNormal.data(),
                    mesh.FSkinVertex.data(), mesh.FSkinNormal.data(), v, end - v, pastCache);
            continue;
        }
        std::copy(&mesh.FVertex[v], &mesh.FVertex[v] + (end - v), &mesh.FSkinVertex[v]);
        std::copy(&mesh.FSkinBoneNormal[v], &mesh.FSkinBoneNormal[v] + (end - v), &mesh.FSkinNormal[v]);
    }
#if defined(__SSE2__)
    if (pastCache) _mm_sfence();  // the stores past the cache are seen before anything that follows
#endif
}

// MilkShape keys move a bone away from its rest pose: relative = rest x (key position, key
// rotation). BVH keys are the joint's local pose itself: its position channels (the OFFSET when it
// has none) and its rotation channels in the joint's own order.
void TGL3dsBone::AdvanceAnimation(float Frame) {
    const auto* skeleton = dynamic_cast<const TGLSkeleton*>(Owner());
    AdvanceAnimation(Frame, skeleton && skeleton->FBVHMotion);
}

void TGL3dsBone::AdvanceAnimation(float Frame, bool BVHKeys) {
    const Span position = around(FTranslateFrame, FNumTranslateFrames, Frame);
    const Span rotation = around(FRotateFrame, FNumRotateFrames, Frame);
    clsMatrix local;
    if (BVHKeys) {
        setRotation(local, keyTurn(rotation, bvhOrder(FBVHChannelType)));
        setTranslation(local, position.a && position.a->Time != 0 ? lerp(position) : FTranslate);
    } else {
        const float rest[3] = {FRotate.X, FRotate.Y, FRotate.Z};
        local.SetRotationRadians(rest);
        setTranslation(local, FTranslate);
        clsMatrix key;
        setRotation(key, keyTurn(rotation, milkShapeOrder));
        setTranslation(key, position.a ? lerp(position) : T3dpoint{0, 0, 0});
        local.PostMultiply(key);
    }
    if (!FParent) {
        FAnimMatrix = local;
        return;
    }
    FAnimMatrix = FParent->FAnimMatrix;
    FAnimMatrix.PostMultiply(local);
}

namespace {

vtrl3ds_internal::BonePose poseOf(const Quat& q, const T3dpoint& t) {
    return {{q.w, q.x, q.y, q.z}, t};
}

// p turned by the unit quaternion q.
T3dpoint rotated(const Quat& q, const T3dpoint& p) {
    const Quat r = q * Quat{0, p.X, p.Y, p.Z} * Quat{q.w, -q.x, -q.y, -q.z};
    return {float(r.x), float(r.y), float(r.z)};
}

}  // namespace

// The same local transform as AdvanceAnimation, kept as a turn and an offset: for MilkShape keys
// rest x key = (rest turn x key turn, rest offset + rest turn of the key offset).
vtrl3ds_internal::BonePose vtrl3ds_internal::localPose(const TGL3dsBone& bone, float frame) {
    const auto* skeleton = dynamic_cast<const TGLSkeleton*>(bone.Owner());
    const Span position = around(bone.FTranslateFrame, bone.FNumTranslateFrames, frame);
    const Span rotation = around(bone.FRotateFrame, bone.FNumRotateFrames, frame);
    if (skeleton && skeleton->FBVHMotion)
        return poseOf(keyTurn(rotation, bvhOrder(bone.FBVHChannelType)),
                      position.a && position.a->Time != 0 ? lerp(position) : bone.FTranslate);
    const Quat rest = eulerTurn(bone.FRotate, milkShapeOrder);
    const T3dpoint offset = rotated(rest, position.a ? lerp(position) : T3dpoint{0, 0, 0});
    return poseOf(rest * keyTurn(rotation, milkShapeOrder),
                  {bone.FTranslate.X + offset.X, bone.FTranslate.Y + offset.Y, bone.FTranslate.Z + offset.Z});
}

vtrl3ds_internal::BonePose vtrl3ds_internal::restPose(const TGL3dsBone& bone) {
    return poseOf(eulerTurn(bone.FRotate, milkShapeOrder), bone.FTranslate);
}

TGL3dsBone* TGLSkeleton::GetBone(int32_t Index) const {
    const size_t count = boneCount(*this);
    if (Index < 0 || static_cast<size_t>(Index) >= count)
        throw ERangeError("TGLSkeleton.GetBone: bone " + std::to_string(Index) + " of a skeleton with " +
                          std::to_string(count) + " bones");
    return FBone[static_cast<size_t>(Index)];
}

// Bones are posed in list order, which puts every parent before its children in both formats.
void TGLSkeleton::AdvanceAnimation(float Frame) {
    const float last = static_cast<float>(std::max(FNumFrames, 1));
    const float frame = std::isnan(Frame) ? 1.0f : std::clamp(Frame, 1.0f, last);
    FCurrentFrame = static_cast<int32_t>(frame);
    const size_t count = boneCount(*this);
    for (size_t b = 0; b < count; ++b)
        if (FBone[b]) FBone[b]->AdvanceAnimation(frame, FBVHMotion);
}

// Posed arrays of more than this many bytes in all (the size of a large last-level cache) are
// written past the cache: they would evict each other before the frame is drawn.
constexpr size_t pastCacheBytes = size_t{8} << 20;

void TGLAll3dsMesh::AdvanceAnimation(float Frame) {
    TGLSkeleton* skeleton = CurrentSkeleton(*this);
    if (!skeleton) return;
    skeleton->AdvanceAnimation(Frame);
    size_t posed = 0;
    for (size_t i = 0; i < meshCount(*this); ++i)
        if (FMesh[i]) posed += 2 * sizeof(T3dpoint) * FMesh[i]->FSkinVertex.size();
    for (size_t i = 0; i < meshCount(*this); ++i)
        if (FMesh[i] && !FMesh[i]->FSkinVertex.empty())
            skinMesh(*FMesh[i], *skeleton, posed > pastCacheBytes);
}
