// The demo's front end TGL3dsModel: LoadModel3DS creates and loads a scene, PutModel3DS draws it
// with front-face culling. Load failures are the loaders' exceptions; drawing reports nothing.
#include <GL/gl.h>

#include <filesystem>
#include <system_error>

#include "vtrl3ds/model.h"

namespace {

bool fileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && std::filesystem::exists(name, ec);
}

}  // namespace

void TGL3dsModel::LoadModel3DS(float Size, const std::string& File3DS) {
    FileName = File3DS;
    if (!fileExists(File3DS)) return;
    // A further call replaces the scene: the earlier one, with its GL objects, is destroyed.
    delete Scene;
    Scene = new TGLAll3dsMesh(nullptr);
    Scene->FMasterScale = Size;
    Scene->LoadFromFile(File3DS);
}

// Every loader stores triangles clockwise seen from outside (3DS files through their Y/Z exchange,
// the others by their corner order), so the faces GL sees as front-facing are the model's back
// faces: they are the ones culled while the model is drawn.
void TGL3dsModel::PutModel3DS() {
    glCullFace(GL_FRONT);
    if (Scene && fileExists(FileName)) Scene->Render();
    glCullFace(GL_BACK);
}
