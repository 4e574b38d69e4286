// Scene rendering and controls: OpenGL_Draw draws one frame (projection, key bindings, camera,
// light, sky box, cube-map set-up and the selected element) in a fixed order.
#include <GL/gl.h>

#include "app/showroom.h"
#include "vitrail/cubemap.h"
#include "vitrail/glstate.h"
#include "vitrail/input.h"
#include "vitrail/skybox.h"
#include "vitrail/solids.h"
#include "vitrail/teapot.h"
#include "vitrail/water.h"
#include "vitrail/window.h"

namespace {

// Re-applies the projection each frame: viewport, perspective, identity modelview.
void OpenGL_Draw2D() {
    OpenGL_I2D(0, 0, 0, 0);
    OpenGL_Init(120, 0, 0, 0, 0);
}

// An empty hook called once per frame.
void OpenGL_Mouse2D() {}

// Each held key assigns, in this order: the highest digit held wins, and N wins over R.
void OpenGL_Keyboard() {
    for (int32_t k = 0; k < 6; ++k)
        if (SetGLKey(static_cast<char>('1' + k))) SelObj = k;
    if (SetGLKey('R')) EnableRefrlect = true;
    if (SetGLKey('N')) EnableRefrlect = false;
}

// Texture coordinates S, T and R generated as reflection or normal vectors for the cube map.
void cubeMapTexGen() {
    const float mode = EnableRefrlect ? 34066.0f : 34065.0f;
    glTexGenf(GL_S, GL_TEXTURE_GEN_MODE, mode);
    glTexGenf(GL_T, GL_TEXTURE_GEN_MODE, mode);
    glTexGenf(GL_R, GL_TEXTURE_GEN_MODE, mode);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glEnable(GL_TEXTURE_CUBE_MAP);
}

// The elements drawn inside the shared cube-map bracket: cube, sphere, torus, model.
void drawBracketedElement() {
    switch (SelObj) {
        case 0:
            Cubo(0, 0, 0, -5, -5, -5, 5, 5, 5, 3);
            break;
        case 1:
            Sfera(0, 0, 0, 8, 42, 42, 1);
            break;
        case 2:
            Toroide(0, 0, 0, 2, 6, 32, 32);
            break;
        case 4:
            // The model's materials switch blending, colour, culling and 2D texturing as they go
            // and leave the last material's set-up on; the frame gets back what it had, so the
            // next element looks the same whatever was drawn before it.
            glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
            Model.PutModel3DS();
            glPopAttrib();
            break;
        default:
            break;
    }
}

// The teapot stands 4 units down, upright, three times its size, in its own bracket.
void drawTeapot() {
    glPushMatrix();
    glTranslatef(0, -4, 0);
    glRotatef(90, -1, 0, 0);
    glScalef(3, 3, 3);
    CubeMapBegin(XRot, YRot);
    PutGLTeapot(0, 0, 0, 1, 32);
    CubeMapEnd();
    glPopMatrix();
}

// The water plane 5.5 units down: lit, additively blended without depth writes, in its own
// bracket, with its grid and wave advanced once per frame.
void drawWater() {
    TextureOn();
    SetGLNewMat(0.25f, 0.25f, 0.25f, 0, 0, 0, 0.125f, 0.125f, 0.125f, 0.25f, 0.25f, 0.25f, 25);
    glPushMatrix();
    glTranslatef(0, -5.5f, 0);
    CubeMapBegin(XRot, YRot);
    glEnable(GL_LIGHTING);
    SetGLSprite(false);
    CreateHighWater(40, 256);
    CreateWaweHW(2200, 0.006f, 2);
    SetGLSpriteOff();
    glDisable(GL_LIGHTING);
    CubeMapEnd();
    glPopMatrix();
    TextureOff();
}

}  // namespace

void OpenGL_Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    OpenGL_Draw2D();
    OpenGL_Mouse2D();
    OpenGL_Keyboard();
    glTranslatef(0, 0, -30);
    SetGLMouseMove(GL_M0, 2);
    PutGLPointLight(GL_LIGHT0, 0, 0, 10, 0, 0.1f);
    glBindTexture(GL_TEXTURE_2D, TexSkyBox);
    SkyBox(0, 0, 0, 5);
    glDisable(GL_LIGHTING);
    cubeMapTexGen();
    BindCubeMapTex(CubeMap);
    CubeMapBegin(XRot, YRot);
    drawBracketedElement();
    CubeMapEnd();
    if (SelObj == 3) drawTeapot();
    if (SelObj == 5) drawWater();
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
}
