// The page's "Download .glb": the model file loaded afresh and written as a .glb in memory the way
// vtrl3ds-convert writes it, with the converter's own texture reader over the files given with the
// model (they lie beside it in the module's in-memory files), and the warnings it would print.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "convert.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/text.h"

namespace {

std::vector<uint8_t> gGlb;
std::string gGlbText;  // the reason of a failure, or the warnings one per line

}  // namespace

extern "C" {

// Converts the model or motion file at Path; the .glb's size, or -1 with the reason in vw_glb_text.
EMSCRIPTEN_KEEPALIVE int vw_glb(const char* Path) {
    gGlb.clear();
    gGlbText.clear();
    try {
        TGLAll3dsMesh model;
        LoadModelOrMotion(model, Path);
        TGltfOptions options;
        options.ReadImage = ReadTextureImage;
        options.Warn = [](const std::string& line) { gGlbText += Cp1252ToUtf8(line) + "\n"; };
        gGlb = GltfSceneToGlb(BuildGltfScene(model, options));
        return static_cast<int>(gGlb.size());
    } catch (const std::exception& e) {
        gGlb.clear();
        gGlbText = Cp1252ToUtf8(e.what());
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE const uint8_t* vw_glb_bytes() { return gGlb.data(); }
EMSCRIPTEN_KEEPALIVE const char* vw_glb_text() { return gGlbText.c_str(); }

}  // extern "C"
