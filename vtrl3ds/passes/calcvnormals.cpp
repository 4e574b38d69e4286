// Post-processing pass CalcVNormals: per-face normals, per-vertex normals (the last face using a
// vertex wins; nothing is averaged) and normal indices equal to the vertex indices. Reports
// nothing; a face naming a vertex beyond the list keeps a zero normal and writes no vertex normal.
// Also the walk that gives a mesh its normals and its box at once (the 3DS load tail).
#include <cstring>
#include <vector>

#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/private/lanes.h"
#include "vtrl3ds/private/loading.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/vector.h"

using namespace vtrl3ds_internal;

namespace {

// The normal indices as the pass leaves them; the corners to walk.
size_t copyIndices(TGL3dsMesh& mesh) {
    mesh.FNormalIndices.resize(static_cast<size_t>(mesh.FNumIndices));
    const size_t corners = std::min(cornerCount(mesh), mesh.FNormalIndices.size());
    if (corners > 0)
        std::memcpy(mesh.FNormalIndices.data(), mesh.FIndices.data(), corners * sizeof(uint16_t));
    return corners;
}

// The vertex and face normals sized as the pass leaves them.
void sizeNormals(TGL3dsMesh& mesh) {
    mesh.FVNormal.resize(static_cast<size_t>(std::max(mesh.FNumVertex, 0)));
    mesh.FaceNormal.resize(static_cast<size_t>(mesh.FNumIndices / 3));
}

// One face after the other, each checked: any mesh.
void checkedNormals(TGL3dsMesh& mesh, size_t corners, size_t vertices) {
    for (size_t f = 0; f < corners; f += 3) {
        if (!faceIsValid(mesh, f, vertices)) {
            mesh.FaceNormal[f / 3] = {0, 0, 0};
            continue;
        }
        const T3dpoint n =
            CalcNormalVector(mesh.FVertex[mesh.FIndices[f]], mesh.FVertex[mesh.FIndices[f + 1]],
                             mesh.FVertex[mesh.FIndices[f + 2]]);
        for (size_t c = 0; c < 3; ++c) mesh.FVNormal[mesh.FIndices[f + c]] = n;
        mesh.FaceNormal[f / 3] = n;
    }
}

#if defined(VTRL3DS_LANES)

// The box of CalculateSize gathered one corner per lane (each lane keeps the pass's rule for the
// corners it is given), from four faces' corners at a time.
struct LaneBox {
    __m128 lowX, lowY, lowZ, highX, highY, highZ;  // four streams each
    explicit LaneBox(__m128 first)
        : lowX(_mm_shuffle_ps(first, first, 0x00)),
          lowY(_mm_shuffle_ps(first, first, 0x55)),
          lowZ(_mm_shuffle_ps(first, first, 0xAA)),
          highX(lowX),
          highY(lowY),
          highZ(lowZ) {}
    void add(const Axes& p) {
        lowX = _mm_min_ps(p.x, lowX), lowY = _mm_min_ps(p.y, lowY), lowZ = _mm_min_ps(p.z, lowZ);
        highX = _mm_max_ps(p.x, highX), highY = _mm_max_ps(p.y, highY), highZ = _mm_max_ps(p.z, highZ);
    }
    // One point into the first lane only.
    void add(__m128 p) {
        const __m128 y = _mm_shuffle_ps(p, p, 0x55), z = _mm_movehl_ps(p, p);
        lowX = _mm_move_ss(lowX, _mm_min_ss(p, lowX)), highX = _mm_move_ss(highX, _mm_max_ss(p, highX));
        lowY = _mm_move_ss(lowY, _mm_min_ss(y, lowY)), highY = _mm_move_ss(highY, _mm_max_ss(y, highY));
        lowZ = _mm_move_ss(lowZ, _mm_min_ss(z, lowZ)), highZ = _mm_move_ss(highZ, _mm_max_ss(z, highZ));
    }
    // The four lanes of v brought together into its first lane.
    static __m128 lanesMin(__m128 v) {
        v = _mm_min_ps(_mm_shuffle_ps(v, v, 0xB1), v);
        return _mm_min_ps(_mm_shuffle_ps(v, v, 0x4E), v);
    }
    static __m128 lanesMax(__m128 v) {
        v = _mm_max_ps(_mm_shuffle_ps(v, v, 0xB1), v);
        return _mm_max_ps(_mm_shuffle_ps(v, v, 0x4E), v);
    }
    void finish(TGL3dsMesh& mesh, size_t corners) const {
        const auto point = [](__m128 x, __m128 y, __m128 z) {
            return _mm_movelh_ps(_mm_unpacklo_ps(x, y), z);
        };
        storeBox(mesh, corners, point(lanesMin(lowX), lanesMin(lowY), lanesMin(lowZ)),
                 point(lanesMax(highX), lanesMax(highY), lanesMax(highZ)));
    }
};

// The arrays the four-lane walk reads and writes: the mesh's own, and its vertices and vertex
// normals copied 16 bytes apart (so that each is one aligned register).
struct Arrays {
    const float* point;
    float* normal;
    const uint16_t* corner;
    T3dpoint* faceNormal;
    size_t faces;
};

inline __m128 pointAt(const Arrays& a, uint16_t v) {
    return _mm_load_ps(a.point + 4 * size_t{v});
}

// The normals of faces face .. face + 3, and their corners into the box when Box is set.
template <bool Box>
inline __attribute__((always_inline)) void fourFaces(const Arrays& a, size_t face, LaneBox& box) {
    const uint16_t* c = a.corner + 3 * face;
    const Axes p1 = axes(pointAt(a, c[0]), pointAt(a, c[3]), pointAt(a, c[6]), pointAt(a, c[9]));
    const Axes p2 = axes(pointAt(a, c[1]), pointAt(a, c[4]), pointAt(a, c[7]), pointAt(a, c[10]));
    const Axes p3 = axes(pointAt(a, c[2]), pointAt(a, c[5]), pointAt(a, c[8]), pointAt(a, c[11]));
    if constexpr (Box) box.add(p1), box.add(p2), box.add(p3);
    const Axes n = faceNormals(p1, p2, p3);
    __m128 r[4];
    points(n, r);
    storeFour(a.faceNormal + face, r, face + 4 >= a.faces);
#pragma GCC unroll 12
    for (int k = 0; k < 12; ++k) _mm_store_ps(a.normal + 4 * size_t{c[k]}, r[k / 3]);
}

// The mesh's vertices into the scratch 16 bytes apart, and its vertex normals after them as they
// are (zero for a mesh that has none yet).
void copyIn(const TGL3dsMesh& mesh, size_t vertices, size_t faces, NormalScratch& scratch) {
    scratch.lanes.resize(8 * vertices);
    float* point = scratch.lanes.data();
    float* normal = point + 4 * vertices;
    const bool fresh = mesh.FVNormal.empty();
    for (size_t v = 0; v < vertices; ++v) {
        const T3dpoint& p = mesh.FVertex[v];
        _mm_store_ps(point + 4 * v, _mm_setr_ps(p.X, p.Y, p.Z, 0));
        const T3dpoint n = fresh ? T3dpoint{0, 0, 0} : mesh.FVNormal[v];
        _mm_store_ps(normal + 4 * v, _mm_setr_ps(n.X, n.Y, n.Z, 0));
    }
    scratch.faces.resize(faces);
}

// The walk's normals into the mesh, its arrays sized as the pass leaves them. An array the mesh
// did not have yet is made from the scratch in one copy, rather than zeroed first and written after.
void copyOut(TGL3dsMesh& mesh, size_t vertices, size_t faces, const NormalScratch& scratch) {
    const float* normal = scratch.lanes.data() + 4 * vertices;
    const auto normalAt = [normal](size_t v) {
        return T3dpoint{normal[4 * v], normal[4 * v + 1], normal[4 * v + 2]};
    };
    const bool freshVertices = mesh.FVNormal.empty(), freshFaces = mesh.FaceNormal.empty();
    if (freshVertices) assignPoints(mesh.FVNormal, vertices, normalAt);
    if (freshFaces)
        mesh.FaceNormal.assign(scratch.faces.begin(),
                               scratch.faces.begin() + static_cast<std::ptrdiff_t>(faces));
    sizeNormals(mesh);
    if (!freshVertices)
        for (size_t v = 0; v < vertices; ++v) mesh.FVNormal[v] = normalAt(v);
    if (!freshFaces) std::copy_n(scratch.faces.begin(), faces, mesh.FaceNormal.begin());
}

// A mesh whose corners all name a vertex: four faces a step, the remaining ones alone, and with
// Box the box of the first boxCorners corners (a last partial triangle counts only there).
template <bool Box>
void laneNormals(TGL3dsMesh& mesh, size_t corners, size_t vertices, size_t boxCorners,
                 NormalScratch& scratch) {
    // A vertex normal array shorter than the vertices gets zeros for the rest, as sizing gives.
    if (!mesh.FVNormal.empty()) mesh.FVNormal.resize(std::max(mesh.FVNormal.size(), vertices));
    copyIn(mesh, vertices, corners / 3, scratch);
    const Arrays a{scratch.lanes.data(), scratch.lanes.data() + 4 * vertices, mesh.FIndices.data(),
                   scratch.faces.data(), corners / 3};
    LaneBox box(pointAt(a, a.corner[0]));
    size_t f = 0;
    for (; f + 4 <= a.faces; f += 4) fourFaces<Box>(a, f, box);
    const size_t laned = f;
    for (; f < a.faces; ++f) {
        const uint16_t* c = a.corner + 3 * f;
        const T3dpoint n = CalcNormalVector(mesh.FVertex[c[0]], mesh.FVertex[c[1]], mesh.FVertex[c[2]]);
        const __m128 wide = _mm_setr_ps(n.X, n.Y, n.Z, 0);
        for (size_t j = 0; j < 3; ++j) _mm_store_ps(a.normal + 4 * size_t{c[j]}, wide);
        a.faceNormal[f] = n;
    }
    copyOut(mesh, vertices, a.faces, scratch);
    if constexpr (Box) {
        for (size_t k = 3 * laned; k < boxCorners; ++k) box.add(pointAt(a, a.corner[k]));
        box.finish(mesh, boxCorners);
    }
}

#endif

void meshNormals(TGL3dsMesh& mesh, [[maybe_unused]] NormalScratch& scratch) {
    const size_t corners = copyIndices(mesh);
    const size_t vertices = vertexCount(mesh);
#if defined(VTRL3DS_LANES)
    if (corners > 0 && allCornersBelow(mesh.FIndices.data(), corners, vertices))
        return laneNormals<false>(mesh, corners, vertices, 0, scratch);
#endif
    sizeNormals(mesh);
    checkedNormals(mesh, corners, vertices);
}

}  // namespace

// Both walks in one where the whole mesh allows the four-lane walk; otherwise one pass after the
// other.
void vtrl3ds_internal::normalsAndSize(TGL3dsMesh& mesh, NormalScratch& scratch) {
#if defined(VTRL3DS_LANES)
    const size_t corners = copyIndices(mesh);
    const size_t vertices = vertexCount(mesh);
    const size_t boxCorners = std::min(static_cast<size_t>(mesh.FNumIndices), mesh.FIndices.size());
    if (corners > 0 && allCornersBelow(mesh.FIndices.data(), boxCorners, vertices))
        return laneNormals<true>(mesh, corners, vertices, boxCorners, scratch);
    sizeNormals(mesh);
    checkedNormals(mesh, corners, vertices);
#else
    meshNormals(mesh, scratch);
#endif
    mesh.CalculateSize();
}

// The face normal is the vertex normal of the same triangle computed from the same positions, so
// both are written in one walk over the faces instead of two passes computing it twice.
void TGLAll3dsMesh::CalcVNormals() {
    NormalScratch scratch;
    for (size_t i = 0; i < meshCount(*this); ++i)
        if (FMesh[i] && FMesh[i]->FNumIndices > 0) meshNormals(*FMesh[i], scratch);
}
