// What every model loader ends with, and the skinning step the animation code shares. Private to
// the model library.
#pragma once

#include <vector>

#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace vtrl3ds_internal {

// How a format's normals are made at the end of a load.
enum class NormalSource {
    Computed,  // from the faces (CalcVNormals), after the pivot and the master scale, which the
               // tail applies first (3DS)
    FromFile,  // the file's own where usable (MilkShape text, binary): adoptFileNormals
};

// The load tail the loaders share: normals, boxes, render order and the materials' texture hook,
// with the pivot and the master scale first for computed normals. Reports nothing.
void finishLoad(TGLAll3dsMesh& model, NormalSource normals);

// CalcVNormals and TGL3dsMesh::CalculateSize of one mesh with triangles, in one walk over its
// faces where every corner names a vertex; scratch is room the walk reuses from mesh to mesh
// (calcvnormals.cpp).
void normalsAndSize(TGL3dsMesh& mesh, std::vector<float>& scratch);
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
