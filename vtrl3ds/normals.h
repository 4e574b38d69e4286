// Normals that honour a 3DS model's smoothing groups, for the hosts and writers that want the
// shading the artist asked for (the library's own CalcVNormals keeps one face normal per vertex).
// A pure function of the mesh; nothing here fails.
#pragma once

#include <vector>

#include "vtrl3ds/model.h"

// One normal per corner (3 per triangle, FNumIndices entries), in the library's frame and with
// CalcNormalVector's sense: a face with smoothing group 0, or without an FSmoothingGroup entry,
// has its own face normal; a face with groups gets, at each corner, the angle-weighted sum of the
// normals of the faces around that vertex that share a group bit with it. A triangle naming a
// vertex that does not exist, and a degenerate one alone in its groups, get the zero vector. Face
// normals are taken from FaceNormal when the mesh holds one per face (the load computes them from
// the same corners), else computed.
std::vector<T3dpoint> SmoothingGroupNormals(const TGL3dsMesh& Mesh);
