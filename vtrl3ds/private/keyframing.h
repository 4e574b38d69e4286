// What the keyframer's reader and its evaluation share. Private to the model library; nothing
// here fails: what cannot be linked is cut and named in the keyframer's warnings.
#pragma once

#include "vtrl3ds/keyframer.h"

namespace vtrl3ds_internal {

// Each node's Parent from its ParentId (the first node with that id); parents naming no node
// become roots, parent loops are cut where they close; Order lists parents before children. One
// warning line names the loops cut, another the parents not found.
void linkNodes(TKeyframer& Keyframer);

// Every rotation key's Quat := its angle-axis turn applied after the previous key's rotation.
void accumulateRotations(TKfTrack& Rotation);

// a x b (b applied first), column-major.
TKfMatrix kfMultiply(const TKfMatrix& a, const TKfMatrix& b);

}  // namespace vtrl3ds_internal
