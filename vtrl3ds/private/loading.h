// What every model loader ends with, and the skinning step the animation code shares. Private to
// the model library.
#pragma once

#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace vtrl3ds_internal {

// How a format's normals are made at the end of a load.
enum class NormalSource {
    Computed,  // from the faces (CalcVNormals), after the pivot and the master scale (3DS)
    FromFile,  // the file's own where usable (MilkShape text, binary): adoptFileNormals
};

// The load tail the loaders share: normals, boxes, render order and the materials' texture hook.
// Reports nothing.
void finishLoad(TGLAll3dsMesh& model, NormalSource normals);

// For models whose files carry their own normals (MilkShape text, binary): triangles brought to
// the library's clockwise winding, face normals from the file's normals where usable, computed
// ones elsewhere, unusable vertex normals replaced (filenormals.cpp).
void adoptFileNormals(TGLAll3dsMesh& model);

// FSkinVertex and FSkinNormal := the bone-space positions and normals moved by their bones'
// FAnimMatrix (pose.cpp); vertices no bone of the skeleton moves keep their loaded values.
void skinMesh(TGL3dsMesh& mesh, const TGLSkeleton& skeleton);

}  // namespace vtrl3ds_internal
