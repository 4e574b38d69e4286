// Fuzz target of the 3DS loader: any bytes through Load3DSFromStream (with its post-processing)
// into a fresh model; the library's own exceptions are the expected way to refuse input.
#include <cstddef>
#include <cstdint>

#include "vtrl3ds/errors.h"
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
    return 0;
}
