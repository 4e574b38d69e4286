// What the keyframer's reader and its evaluation share. Private to the model library; nothing
// here fails: what cannot be linked is cut and named in the keyframer's warnings.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"

namespace vtrl3ds_internal {

// Each node's Parent from its ParentId (the first node with that id); parents naming no node
// become roots, parent loops are cut where they close; Order lists parents before children. One
// warning line names the loops cut, another the parents not found.
void linkNodes(TKeyframer& Keyframer);

// Every rotation key's Quat := its angle-axis turn applied after the previous key's rotation.
void accumulateRotations(TKfTrack& Rotation);

// a x b (b applied first), column-major.
TKfMatrix kfMultiply(const TKfMatrix& a, const TKfMatrix& b);

// Translation x rotation x scale of a node's own pose, column-major.
TKfMatrix kfCompose(const TKfLocalPose& pose);

// The model's meshes by name, the first of each name winning: the meshes object nodes place.
std::map<std::string, int32_t> meshesByName(const TGLAll3dsMesh& model);

// The model's master scale; 1 where it is zero or not a number.
float masterScaleOf(const TGLAll3dsMesh& model);

// Takes a loaded mesh's vertices to the mesh's own frame in the file's axes and units: master
// scale and pivot undone, axes exchanged back, the inverse mesh matrix applied (mirror undone).
TKfMatrix meshToLocal(const TGL3dsMesh& mesh, float masterScale);

}  // namespace vtrl3ds_internal
