// What every model loader ends with, and the skinning step the animation code shares. Private to
// the model library.
#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <vector>

#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace vtrl3ds_internal {

// The points make(0) .. make(count - 1) as an iterator range, so that a vector can be filled with
// them (vector::assign) in one walk, without first being zeroed by a resize.
template <typename Make>
class PointMaker {
  public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T3dpoint;
    using difference_type = std::ptrdiff_t;
    using pointer = const T3dpoint*;
    using reference = T3dpoint;

    PointMaker(const Make& make, size_t at) : FMake(&make), FAt(at) {}
    T3dpoint operator*() const { return (*FMake)(FAt); }
    T3dpoint operator[](difference_type n) const { return (*FMake)(FAt + static_cast<size_t>(n)); }
    PointMaker& operator++() { return ++FAt, *this; }
    PointMaker operator++(int) { return PointMaker(*FMake, FAt++); }
    PointMaker& operator--() { return --FAt, *this; }
    PointMaker operator--(int) { return PointMaker(*FMake, FAt--); }
    PointMaker& operator+=(difference_type n) { return FAt += static_cast<size_t>(n), *this; }
    PointMaker& operator-=(difference_type n) { return FAt -= static_cast<size_t>(n), *this; }
    PointMaker operator+(difference_type n) const { return PointMaker(*FMake, FAt + static_cast<size_t>(n)); }
    PointMaker operator-(difference_type n) const { return PointMaker(*FMake, FAt - static_cast<size_t>(n)); }
    difference_type operator-(const PointMaker& o) const { return static_cast<difference_type>(FAt - o.FAt); }
    auto operator<=>(const PointMaker& o) const { return FAt <=> o.FAt; }
    bool operator==(const PointMaker& o) const { return FAt == o.FAt; }

  private:
    const Make* FMake;
    size_t FAt;
};

// points := make(0) .. make(count - 1).
template <typename Make>
void assignPoints(std::vector<T3dpoint>& points, size_t count, const Make& make) {
    points.assign(PointMaker<Make>(make, 0), PointMaker<Make>(make, count));
}

// How a format's normals are made at the end of a load.
enum class NormalSource {
    Computed,  // from the faces (CalcVNormals), after the pivot and the master scale, which the
               // tail applies first (3DS)
    FromFile,  // the file's own where usable (MilkShape text, binary): adoptFileNormals
};

// The load tail the loaders share: normals, boxes, render order and the materials' texture hook,
// with the pivot and the master scale first for computed normals. Reports nothing.
void finishLoad(TGLAll3dsMesh& model, NormalSource normals);

// Room the four-lane walk of CalcVNormals reuses from mesh to mesh.
struct NormalScratch {
    std::vector<float> lanes;     // a mesh's vertices, then its vertex normals, 16 bytes apart
    std::vector<T3dpoint> faces;  // its face normals
};

// CalcVNormals and TGL3dsMesh::CalculateSize of one mesh with triangles, in one walk over its
// faces where every corner names a vertex (calcvnormals.cpp).
void normalsAndSize(TGL3dsMesh& mesh, NormalScratch& scratch);
// Lowers Minimum and raises Maximum component by component to take in P, as CalculateSize merges
// boxes (calculatesize.cpp).
void widenBox(T3dpoint& Minimum, T3dpoint& Maximum, const T3dpoint& P);

// For models whose files carry their own normals (MilkShape text, binary): triangles brought to
// the library's clockwise winding, face normals from the file's normals where usable, computed
// ones elsewhere, unusable vertex normals replaced (filenormals.cpp).
void adoptFileNormals(TGLAll3dsMesh& model);

// FSkinVertex and FSkinNormal := the bone-space positions and normals moved by their bones'
// FAnimMatrix (pose.cpp); vertices no bone of the skeleton moves keep their loaded values. With
// pastCache the posed arrays are written without passing through the cache (for models whose
// posed arrays would not fit in it anyway).
void skinMesh(TGL3dsMesh& mesh, const TGLSkeleton& skeleton, bool pastCache = false);

}  // namespace vtrl3ds_internal
