// Fuzz target of the 3DS loader: any bytes through Load3DSFromStream (with its post-processing)
// into a fresh model, then through the keyframer's reading and the placement of the model's
// meshes at a frame; the library's own exceptions are the expected way to refuse input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/stream.h"

namespace {

// Larger inputs only repeat what smaller ones reach, more slowly.
constexpr size_t maxInput = size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    TGLAll3dsMesh model;
    TMemoryStream stream(data, size);
    try {
        model.Load3DSFromStream(stream);
    } catch (const EModelError&) {
    }
    TMemoryStream again(data, size);
    const TKeyframer keyframer = ReadKeyframerFromStream(again);
    std::vector<T3dpoint> posed;
    for (const TKfPlacement& p : PlaceMeshes(keyframer, model, float(keyframer.SegmentEnd) * 0.5f))
        PoseVertices(*model.FMesh[size_t(p.Mesh)], p.Matrix, posed);
    return 0;
}
