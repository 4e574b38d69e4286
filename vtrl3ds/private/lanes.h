// Four-lane helpers of the passes that walk a mesh's corners: a point read as one register, four
// points as one register per axis, the vector routines of vector.h four at a time (each lane bit
// for bit the scalar result: the same single-precision operations in the same order), a check
// that every corner names a vertex, and the box CalculateSize takes, gathered in several
// interleaved streams with exactly the pass's result. Not part of the library's public surface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtrl3ds/model.h"
#include "vtrl3ds/types.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define VTRL3DS_LANES 1
#endif

namespace vtrl3ds_internal {

// Every one of the first `count` corners names a vertex below `vertices`.
bool allCornersBelow(const uint16_t* corners, size_t count, size_t vertices);

#if defined(VTRL3DS_LANES)

// The box low .. high into the mesh, a zero taking the sign of the first of the first `corners`
// corners holding a zero in that component (calculatesize.cpp).
void storeBox(TGL3dsMesh& mesh, size_t corners, __m128 low, __m128 high);

// points[i] as x, y, z and an unused lane. Every point but the last of the array is read 16
// bytes wide (its fourth float is the next point's X); the last is read exactly.
inline __m128 loadPoint(const T3dpoint* points, size_t i, size_t count) {
    if (i + 1 < count) return _mm_loadu_ps(&points[i].X);
    return _mm_setr_ps(points[i].X, points[i].Y, points[i].Z, 0.0f);
}

// Four points, one register per axis.
struct Axes {
    __m128 x, y, z;
};

// Four points as loaded (x, y, z and a spare lane each) taken apart by axis.
inline __attribute__((always_inline)) Axes axes(__m128 a, __m128 b, __m128 c, __m128 d) {
    _MM_TRANSPOSE4_PS(a, b, c, d);
    return {a, b, c};
}

inline Axes operator+(const Axes& a, const Axes& b) {
    return {_mm_add_ps(a.x, b.x), _mm_add_ps(a.y, b.y), _mm_add_ps(a.z, b.z)};
}

// a.X * b.X + a.Y * b.Y + a.Z * b.Z of each lane.
inline __m128 dot(const Axes& a, const Axes& b) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(a.x, b.x), _mm_mul_ps(a.y, b.y)), _mm_mul_ps(a.z, b.z));
}

// Lanes of `yes` where mask is set, of `no` elsewhere.
inline __m128 select(__m128 mask, __m128 yes, __m128 no) {
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}
inline Axes select(__m128 mask, const Axes& yes, const Axes& no) {
    return {select(mask, yes.x, no.x), select(mask, yes.y, no.y), select(mask, yes.z, no.z)};
}

// Normalize: each lane divided by its length, left as it is when the length is not greater than 0.
inline __attribute__((always_inline)) Axes normalized(const Axes& v) {
    const __m128 length = _mm_sqrt_ps(dot(v, v));
    const __m128 divide = _mm_cmpgt_ps(length, _mm_setzero_ps());  // false for 0 and NaN
    return {select(divide, _mm_div_ps(v.x, length), v.x), select(divide, _mm_div_ps(v.y, length), v.y),
            select(divide, _mm_div_ps(v.z, length), v.z)};
}

// CalcNormalVector of four triangles.
inline __attribute__((always_inline)) Axes faceNormals(const Axes& p1, const Axes& p2, const Axes& p3) {
    const Axes a{_mm_sub_ps(p1.x, p2.x), _mm_sub_ps(p1.y, p2.y), _mm_sub_ps(p1.z, p2.z)};
    const Axes b{_mm_sub_ps(p1.x, p3.x), _mm_sub_ps(p1.y, p3.y), _mm_sub_ps(p1.z, p3.z)};
    const Axes cross{_mm_sub_ps(_mm_mul_ps(a.y, b.z), _mm_mul_ps(a.z, b.y)),
                     _mm_sub_ps(_mm_mul_ps(a.z, b.x), _mm_mul_ps(a.x, b.z)),
                     _mm_sub_ps(_mm_mul_ps(a.x, b.y), _mm_mul_ps(a.y, b.x))};
    const Axes n = normalized(cross);
    const __m128 sign = _mm_set1_ps(-0.0f);
    return {_mm_xor_ps(n.x, sign), _mm_xor_ps(n.y, sign), _mm_xor_ps(n.z, sign)};
}

// Four normals, one per lane, as four points (x, y, z, 0) in r[0..3].
inline void points(const Axes& n, __m128 (&r)[4]) {
    r[0] = n.x, r[1] = n.y, r[2] = n.z, r[3] = _mm_setzero_ps();
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
}

// x, y, z of p into out (12 bytes, nothing beyond).
inline void storePoint(T3dpoint& out, __m128 p) {
    _mm_storel_pi(reinterpret_cast<__m64*>(&out.X), p);
    _mm_store_ss(&out.Z, _mm_movehl_ps(p, p));
}

// Four points into out[0..3], 16 bytes each: the spare lane lands on the next point's X, which the
// next store writes again (the caller writes the point after the fourth unless exactLast).
inline void storeFour(T3dpoint* out, const __m128 (&r)[4], bool exactLast) {
    _mm_storeu_ps(&out[0].X, r[0]);
    _mm_storeu_ps(&out[1].X, r[1]);
    _mm_storeu_ps(&out[2].X, r[2]);
    if (exactLast)
        storePoint(out[3], r[3]);
    else
        _mm_storeu_ps(&out[3].X, r[3]);
}

// The box of a mesh's corners with the rule of CalculateSize: the first corner starts it, and a
// component is replaced only by a smaller (larger) value, so a NaN corner is passed over and a
// NaN first corner stays. Corners may be fed to any of the streams in any order: each stream
// keeps the rule for its own corners, and finish settles the one thing order decides, which of
// two equal values is kept (only +0 and -0 differ), by the first corner holding a zero there.
class CornerBox {
  public:
    static constexpr int streams = 3;
    explicit CornerBox(__m128 first) {
        for (int s = 0; s < streams; ++s) FLow[s] = FHigh[s] = first;
    }
    void add(int stream, __m128 p) {
        FLow[stream] = _mm_min_ps(p, FLow[stream]);  // p < low ? p : low
        FHigh[stream] = _mm_max_ps(p, FHigh[stream]);
    }
    // The mesh's FMinimum and FMaximum from the first `corners` corners (all naming a vertex).
    void finish(TGL3dsMesh& mesh, size_t corners) const {
        __m128 low = FLow[0], high = FHigh[0];
        for (int s = 1; s < streams; ++s) {
            low = _mm_min_ps(FLow[s], low);
            high = _mm_max_ps(FHigh[s], high);
        }
        storeBox(mesh, corners, low, high);
    }

  private:
    __m128 FLow[streams], FHigh[streams];
};

#endif

}  // namespace vtrl3ds_internal
