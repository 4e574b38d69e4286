// Scene rendering and controls: OpenGL_Draw, its projection set-up and its key bindings.
// The sky box and the six elements are not drawn yet: the frame shows the clear colour.
#include <GL/gl.h>

#include "app/showroom.h"
#include "vitrail/input.h"
#include "vitrail/window.h"

namespace {

void OpenGL_Draw2D() { OpenGL_Init(120, 0, 0, 0, 0); }

// An empty hook called once per frame.
void OpenGL_Mouse2D() {}

// Each held key assigns, in this order: the highest digit held wins, and N wins over R.
void OpenGL_Keyboard() {
    for (int32_t k = 0; k < 6; ++k)
        if (SetGLKey(static_cast<char>('1' + k))) SelObj = k;
    if (SetGLKey('R')) EnableRefrlect = true;
    if (SetGLKey('N')) EnableRefrlect = false;
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
}
