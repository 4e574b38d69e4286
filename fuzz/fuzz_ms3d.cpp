// Fuzz target of the MilkShape 3D ASCII loaders: any bytes through the model loader (with its
// post-processing) and, when they declare bones, through the skeleton loader and the vertex
// binding, as a file load does; the library's own exceptions are the expected way to refuse input.
#include <cstddef>
#include <cstdint>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

// Larger inputs only repeat what smaller ones reach, more slowly.
constexpr size_t maxInput = size_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    TGLAll3dsMesh model;
    try {
        TMemoryStream stream(data, size);
        model.LoadMSAFromStream(stream);
        if (!model.FLoadSkeleton) return 0;
        auto* skeleton = new TGLSkeleton(&model);
        model.FSkeleton.push_back(skeleton);
        model.FNumSkeletons = 1;
        TMemoryStream again(data, size);
        skeleton->LoadMSAFromStream(again);
        model.InitSkin();
    } catch (const EModelError&) {
    }
    return 0;
}
