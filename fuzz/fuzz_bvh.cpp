// Fuzz target of the BVH motion loader: any bytes through LoadBVHFromStream into a fresh skeleton
// owned by a model, read once with the point and once with the comma as decimal separator; the
// library's own exceptions are the expected way to refuse input.
#include <cstddef>
#include <cstdint>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

namespace {

// Larger inputs only repeat what smaller ones reach, more slowly.
constexpr size_t maxInput = size_t{1} << 20;

void loadWith(char separator, const uint8_t* data, size_t size) {
    SetDecimalSeparator(separator);
    TGLAll3dsMesh model;
    auto* skeleton = new TGLSkeleton(&model);
    TMemoryStream stream(data, size);
    try {
        skeleton->LoadBVHFromStream(stream);
    } catch (const EModelError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    loadWith('.', data, size);
    loadWith(',', data, size);
    return 0;
}
