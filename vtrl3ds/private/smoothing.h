// The smoothing-group normals of one mesh looked up corner by corner, for the writers and hosts
// that walk the faces anyway (SmoothingGroupNormals in normals.h lays them out per corner).
// Private to the model library; nothing here fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vtrl3ds/model.h"

namespace vtrl3ds_internal {

class SmoothNormals {
  public:
    // Made in one walk over the faces; the mesh must outlive the object and stay as it is.
    explicit SmoothNormals(const TGL3dsMesh& mesh);

    // The smoothing groups of face f (0 for a face without an entry).
    uint32_t groupsOf(size_t f) const {
        return f < FMesh.FSmoothingGroup.size() ? FMesh.FSmoothingGroup[f] : 0u;
    }
    // The normal of face f, the normal at every corner of a face without groups.
    const T3dpoint& face(size_t f) const { return FFaceNormal[f]; }
    // Vertex v's faces with groups all have the same groups: its normal is plain(v) at each of them.
    bool plainAt(uint16_t v) const { return FKind[v] != mixedVertex; }
    // The same, and v has faces with groups.
    bool hasPlain(uint16_t v) const { return FKind[v] == plainVertex; }
    const T3dpoint& plain(uint16_t v) const { return FPlain[v]; }
    const T3dpoint* plainNormals() const { return FPlain.get(); }  // one per vertex
    // The normal at vertex v of a face with groups g, where v's faces differ in groups.
    const T3dpoint& mixed(uint16_t v, uint32_t g);

    // The normal at corner c (0, 1 or 2) of face f, a face whose corners all name vertices.
    const T3dpoint& at(size_t f, size_t c) {
        const uint32_t g = groupsOf(f);
        if (g == 0) return face(f);
        const uint16_t v = FMesh.FIndices[3 * f + c];
        return plainAt(v) ? plain(v) : mixed(v, g);
    }

    // Every corner names a vertex of the mesh.
    bool allCornersValid() const { return FAllValid; }

    // A corner's weighted face normal with the face's groups.
    struct Corner {
        T3dpoint Normal;
        uint32_t Groups;
        uint16_t Vertex;
    };

  private:
    const TGL3dsMesh& FMesh;
    size_t FVertices, FFaces;
    bool FAllValid = false;
    const T3dpoint* FFaceNormal;
    std::vector<T3dpoint> FComputed;     // face normals where the mesh holds none per face
    std::unique_ptr<T3dpoint[]> FPlain;  // per vertex, its faces with its first groups summed, normalised
    enum : char { noGroups, plainVertex, mixedVertex };
    std::vector<char> FKind;  // per vertex: no faces with groups, all the same groups, or not
    // Per mixed vertex (its slot): its sum over the faces with its first groups, its other corners
    // (FOther[FStart[s] .. FStart[s + 1]), in face order), and the groups its last normal was made
    // for with that normal.
    std::vector<int32_t> FSlot;
    std::vector<Corner> FFirst, FOther;
    std::vector<uint32_t> FStart, FLastGroups;
    std::unique_ptr<T3dpoint[]> FLastNormal;
    void listMixed(const std::vector<float>& sum, const std::vector<uint32_t>& first,
                   const std::vector<Corner>& other);
};

}  // namespace vtrl3ds_internal
