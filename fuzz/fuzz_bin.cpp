// Fuzz target of the binary model loader: any bytes through LoadBinFromStream (with its
// post-processing), first into a fresh model and then into the same model again, so that a load
// over an earlier one is reached too; the library's own exceptions are the expected refusals.
#include <cstddef>
#include <cstdint>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/stream.h"

namespace {

// Larger inputs only repeat what smaller ones reach, more slowly.
constexpr size_t maxInput = size_t{1} << 20;

void load(TGLAll3dsMesh& model, const uint8_t* data, size_t size) {
    TMemoryStream stream(data, size);
    try {
        model.LoadBinFromStream(stream);
    } catch (const EModelError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInput) return 0;
    TGLAll3dsMesh model;
    load(model, data, size);
    load(model, data, size);
    return 0;
}
