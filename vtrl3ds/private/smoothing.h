// The smoothing-group normals of one mesh looked up corner by corner, for the writers and hosts
// that walk the faces anyway (SmoothingGroupNormals in normals.h lays them out per corner).
// Private to the model library; nothing here fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vtrl3ds/model.h"

namespace vtrl3ds_internal {

class SmoothNormals {
  public:
    // Made in one walk over the faces; the mesh must outlive the object and stay as it is.
    explicit SmoothNormals(const TGL3dsMesh& mesh);

    // The normal at corner c (0, 1 or 2) of face f, a face whose corners all name vertices.
    const T3dpoint& at(size_t f, size_t c) {
        const uint32_t g = f < FMesh.FSmoothingGroup.size() ? FMesh.FSmoothingGroup[f] : 0u;
        if (g == 0) return FFaceNormal[f];
        const uint16_t v = FMesh.FIndices[3 * f + c];
        return FMixed[v] ? mixed(v, g) : FPlain[v];
    }
    // Where the normal at corner c of face f is the same for every face with groups at its vertex:
    // the vertex's own normal, found by vertex alone.
    bool shared(size_t f, size_t c) const {
        return f < FMesh.FSmoothingGroup.size() && FMesh.FSmoothingGroup[f] != 0 && !FMixed[FMesh.FIndices[3 * f + c]];
    }

  private:
    const T3dpoint& mixed(uint16_t v, uint32_t g);
    void findAround();

    const TGL3dsMesh& FMesh;
    size_t FVertices, FFaces;
    const T3dpoint* FFaceNormal;
    std::vector<T3dpoint> FComputed;           // face normals where the mesh holds none per face
    std::vector<T3dpoint> FPlain;              // each vertex's sum over its faces with groups, normalised
    std::vector<char> FMixed;                  // the vertex's faces with groups differ in groups
    std::vector<uint32_t> FStart, FAround;     // faces around mixed vertex v: FAround[FStart[v] ..]
    std::vector<uint32_t> FLastGroups;         // per mixed vertex, the groups its last normal was made for
    std::vector<T3dpoint> FLastNormal;
};

}  // namespace vtrl3ds_internal
