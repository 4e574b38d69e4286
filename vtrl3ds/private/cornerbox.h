// Four-lane helpers of the passes that walk a mesh's corners: a point read as one register, a
// check that every corner names a vertex, and the box CalculateSize takes, gathered in several
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

// x, y, z of p into out (12 bytes, nothing beyond).
inline void storePoint(T3dpoint& out, __m128 p) {
    _mm_storel_pi(reinterpret_cast<__m64*>(&out.X), p);
    _mm_store_ss(&out.Z, _mm_movehl_ps(p, p));
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
