// Scene resources: OpenGL_CreateList loads, once before the first frame, the sky-box texture, the
// cube map, the GL 1.3 entry points and the 3DS model. Missing files leave their names at 0 (or
// the model without a scene) and the demo runs on without them.
#include <GL/gl.h>

#include "app/showroom.h"
#include "vitrail/cubemap.h"
#include "vitrail/tga.h"
#include "vitrail/vtrl_ext.h"

namespace {

// Trilinear filtering for the sky box and again for the six cube faces.
void OpenGL_Texture() {
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    TextureLoadTGAID("sky_rocksday6.tga", TexSkyBox);
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    GenCubeMapTex("positive_x.bmp", "negative_x.bmp", "positive_y.bmp", "negative_y.bmp", "positive_z.bmp",
                  "negative_z.bmp", CubeMap);
}

}  // namespace

void OpenGL_CreateList() {
    OpenGL_Texture();
    // Nothing in the demo calls a GL 1.3 entry point: whether all were found is not examined.
    Load_GL_version_1_3();
    Model.LoadModel3DS(0.1f, "cristallo1.3ds");
}
